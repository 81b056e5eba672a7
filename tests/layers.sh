#!/usr/bin/env bash
# Fails when a folder of src/ includes from a folder above it. The layers, lowest first; a folder
# may include from itself and from the folders before it.
set -u
src=${1:?usage: layers.sh SRC_DIR}
layers=(common platform instrument settings probes datafiles playback livetest app tools)
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
exit $status
