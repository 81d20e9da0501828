# shellcheck shell=sh
# Shell helpers shared by the packaging tests.

fail() {
    echo "ÉCHEC : $*" >&2
    exit 1
}

# Width and height of a PNG picture, from its header: "W H".
png_size() {
    [ "$(od -An -c -j1 -N3 "$1" | tr -d ' ')" = PNG ] || return 1
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ printf "%d %d\n", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'
}
