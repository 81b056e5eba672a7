#!/usr/bin/env bash
# Fails when a folder of src/ includes from a folder above it, or when a file other than the
# Comedi binding includes libcomedi. The layers, lowest first; a folder may include from itself
# and from the folders before it.
set -u
src=${1:?usage: layers.sh SRC_DIR}
layers=(common platform instrument settings probes datafiles playback history livetest app tools)
status=0
for ((i = 0; i < ${#layers[@]}; i++)); do
  folder=${layers[i]}
  [ -d "$src/$folder" ] || continue
  allowed=" ${layers[*]:0:i+1} "
  while IFS=: read -r file line text; do
    used=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$text")
    if [[ "$allowed" != *" $used "* ]]; then
      echo "$file:$line: $folder includes from $used, a higher layer: $text"
      status=1
    fi
  done < <(grep -rn -E '^\s*#\s*include "[^/"]+/' "$src/$folder" --include='*.h' --include='*.cpp')
done

# The main window's command code (its bar of QActions, the tool and band names, the enabling
# table) is app/'s alone: the layers below report events and write status panes, never tools.
# (Other windows may have menus of their own; common/ has none.)
while IFS=: read -r file line text; do
  echo "$file:$line: main-window command code belongs in app/: $text"
  status=1
done < <({ grep -rnE 'namespace (tool|band)\b|class (Qt)?CommandBar\b|ApplyEnablingRule' "$src" \
             --include='*.h' --include='*.cpp' | grep -vE "^$src/+app/"
           grep -rnE '#\s*include\s*<(QAction|QMenu|QMenuBar|QToolBar)>' "$src/common" \
             --include='*.h' --include='*.cpp'; })

# Only the binding of the Comedi call table sees libcomedi's headers.
while IFS= read -r file; do
  [[ "$file" == */instrument/LibComedi.cpp ]] && continue
  echo "$file: includes libcomedi's header; only instrument/LibComedi.cpp may"
  status=1
done < <(grep -rlE '^\s*#\s*include\s*[<"]comedi(lib)?\.h[>"]' "$src" --include='*.h' --include='*.cpp')
exit $status
