#!/usr/bin/env bash
# The MIME definition of test data files, parsed by update-mime-database into scratch databases
# (nothing of the system's is touched) and looked up by name as a Qt program looks it up:
#   mime.sh DEFINITION.xml MIME_LOOKUP_PROGRAM
set -euo pipefail
definition=${1:?usage: mime.sh DEFINITION.xml MIME_LOOKUP_PROGRAM}
lookup=${2:?usage: mime.sh DEFINITION.xml MIME_LOOKUP_PROGRAM}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0

# Builds the database $scratch/$1/mime from our definition and the other definition files given.
database() {
  local dir=$scratch/$1
  shift
  mkdir -p "$dir/mime/packages"
  cp "$definition" "$dir/mime/packages/uk.co.tarvik.Corvin.xml"
  [ $# -eq 0 ] || cp "$@" "$dir/mime/packages/"
  # update-mime-database exits 0 even when it refuses a file: anything it prints is a fault.
  local said
  said=$(XDG_DATA_HOME="$dir" XDG_DATA_DIRS="$dir" update-mime-database "$dir/mime" 2>&1)
  if [ -n "$said" ]; then
    echo "update-mime-database: $said"
    status=1
  fi
}

# expect DATABASE FILE-NAME TYPE
expect() {
  local got
  got=$(XDG_DATA_HOME="$scratch/$1" XDG_DATA_DIRS="$scratch/$1" "$lookup" "$2")
  if [ "$got" != "$3" ]; then
    echo "in the $1 database, $2 is $got, expected $3"
    status=1
  fi
}

# Ours alone: the type is there, and the extension is matched in any case.
database ours
[ -f "$scratch/ours/mime/application/x-corvin-testdata.xml" ] || { echo "the type was not defined"; status=1; }
for name in X.DAT x.dat run12.Dat; do expect ours "$name" application/x-corvin-testdata; done

# Beside the system's definitions: still ours, while the names others claim outright stay theirs.
database system /usr/share/mime/packages/*.xml
expect system TESTS/RUN12.DAT application/x-corvin-testdata
expect system x.dat application/x-corvin-testdata
expect system winmail.dat application/vnd.ms-tnef
expect system notes.txt text/plain

# .dat is a common extension: a program that claims it with the usual weight keeps it.
cat >"$scratch/other.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-other-dat"><glob pattern="*.dat"/></mime-type>
</mime-info>
XML
database crowded "$scratch/other.xml"
expect crowded X.DAT application/x-other-dat

exit $status
