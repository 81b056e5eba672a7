#!/usr/bin/env bash
# cmake --install into a scratch DESTDIR: every file in its standard place, the desktop entry and
# icon named after the desktop id and the metadata after the AppStream id, the icons at their
# sizes, and programs that run and give the project's version:
#   install.sh CMAKE BUILD_DIR VERSION APPLICATION_ID DESKTOP_ID
set -euo pipefail
cmake=${1:?usage: install.sh CMAKE BUILD_DIR VERSION APPLICATION_ID DESKTOP_ID}
build=${2:?usage: install.sh CMAKE BUILD_DIR VERSION APPLICATION_ID DESKTOP_ID}
version=${3:?usage: install.sh CMAKE BUILD_DIR VERSION APPLICATION_ID DESKTOP_ID}
id=${4:?usage: install.sh CMAKE BUILD_DIR VERSION APPLICATION_ID DESKTOP_ID}
desktop=${5:?usage: install.sh CMAKE BUILD_DIR VERSION APPLICATION_ID DESKTOP_ID}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
status=0
fail() { echo "$*"; status=1; }

DESTDIR=$root "$cmake" --install "$build" --prefix /usr >/dev/null
usr=$root/usr

for file in bin/corvin bin/corvin-data share/applications/$desktop.desktop share/metainfo/$id.metainfo.xml \
  share/mime/packages/$id.xml share/icons/hicolor/scalable/apps/$desktop.svg \
  share/man/man1/corvin.1.gz share/man/man1/corvin-data.1.gz; do
  [ -f "$usr/$file" ] || fail "not installed: /usr/$file"
done

# A PNG's width and height are the two big-endian numbers at bytes 16 to 23.
for size in 16 24 32 48 64 128 256; do
  png=$usr/share/icons/hicolor/${size}x${size}/apps/$desktop.png
  if [ ! -f "$png" ]; then
    fail "not installed: the $size px icon"
    continue
  fi
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4, $7*256+$8}')
  [ "$w $h" = "$size $size" ] || fail "the $size px icon is $w x $h"
done

# The desktop entry, the metadata and the window system agree on the names.
grep -qx "Icon=$desktop" "$usr/share/applications/$desktop.desktop" || fail "the desktop entry's icon is not $desktop"
grep -q "<id>$id</id>" "$usr/share/metainfo/$id.metainfo.xml" || fail "the metadata's id is not $id"
grep -q ">$desktop.desktop</launchable>" "$usr/share/metainfo/$id.metainfo.xml" || fail "the metadata launches another entry"

# The installed programs run, and both give the version the build was made with.
for program in corvin corvin-data; do
  said=$("$usr/bin/$program" --version 2>&1) || fail "$program --version failed: $said"
  [ "$said" = "$program $version" ] || fail "$program --version says \"$said\", expected \"$program $version\""
done
exit $status
