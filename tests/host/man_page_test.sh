#!/bin/sh
# The manual pages render without warnings, and every line quorvix-host shows with --help is in
# its manual page, word for word.
set -eu
host=$1; pages=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v groff > /dev/null || fail "groff is not installed (scripts/deps test installs groff-base)"
# one line of plain text, no hyphenation, spaces squeezed
flat() { tr -s ' \t\n' '   '; }

for page in quorvix-host.1 Quorvix_NoVSTHost.1; do
  groff -man -Tascii -ww -z "$pages/$page" 2> "$work/warnings.txt"
  [ ! -s "$work/warnings.txt" ] || fail "$page: $(cat "$work/warnings.txt")"
  grep -q '^\.SH NAME' "$pages/$page" || fail "$page has no NAME section"
done

groff -man -Tascii -rLL=300n -rHY=0 -P-cbou "$pages/quorvix-host.1" | flat > "$work/page.txt"
lines=0
for command in "" info render chunk; do
  # shellcheck disable=SC2086
  "$host" $command --help > "$work/help.txt"
  # headings ("options:") are the page's own; "usage:" starts the synopsis
  grep -v '^[a-z][a-z ]*:$' "$work/help.txt" | sed 's/^usage: //' | while IFS= read -r line; do
    text=$(printf '%s\n' "$line" | flat | sed 's/^ //; s/ $//')
    [ -n "$text" ] || continue
    grep -qF -- "$text" "$work/page.txt" || { echo "quorvix-host $command --help: '$text'"; }
  done >> "$work/missing.txt"
  lines=$((lines + $(wc -l < "$work/help.txt")))
done
[ ! -s "$work/missing.txt" ] || fail "lines of --help missing from the manual page:
$(cat "$work/missing.txt")"
grep -qF "It is not possible to run Quorvix as a standalone application!" "$pages/Quorvix_NoVSTHost.1" \
  || fail "the notice's manual page lacks its text"
echo "man pages: $lines lines of --help found in quorvix-host.1"
