#!/bin/sh
# The manual pages: no warning from man, and the page of vemora-calc describes every command
# and option that the program's own usage names, for the program's version.
# Usage: check_manpages.sh PAGES_DIR VEMORA_CALC
set -eu
. "$(dirname "$0")/common.sh"
pages=$1
calc=$2
export LC_ALL=C.UTF-8 MANWIDTH=250

for page in "$pages"/*.1; do
    warnings=$(man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) ||
        fail "man ne lit pas $page"
    [ -z "$warnings" ] || fail "avertissements de man pour $page : $warnings"
done

text=$(man -l "$pages/vemora-calc.1" 2>/dev/null)
version=$("$calc" --version | sed 's/^vemora-calc //')
echo "$text" | grep -q "Vemora $version" || fail "la page de vemora-calc n'est pas celle de $version"
words=$("$calc" --help | grep -o -- '--[a-z-]*' | sort -u)
[ -n "$words" ] || fail "vemora-calc --help ne nomme aucune option"
for word in km fuel batch $words; do
    echo "$text" | grep -q -e "$word" || fail "la page de vemora-calc ne décrit pas $word"
done
echo "pages de manuel : $(ls "$pages"/*.1 | wc -l), options décrites : $(echo "$words" | wc -l)"
