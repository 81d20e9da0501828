#!/bin/sh
# The AppStream metainfo: valid, and in step with the desktop entry, the version, the package's
# changelog and the screenshots of docs/.
# Usage: check_metainfo.sh SOURCE_DIR VERSION
set -eu
. "$(dirname "$0")/common.sh"
source_dir=$1
version=$2
metainfo=$(ls "$source_dir"/packaging/*.metainfo.xml)
id=$(basename "$metainfo" .metainfo.xml)
desktop=$source_dir/packaging/$id.desktop

appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuse $metainfo"

value() { sed -n "s|.*<$1\( [^>]*\)\{0,1\}>\(.*\)</$1>.*|\2|p" "$metainfo"; }
[ "$(value id)" = "$id" ] || fail "l'identifiant n'est pas celui du nom du fichier ($id)"
[ "$(value launchable)" = "$id.desktop" ] || fail "<launchable> ne nomme pas $id.desktop"
[ -f "$desktop" ] || fail "entrée de bureau absente : $desktop"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ "$(sed -n 's|.*<icon type="stock">\(.*\)</icon>.*|\1|p' "$metainfo")" = "$icon" ] ||
    fail "l'icône de la metainfo n'est pas celle de l'entrée de bureau ($icon)"
name_fr=$(sed -n 's|.*<name xml:lang="fr">\(.*\)</name>.*|\1|p' "$metainfo")
[ "$name_fr" = "$(sed -n 's/^Name\[fr\]=//p' "$desktop")" ] ||
    fail "le nom français diffère entre la metainfo et l'entrée de bureau"

# The newest release is this version, and so is the package's changelog.
newest=$(sed -n 's|.*<release version="\([^"]*\)".*|\1|p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] || fail "dernière version de la metainfo : $newest, du programme : $version"
changelog=$(sed -n '1s/^vemora (\([^)]*\)).*/\1/p' "$source_dir/packaging/changelog")
[ "$changelog" = "$version" ] || fail "version du changelog : $changelog, du programme : $version"

# Every screenshot of docs/ is listed once, with its true size, and nothing else is.
listed=$(sed -n 's|.*<image type="source"[^>]*>[^<]*/docs/\([^<]*\)</image>.*|\1|p' "$metainfo")
[ "$(grep -c '<image' "$metainfo")" -eq "$(echo "$listed" | wc -l)" ] ||
    fail "une capture ne se trouve pas sous docs/"
for picture in "$source_dir"/docs/*.png; do
    file=$(basename "$picture")
    [ "$(echo "$listed" | grep -cx "$file")" -eq 1 ] || fail "capture $file absente ou en double"
    # shellcheck disable=SC2046 # width and height
    set -- $(png_size "$picture")
    grep -q "<image type=\"source\" width=\"$1\" height=\"$2\">[^<]*/docs/$file<" "$metainfo" ||
        fail "taille de $file : ${1}x$2, autre dans la metainfo"
done
for file in $listed; do
    [ -f "$source_dir/docs/$file" ] || fail "capture inconnue : docs/$file"
done
echo "metainfo $id $version : $(echo "$listed" | wc -l) captures"
