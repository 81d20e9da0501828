# Completion of vemora-calc in bash: commands, options, and the values each option accepts.
# The replies are split on newlines only (IFS), one a line.
# shellcheck disable=SC2207

# The value of option $1 among the words typed so far.
_vemora_calc_value()
{
    local i
    for ((i = 2; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == "$1" ]]; then
            printf '%s' "${COMP_WORDS[i + 1]}"
            return 0
        fi
    done
    return 1
}

_vemora_calc_has()
{
    local i
    for ((i = 2; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == "$1" ]] && return 0
    done
    return 1
}

_vemora_calc()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command=${COMP_WORDS[1]}
    local IFS=$'\n' # one reply a line
    COMPREPLY=()

    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W $'km\nfuel\nbatch\n--help\n--version' -- "$cur"))
        return 0
    fi

    case $command in
    batch)
        if ((COMP_CWORD == 2)); then
            # A CSV file, a folder on the way to one, or - for the standard input.
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[cC][sS][vV]' -- "$cur"))
            [[ -z $cur || $cur == - ]] && COMPREPLY+=(-)
        fi
        return 0
        ;;
    km | fuel) ;;
    *) return 0 ;;
    esac

    local year kind values=
    year=$(_vemora_calc_value --year) || year=2022
    kind=$(_vemora_calc_value --kind) || kind=
    case $prev in
    --year)
        if [[ $command == km ]]; then
            values=$(seq 2012 2022)
        else
            values=2022
        fi
        ;;
    --kind)
        if [[ $command == fuel ]]; then
            values=$'0\n1'
        elif [[ $year =~ ^[0-9]+$ ]] && ((year < 2018)); then
            values=$(seq 0 2) # electric vehicles from the 2018 income on
        else
            values=$(seq 0 5)
        fi
        ;;
    --power)
        # The ranks of the window's list of powers for the vehicle chosen so far.
        case $command:$kind in
        km:0 | km:3) values=$(seq 0 4) ;;
        km:1 | km:4) values=$(seq 0 2) ;;
        km:2 | km:5) values=0 ;; # mopeds have no power
        fuel:0)
            if _vemora_calc_has --employee; then values=$(seq 0 1); else values=$(seq 0 4); fi
            ;;
        fuel:1) values=$(seq 0 3) ;;
        esac
        ;;
    --fuel) values=$(seq 0 2) ;;
    --copies) values=$(seq 1 9) ;;
    --pdf)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[pP][dD][fF]' -- "$cur"))
        return 0
        ;;
    --printer)
        values=$(lpstat -e 2>/dev/null)
        ;;
    --distance | --per-day | --days)
        return 0 # a number typed by the user
        ;;
    esac
    if [[ $prev == --* && $prev != --json && $prev != --print && $prev != --employee ]]; then
        [[ -n $values ]] && COMPREPLY=($(compgen -W "$values" -- "$cur"))
        return 0
    fi

    # The options not given yet: each is accepted once, and the yearly distance excludes
    # the distance per day with its number of days.
    local option options=()
    local all=(--year --kind --power --distance --per-day --days --json --pdf --print
        --printer --copies)
    [[ $command == fuel ]] && all+=(--fuel --employee)
    for option in "${all[@]}"; do
        _vemora_calc_has "$option" && continue
        case $option in
        --distance) { _vemora_calc_has --per-day || _vemora_calc_has --days; } && continue ;;
        --per-day | --days) _vemora_calc_has --distance && continue ;;
        esac
        options+=("$option")
    done
    COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
}

complete -F _vemora_calc vemora-calc
