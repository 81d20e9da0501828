#!/bin/bash
# The Debian package installs into a temporary root with dpkg (the system's own database is
# left alone), lays its files out as the desktop expects, runs from there, and uninstalls
# leaving nothing behind.
# Usage: check_package.sh PACKAGE_DIR
set -eu
. "$(dirname "$0")/common.sh"

packages=("$1"/vemora_*.deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] || fail "un seul paquet attendu dans $1"
deb=$(readlink -f "${packages[0]}")
work=$(mktemp -d)
root=$work/root
vemora=
cleanup() {
    if [ -n "$vemora" ]; then
        kill -KILL -- "-$vemora" 2>/dev/null || true
        wait "$vemora" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Every package the package depends on exists on this system in a version that satisfies it:
# the names are real, and `apt install ./vemora_*.deb` can resolve them.
satisfied() { # satisfied NAME [OPERATOR VERSION]
    local installed
    installed=$(dpkg-query -W -f='${db:Status-Status} ${Version}' "$1" 2>/dev/null) || return 1
    [ "${installed%% *}" = installed ] || return 1
    [ $# -eq 1 ] || dpkg --compare-versions "${installed#* }" "$2" "$3"
}
depends=$(dpkg-deb -f "$deb" Depends)
IFS=',' read -ra relations <<<"$depends"
for relation in "${relations[@]}"; do
    ok=
    IFS='|' read -ra choices <<<"$relation"
    for choice in "${choices[@]}"; do
        # "name (>= 1.2)" or "name"
        read -r name operator version <<<"$(echo "$choice" | tr -d '()')"
        if [ -n "${operator:-}" ]; then
            satisfied "$name" "$operator" "$version" && ok=1
        else
            satisfied "$name" && ok=1
        fi
    done
    [ -n "$ok" ] || fail "dépendance non satisfaite sur ce système :$relation"
done
[ -z "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'preinst|postinst|prerm|postrm')" ] ||
    fail "le paquet ne devrait pas avoir de script d'installation"

# Installation into the temporary root: the dependencies are the system's, not the root's.
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
# Every file of the package, even where the system's dpkg settings leave out manuals or docs.
in_root() { dpkg --root="$root" --log=/dev/null --force-not-root --path-include='*' "$@"; }
in_root --force-depends -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
[ "$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${db:Status-Abbrev}' vemora)" = "ii " ] ||
    fail "vemora n'est pas installé dans la racine temporaire"

# The layout.
usr=$root/usr
id=$(basename "$(ls "$usr"/share/applications/*.desktop)" .desktop)
for file in bin/vemora-calc lib/vemora/vemora lib/vemora/index.html lib/vemora/vemora_homepage.so \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg \
    share/man/man1/vemora.1.gz share/man/man1/vemora-calc.1.gz \
    share/man/fr/man1/vemora.1.gz share/man/fr/man1/vemora-calc.1.gz \
    share/bash-completion/completions/vemora-calc \
    share/doc/vemora/copyright share/doc/vemora/changelog.gz; do
    [ -f "$usr/$file" ] || fail "fichier absent : usr/$file"
done
[ -L "$usr/bin/vemora" ] && [ "$(readlink -f "$usr/bin/vemora")" = "$usr/lib/vemora/vemora" ] ||
    fail "usr/bin/vemora ne mène pas au programme"
[ -x "$usr/lib/vemora/vemora" ] && [ -x "$usr/bin/vemora-calc" ] || fail "programmes non exécutables"
sizes=
for icon in "$usr"/share/icons/hicolor/*x*/apps/"$id".png; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    [ "$(png_size "$icon")" = "${size%x*} ${size#*x}" ] || fail "icône $size de taille $(png_size "$icon")"
    sizes="$sizes ${size%x*}"
done
sizes=$(echo $sizes | tr ' ' '\n' | sort -n | tr '\n' ' ')
case $sizes in "16 "*" 256 ") ;; *) fail "tailles d'icônes : $sizes(de 16 à 256 attendues)" ;; esac
desktop=$usr/share/applications/$id.desktop
[ -x "$usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")" ] || fail "Exec de l'entrée de bureau absent"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "Icon de l'entrée de bureau : pas $id"
outside=$(cd "$root" && find . -mindepth 1 ! -path ./usr ! -path './usr/*' ! -path './var*')
[ -z "$outside" ] || fail "fichiers hors de usr/ : $outside"

# vemora-calc from the root: the version of the package, a calculation and a PDF.
export LC_ALL=C.UTF-8 HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cd /
[ "$("$usr/bin/vemora-calc" --version)" = "vemora-calc $(dpkg-deb -f "$deb" Version)" ] ||
    fail "vemora-calc --version n'est pas la version du paquet"
# A car of 5 CV driven 12,000 km in 2022: d x 0.357 + 1,395 (between 5,001 and 20,000 km).
expected=$(awk 'BEGIN { print 12000 * 0.357 + 1395 }')
json=$("$usr/bin/vemora-calc" km --year 2022 --kind 0 --power 2 --distance 12000 --json)
case $json in *"\"amount\":\"$expected\""*) ;; *) fail "calcul : $json (montant $expected attendu)" ;; esac
"$usr/bin/vemora-calc" km --kind 0 --power 2 --distance 12000 --pdf "$work/rapport.pdf" >/dev/null ||
    fail "vemora-calc --pdf"
qpdf --check "$work/rapport.pdf" >/dev/null || fail "PDF abîmé"
[ "$(pdfinfo "$work/rapport.pdf" | sed -n 's/^Pages: *//p')" = 1 ] || fail "PDF d'une page attendu"

# The window on the offscreen platform: it must load its module and show its home page from
# its own folder in the root. The browser's debugging server tells which page it shows.
port_free() { ! { exec 3<>"/dev/tcp/127.0.0.1/$1"; } 2>/dev/null; }
port=
for _ in 1 2 3 4 5 6 7 8 9 10; do
    candidate=$((20000 + RANDOM % 40000))
    if port_free "$candidate"; then port=$candidate; break; fi
    exec 3<&-
done
[ -n "$port" ] || fail "aucun port libre pour le serveur de débogage du navigateur"
pages() {
    { exec 3<>"/dev/tcp/127.0.0.1/$port"; } 2>/dev/null || return 0
    printf 'GET /json/list HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n' >&3
    timeout 5 cat <&3 || true
    exec 3<&-
}
QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:$port \
    setsid "$usr/bin/vemora" >"$work/vemora.log" 2>&1 &
vemora=$!
title=$(sed -n 's|.*<title>\(.*\)</title>.*|\1|p' "$usr/lib/vemora/index.html")
shown=
for _ in $(seq 1 120); do
    kill -0 "$vemora" 2>/dev/null || { cat "$work/vemora.log"; fail "vemora s'est arrêté"; }
    list=$(pages)
    if echo "$list" | grep -qF "\"url\": \"file://$usr/lib/vemora/index.html\"" &&
        echo "$list" | grep -qF "\"title\": \"$title\""; then
        shown=1
        break
    fi
    sleep 0.5
done
[ -n "$shown" ] || { cat "$work/vemora.log"; echo "$list"; fail "la page d'accueil n'a pas été montrée"; }
[ "$(readlink "/proc/$vemora/exe")" = "$usr/lib/vemora/vemora" ] || fail "autre programme lancé"
grep -qF "$usr/lib/vemora/vemora_homepage.so" "/proc/$vemora/maps" ||
    fail "le module du navigateur n'a pas été chargé depuis usr/lib/vemora"
sleep 2
kill -0 "$vemora" 2>/dev/null || { cat "$work/vemora.log"; fail "vemora ne reste pas ouvert"; }

# Everything the window and its browser processes loaded from Qt's folders, and the Arial
# stand-in, comes from a package that installing vemora brings: its dependencies, theirs...
loaded=$(
    for stat in /proc/[0-9]*/stat; do
        fields=$(sed 's/^.*) //' "$stat" 2>/dev/null) || continue
        set -- $fields
        [ "${3:-}" = "$vemora" ] || continue
        process=$(dirname "$stat")
        readlink "$process/exe" 2>/dev/null || true
        awk '{ print $6 }' "$process/maps" 2>/dev/null || true
    done | grep -E '^/usr/(lib/.*qt6/|share/qt6/|share/fonts/.*/Liberation)' | sort -u
)
echo "$loaded" | grep -q '/plugins/platforms/' || fail "aucun greffon de Qt vu parmi les fichiers chargés"
echo "$loaded" | grep -q 'QtWebEngineProcess' || fail "processus du navigateur non vu"
echo "$loaded" | grep -q 'Liberation' || fail "police Liberation Sans non chargée"
dpkg-query -W -f='${Package} ${Depends}, ${Pre-Depends}\n' >"$work/installed"
wanted=$(awk -v roots="$(echo "$depends" | sed 's/([^)]*)//g; s/[|,]/ /g')" '
    # Of alternatives, apt installs the first one.
    { name = $1; sub(/^[^ ]* /, ""); gsub(/\([^)]*\)|:[a-z0-9]+/, ""); gsub(/\|[^,]*/, "");
      gsub(/,/, " "); deps[name] = $0 }
    END {
        n = split(roots, queue, " ")
        for (i = 1; i <= n; i++) seen[queue[i]] = 1
        for (i = 1; i <= n; i++) {
            m = split(deps[queue[i]], more, " ")
            for (j = 1; j <= m; j++) if (!(more[j] in seen)) { seen[more[j]] = 1; queue[++n] = more[j] }
        }
        for (p in seen) print p
    }' "$work/installed")
owners=$(dpkg -S $loaded 2>/dev/null) || true
for file in $loaded; do
    owner=$(echo "$owners" | grep -F ": $file" | head -n 1 | sed 's/[:,].*//')
    [ -n "$owner" ] || fail "$file ne vient d'aucun paquet"
    echo "$wanted" | grep -qx "$owner" || fail "$file vient de $owner, que le paquet n'amène pas"
done
kill -TERM -- "-$vemora"
wait "$vemora" 2>/dev/null || true
vemora=

# Uninstallation: nothing of the package remains in the root.
in_root -P vemora >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -P"; }
left=$(cd "$root" && find . -mindepth 1 ! -path ./var ! -path './var/lib' ! -path './var/lib/dpkg' \
    ! -path './var/lib/dpkg/*')
[ -z "$left" ] || fail "restes après désinstallation : $left"
! dpkg-query --admindir="$root/var/lib/dpkg" -W vemora >/dev/null 2>&1 ||
    [ "$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${db:Status-Abbrev}' vemora)" = "pn " ] ||
    fail "vemora reste connu de dpkg dans la racine"
echo "paquet $(basename "$deb") : installé, lancé et désinstallé ; $(echo "$loaded" | wc -l) fichiers de Qt et de polices couverts par les dépendances"
