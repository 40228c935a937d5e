# bash completion for tamr-cli                             -*- shell-script -*-
# The subcommands and options are read from the program's own --help at
# completion time, so they are never out of date; file names are filtered by
# the kinds of file each subcommand takes.

# What this build of tamr opens, whatever the name's letter case (_filedir
# also tries the upper-case form): the endings `PROGRAM --help` lists at its
# end under "Pictures", as @(bmp|cod|...); nothing when it lists none.
_tamr_cli_pictures()
{
    local endings
    endings=$("$1" --help 2>/dev/null | sed -nE '/^Pictures/,/^$/ { /^  /p }' | grep -oE '\.[a-z0-9]+' |
        tr -d . | paste -sd '|')
    # Without the list every file is offered.
    [[ -n $endings ]] && echo "@($endings)"
}
# What tamr writes a shown picture as.
_tamr_cli_written='@(bmp|png|ppm|pgm)'

# The sixteen entries of the Filters list, for filter --name.
_tamr_cli_filters='Edge enhance
Edge enhance+
Edge detect
Detail
Smooth
Sharpen
Brighten
Despeckle
Anti-alias
Alias
Erode
Dilate
Fill across
Fill down
Fill angles
Negative'

# The subcommands `PROGRAM --help` lists, one a line.
_tamr_cli_subcommands()
{
    "$1" --help 2>/dev/null | sed -nE '/^Subcommands:/,/^$/ s/^  ([a-z][a-z0-9-]*) .*/\1/p'
}

# "NAME 1" for each option of `PROGRAM [SUBCOMMAND] --help` that takes a
# value (its names are followed by a type such as INT or TEXT), "NAME 0" for
# each flag.
_tamr_cli_option_table()
{
    local line name takes pattern='^  (-[^ ]+)( [A-Z])?'
    local -a names
    while IFS= read -r line; do
        [[ $line =~ $pattern ]] || continue
        takes=0
        [[ -n ${BASH_REMATCH[2]} ]] && takes=1
        IFS=, read -ra names <<<"${BASH_REMATCH[1]}"
        for name in "${names[@]}"; do
            printf '%s %s\n' "$name" "$takes"
        done
    done < <("$@" --help 2>/dev/null)
}

# The figures compare --metrics names ("the figures to print: psnr, ...,
# separated by commas").
_tamr_cli_metrics()
{
    "$1" compare --help 2>/dev/null | sed -nE 's/.*the figures to print: (.*), separated by commas.*/\1/p' | tr -d ','
}

# The peer codecs of this build, as `PROGRAM sweep --help` names them for
# --peers ("the other codecs: jpeg, jp2, webp, separated by commas, or none").
_tamr_cli_peers()
{
    "$1" sweep --help 2>/dev/null | sed -nE 's/.*the other codecs: (.*), separated by commas.*/\1/p' | tr -d ','
}

# The kind of file a subcommand takes at a position among its arguments:
# picture, cod, bmp (a written picture: BMP, PNG or PNM), png, coded (a COD
# name or a written picture's), any (a subcommand this script
# does not know yet) or none.
_tamr_cli_file_kind()
{
    case $1:$2 in
    batch:*) echo picture ;;
    info:0 | stats:0 | sweep:0 | compare:0 | compare:1 | thumbnail:0) echo picture ;;
    thumbnail:1) echo png ;;
    evaluate:*) echo picture ;;
    decompress:0) echo cod ;;
    compress:0 | roundtrip:0 | convert:0 | palette:0 | filter:0 | sharpen:0) echo picture ;;
    compress:1) echo coded ;;
    roundtrip:1 | decompress:1 | convert:1 | palette:1 | filter:1 | sharpen:1) echo bmp ;;
    info:* | stats:* | compress:* | roundtrip:* | decompress:* | convert:* | palette:* | filter:* | sharpen:* | \
        compare:* | sweep:* | thumbnail:*)
        echo none ;;
    *) echo any ;;
    esac
}

_tamr_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    local program=${words[0]} i subcommand='' at=0
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]]; then
            subcommand=${words[i]}
            at=$i
            break
        fi
    done

    local -A takes=()
    local name value
    while read -r name value; do
        takes[$name]=$value
    done < <(_tamr_cli_option_table "$program" ${subcommand:+"$subcommand"})

    if [[ -z $subcommand ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "${!takes[*]}" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$(_tamr_cli_subcommands "$program")" -- "$cur"))
        fi
        return
    fi

    # The value of an option.
    if [[ -n $prev && ${takes[$prev]-} == 1 ]]; then
        case $prev in
        --out | --merge) _filedir -d ;;
        --decoded) _filedir "$_tamr_cli_written" ;;
        --diff | --map-out) _filedir "$_tamr_cli_written" ;;
        --map) COMPREPLY=($(compgen -W "absolute ssim butteraugli" -- "$cur")) ;;
        --metrics)
            local listed='' last=$cur
            if [[ $cur == *,* ]]; then
                listed=${cur%,*},
                last=${cur##*,}
            fi
            COMPREPLY=($(compgen -P "$listed" -W "$(_tamr_cli_metrics "$program") default all" -- "$last"))
            ;;
        --svg) _filedir svg ;;
        --report) _filedir html ;;
        --codecs)
            local listed='' last=$cur
            if [[ $cur == *,* ]]; then
                listed=${cur%,*},
                last=${cur##*,}
            fi
            COMPREPLY=($(compgen -P "$listed" -W "tamr $(_tamr_cli_peers "$program")" -- "$last"))
            ;;
        --anchor) COMPREPLY=($(compgen -W "tamr $(_tamr_cli_peers "$program")" -- "$cur")) ;;
        --bd-method) COMPREPLY=($(compgen -W "akima pchip cubic" -- "$cur")) ;;
        --json-schema) COMPREPLY=($(compgen -W "tamr compressai" -- "$cur")) ;;
        --peers)
            # A list separated by commas: the names after the last comma.
            local listed='' last=$cur words
            if [[ $cur == *,* ]]; then
                listed=${cur%,*},
                last=${cur##*,}
                words=$(_tamr_cli_peers "$program")
            else
                words="$(_tamr_cli_peers "$program") none"
            fi
            COMPREPLY=($(compgen -P "$listed" -W "$words" -- "$last"))
            ;;
        --format) COMPREPLY=($(compgen -W "cod bmp png ppm pgm" -- "$cur")) ;;
        --name)
            local typed=${cur//\\ / } match
            typed=${typed#[\"\']}
            local IFS=$'\n'
            for match in $(compgen -W "$_tamr_cli_filters" -- "$typed"); do
                COMPREPLY+=("${match// /\\ }")
            done
            ;;
        esac
        return
    fi
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${!takes[*]}" -- "$cur"))
        return
    fi

    # Which of the subcommand's own arguments this is: options and their
    # values do not count.
    local position=0
    for ((i = at + 1; i < cword; i++)); do
        if [[ ${words[i]} == -* ]]; then
            [[ ${words[i]} != *=* && ${takes[${words[i]}]-} == 1 ]] && ((i++))
        else
            ((position++))
        fi
    done
    case $(_tamr_cli_file_kind "$subcommand" "$position") in
    picture) _filedir "$(_tamr_cli_pictures "$program")" ;;
    cod) _filedir cod ;;
    bmp) _filedir "$_tamr_cli_written" ;;
    png) _filedir png ;;
    coded) _filedir '@(cod|bmp|png|ppm|pgm)' ;;
    any) _filedir ;;
    esac
} &&
    complete -F _tamr_cli tamr-cli
