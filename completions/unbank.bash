# bash completion for unbank: its options, banks (.zp4) as operands, folders after -o, nothing
# after -s (a slot name is typed).
_unbank() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        -o | --output)
            _filedir -d
            return
            ;;
        -s | --slot)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '-o --output -y --yes -n --no-clobber -k --keep-going
            -t --test -l --list -q --quiet -s --slot -c --stdout --flat --json -h --help
            --version' -- "$cur"))
        return
    fi
    _filedir zp4
} &&
    complete -F _unbank unbank
