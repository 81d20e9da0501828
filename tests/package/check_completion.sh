#!/bin/bash
# The bash completion of vemora-calc offers what the program accepts, and only that: each
# command, option and value it offers is tried on the program itself.
# Usage: check_completion.sh COMPLETION_FILE VEMORA_CALC
set -eu
. "$(dirname "$0")/common.sh"
calc=$2
# shellcheck source=/dev/null
. "$1"
[ "$(complete -p vemora-calc)" = "complete -F _vemora_calc vemora-calc" ] ||
    fail "la complétion n'est pas déclarée pour vemora-calc"

# The words offered after "vemora-calc WORDS... CURRENT", one a line, sorted.
offered() {
    COMP_WORDS=(vemora-calc "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _vemora_calc
    [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort
}
# vemora-calc's status and error for a command line.
run() {
    status=0
    error=$("$calc" "$@" 2>&1 >/dev/null) || status=$?
}
# The words of a list on one line.
flat() { tr '\n' ' ' <<<"$1" | sed 's/ *$//'; }
same() { [ "$(flat "$1")" = "$(flat "$2")" ] || fail "$3 : proposé « $(flat "$1") », attendu « $(flat "$2") »"; }

# Commands: each one offered is known to the program, and a prefix narrows them.
for command in $(offered ""); do
    run "$command"
    case $error in *"commande inconnue"* | *"option inconnue"*) fail "commande proposée refusée : $command" ;; esac
done
same "$(offered k)" "km" "commandes en k"
same "$(offered --v)" "--version" "commandes en --v"

# Options: each one offered is accepted, the usage names none that is never offered, and
# an option already given is not offered again.
all=""
for command in km fuel; do
    for option in $(offered "$command" ""); do
        run "$command" "$option" 1
        case $error in *"Option inconnue"*) fail "$command : option proposée refusée : $option" ;; esac
        all="$all $option"
    done
    same "$(offered "$command" --json --per-day 3 "")" \
        "$(offered "$command" "" | grep -vx -e --json -e --per-day -e --distance)" \
        "$command après --json --per-day"
done
# frais-reels: its own options, then those of the vehicle once --bareme names a scale.
for scale in "" "--bareme km" "--bareme carburant"; do
    read -ra given <<<"$scale"
    for option in $(offered frais-reels "${given[@]}" ""); do
        run frais-reels "${given[@]}" "$option" 1
        case $error in *"Option inconnue"*) fail "frais-reels $scale : option proposée refusée : $option" ;; esac
        all="$all $option"
    done
done
same "$(offered frais-reels --bareme km --teletravail-reel 3 --t)" "--taux-marginal --titres-restaurant" \
    "frais-reels après --teletravail-reel"
for option in $("$calc" --help | grep -o -- '--[a-z-]*' | sort -u); do
    case $option in --help | --version) continue ;; esac
    case " $all " in *" $option "*) ;; *) fail "option jamais proposée : $option" ;; esac
done
for option in --fuel --employee; do
    run km "$option" 1
    case $error in *"Option inconnue"*) ;; *) fail "km devrait refuser $option" ;; esac
done

# Values: for each command, the years, vehicle kinds, powers and fuels offered are exactly
# those the program accepts among a wider range.
accepted() { # accepted RANGE ARGS-BEFORE-VALUE... -- ARGS-AFTER-VALUE...
    local range=$1 value before=() after=()
    shift
    while [ "$1" != -- ]; do before+=("$1"); shift; done
    shift
    after=("$@")
    for value in $range; do
        run "${before[@]}" "$value" "${after[@]}"
        [ $status -ne 0 ] || echo "$value"
    done | sort
}
same "$(offered km --year "")" "$(accepted "$(seq 2009 2035)" km --year -- --kind 0 --distance 1000)" "années km"
same "$(offered fuel --year "")" "$(accepted "$(seq 2009 2035)" fuel --year -- --kind 0 --distance 1000)" "années fuel"
words="automobile moto cyclomoteur voiture deux-roues velo $(seq 0 8)"
for year in 2017 2018 2025; do
    same "$(offered km --year $year --kind "")" \
        "$(accepted "$words" km --year $year --kind -- --distance 1000)" "types km $year"
done
same "$(offered fuel --kind "")" "$(accepted "$words" fuel --kind -- --distance 1000)" "types fuel"
same "$(offered frais-reels --year "")" "$(accepted "$(seq 2009 2035)" frais-reels --year -- --salaire 1)" "années frais-reels"
same "$(offered frais-reels --bareme carburant --year "")" \
    "$(accepted "$(seq 2009 2035)" frais-reels --bareme carburant --kind 0 --distance 1 --salaire 1 --year --)" \
    "années frais-reels au barème carburant"
same "$(offered frais-reels --bareme "")" \
    "$(accepted "km carburant fuel avion" frais-reels --salaire 1 --bareme -- --kind 0 --distance 1)" "barèmes"
same "$(offered frais-reels --bareme carburant --kind "")" \
    "$(accepted "$words" frais-reels --bareme carburant --salaire 1 --distance 1000 --kind --)" "types frais-reels"
for kinds in "km 0 1 2 3 4 5 automobile cyclomoteur" "fuel 0 1 deux-roues" "fuel --employee 0 1"; do
    read -ra words <<<"$kinds"
    set -- "${words[@]}"
    command=$1
    shift
    flag=()
    [ "$1" != --employee ] || { flag=(--employee); shift; }
    for kind in "$@"; do
        powers=$(accepted "$(seq 0 6)" "$command" "${flag[@]}" --kind "$kind" --power -- --distance 1000)
        same "$(offered "$command" "${flag[@]}" --kind "$kind" --power "")" "$powers" \
            "puissances $command ${flag[*]} type $kind"
    done
done
same "$(offered fuel --kind 0 --fuel "")" \
    "$(accepted "gazole sans-plomb gpl super $(seq 0 5)" fuel --kind 0 --fuel -- --distance 1000)" "carburants"
# The two classes up to 125 cm³, each accepted.
same "$(offered fuel --kind deux-roues --cc "")" \
    "$(accepted "49 125 126" fuel --kind deux-roues --cc -- --distance 1000)" "cylindrées"
same "$(offered km --kind 0 --print --copies "")" "$(seq 1 9)" "copies"

# Files: CSV files for batch, PDF files for --pdf, folders on the way.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/dossier"
touch "$work/calculs.csv" "$work/rapport.pdf" "$work/notes.txt"
same "$(offered batch "$work/")" "$(printf '%s\n' "$work/calculs.csv" "$work/dossier" | sort)" "fichiers de batch"
same "$(offered km --pdf "$work/")" "$(printf '%s\n' "$work/dossier" "$work/rapport.pdf" | sort)" "fichiers PDF"
(cd "$work" && [ "$(offered batch "" | tr '\n' ' ')" = "- calculs.csv dossier " ]) ||
    fail "batch dans un dossier : $(cd "$work" && offered batch "" | tr '\n' ' ')"
echo "complétion de vemora-calc : conforme au programme"
