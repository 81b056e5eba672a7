#!/usr/bin/env bash
# The manual pages render without a warning from man, have the usual sections, and describe
# every option, variable and command that the programs' own --help lists:
#   manpages.sh PAGE_DIR CORVIN CORVIN_DATA
set -euo pipefail
pages=${1:?usage: manpages.sh PAGE_DIR CORVIN CORVIN_DATA}
corvin=${2:?usage: manpages.sh PAGE_DIR CORVIN CORVIN_DATA}
corvin_data=${3:?usage: manpages.sh PAGE_DIR CORVIN CORVIN_DATA}
status=0

# check PAGE PROGRAM
check() {
  local page=$pages/$1.1 warnings text
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "$1(1) renders with warnings:"
    echo "$warnings"
    status=1
  fi
  # Wide enough that no entry is broken over two lines.
  text=$(MANWIDTH=1000 man -l "$page" 2>/dev/null | col -b)
  for section in NAME SYNOPSIS DESCRIPTION ENVIRONMENT FILES "EXIT STATUS" "SEE ALSO"; do
    grep -q "^$section\$" <<<"$text" || { echo "$1(1) has no $section section"; status=1; }
  done
  # The help's entries: "  --option...", "  command subcommand ARGUMENT..." and CORVIN_* variables.
  local help item
  help=$("$2" --help)
  while IFS= read -r item; do
    grep -qF -- "$item" <<<"$text" || { echo "$1(1) does not describe $item"; status=1; }
  done < <(sed -nE 's/^  ((--)?[a-z][a-z-]*( [a-z]+)*).*/\1/p' <<<"$help"; grep -oE 'CORVIN_[A-Z_]+' <<<"$help" || true)
}

check corvin "$corvin"
check corvin-data "$corvin_data"
exit $status
