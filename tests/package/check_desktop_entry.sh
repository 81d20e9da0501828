#!/bin/sh
# The desktop entry passes desktop-file-validate without a single remark.
# Usage: check_desktop_entry.sh FILE
set -eu
. "$(dirname "$0")/common.sh"
remarks=$(desktop-file-validate "$1" 2>&1) || fail "desktop-file-validate refuse $1 : $remarks"
[ -z "$remarks" ] || fail "remarques de desktop-file-validate : $remarks"
echo "entrée de bureau valide : $(basename "$1")"
