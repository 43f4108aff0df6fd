# bash completion for mkbank: its options, the bank (.zp4) it writes, and WAV files after the
# slot number of --mono N= and --stereo N=.
_mkbank() {
    local cur prev words cword
    _init_completion -n = || return

    case $prev in
        --mono | --stereo)
            # The slot number is the user's to type; then WAV files.
            [[ $cur == *=* ]] && cur=${cur#*=} && _filedir wav
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--demo --mono --stereo -h --help --version' -- "$cur"))
        return
    fi
    _filedir zp4
} &&
    complete -F _mkbank mkbank
