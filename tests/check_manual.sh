#!/usr/bin/env bash
# Fails when a manual page leaves out a subcommand or an option that the
# program's --help lists, or when groff warns about the page.
#   check_manual.sh PROGRAM PAGE
# Options of the program itself belong in the page's OPTIONS section. Each
# subcommand needs a section of its own (.SS NAME ...) naming each of its
# options; an option shared by several subcommands may instead be described
# in a section whose title the subcommand's section names (such as
# "CODEC OPTIONS").
set -u
program=${1:?program}
page=${2:?manual page}
status=0
fail() { echo "FAIL: $*"; status=1; }

# The page as plain words: font escapes dropped, "\-" read as "-".
text=$(sed -E 's/\\f([BIRP]|\(..)//g; s/\\-/-/g' "$page")

# The option names of a --help text, one a line ("-q,--quality" gives both).
options_of() { sed -nE '/^Options:/,/^$/ s/^  (-[^ ]+).*/\1/p' | tr ',' '\n'; }
subcommands_of() { sed -nE '/^Subcommands:/,/^$/ s/^  ([a-z][a-z0-9-]*) .*/\1/p'; }

# The text of the sections (.SH or .SS) whose heading starts with the title.
section() {
  awk -v title="$1" '
    /^\.S[HS] / { heading = substr($0, 5); gsub(/"/, "", heading)
                  inside = (heading == title || index(heading, title " ") == 1) }
    inside' <<<"$text"
}
headings() { sed -nE 's/^\.S[HS] +"?([^"]*)"?$/\1/p' <<<"$text"; }

mentions() { grep -qE -- "(^|[^A-Za-z0-9-])$2([^A-Za-z0-9-]|$)" <<<"$1"; }

help=$("$program" --help) || { echo "FAIL: $program --help"; exit 1; }
[ -n "$(options_of <<<"$help")" ] || fail "$program --help lists no options"
for option in $(options_of <<<"$help"); do
  mentions "$(section OPTIONS)" "$option" || fail "OPTIONS does not name $option"
done

for subcommand in $(subcommands_of <<<"$help"); do
  own=$(section "$subcommand")
  if [ -z "$own" ]; then
    fail "no section .SS $subcommand"
    continue
  fi
  # The sections this one refers to by title.
  searched=$own
  while IFS= read -r title; do
    [ -n "$title" ] && [ "$title" != "$subcommand" ] && grep -qF -- "$title" <<<"$(tail -n +2 <<<"$own")" &&
      searched+=$'\n'$(section "$title")
  done < <(headings)
  sub_help=$("$program" "$subcommand" --help) || { fail "$program $subcommand --help"; continue; }
  for option in $(options_of <<<"$sub_help"); do
    case $option in -h | --help) continue ;; esac
    mentions "$searched" "$option" || fail "section $subcommand does not name $option"
  done
done

if command -v groff >/dev/null; then
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
fi

[ $status -eq 0 ] && echo "$(basename "$page") names every subcommand and option of $(basename "$program")"
exit $status
