# bash completion for quillon-cli: commands, their options, and files of the types each takes.

# Files ending in one of the given extensions (either case), and folders to look into.
_quillon_cli_files()
{
    local cur=$1 extension
    shift
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY+=($(compgen -d -- "$cur"))
    for extension in "$@"; do
        COMPREPLY+=($(compgen -f -X "!*.${extension}" -- "$cur"))
        COMPREPLY+=($(compgen -f -X "!*.${extension^^}" -- "$cur"))
    done
}

_quillon_cli_folders()
{
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY+=($(compgen -d -- "$1"))
}

_quillon_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="check dump build inspect extract verify diff export help"
    COMPREPLY=()

    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local command=${COMP_WORDS[1]}
    if [[ $command == help ]]; then
        ((COMP_CWORD == 2)) && COMPREPLY=($(compgen -W "${commands% help}" -- "$cur"))
        return
    fi

    # The value of an option.
    case $command:$prev in
    dump:-o) _quillon_cli_files "$cur" json; return ;;
    build:-o) _quillon_cli_files "$cur" cpd; return ;;
    verify:--against) _quillon_cli_files "$cur" cpd; return ;;
    esac

    if [[ $cur == -* ]]; then
        local options=
        case $command in
        check | inspect) options=--json ;;
        dump | build) options=-o ;;
        extract) options=--force ;;
        verify) options=--against ;;
        export) options=--reproducible ;;
        esac
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
        return
    fi

    # Which positional argument this is: options and their values do not count.
    local position=0 i
    for ((i = 2; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        -o | --against) ((i++)) ;;
        -*) ;;
        *) ((position++)) ;;
        esac
    done
    case $command:$position in
    check:0 | dump:0) _quillon_cli_files "$cur" cpd ;;
    build:0) _quillon_cli_files "$cur" json ;;
    inspect:0 | extract:0 | verify:0) _quillon_cli_files "$cur" cpk ;;
    extract:1) _quillon_cli_folders "$cur" ;;
    diff:0 | diff:1) _quillon_cli_files "$cur" cpd json ;;
    export:0) _quillon_cli_files "$cur" cpd ;;
    export:1) _quillon_cli_files "$cur" cpk ;;
    esac
}

complete -F _quillon_cli quillon-cli
