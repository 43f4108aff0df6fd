#!/bin/bash
# The bash completions as bash-completion loads them, in a folder of known files:
# completion_test.sh SOURCE_DIR
source /usr/share/bash-completion/bash_completion || exit 1
source "$1/completions/unbank.bash" && source "$1/completions/mkbank.bash" || exit 1
folder=$(mktemp -d) && trap 'rm -rf "$folder"' EXIT
cd "$folder" && mkdir banks out && touch a.zp4 B.ZP4 tone.wav notes.txt || exit 1
status=0

# expect "CANDIDATES" LINE: what the completion offers at the end of LINE, sorted. The words
# are split as bash splits them: at blanks, and around the '=' of N=IN.wav.
expect() {
    COMP_LINE=$2 COMP_POINT=${#2} COMPREPLY=()
    read -ra COMP_WORDS <<<"${2//=/ = }"
    [[ $2 == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    "_${COMP_WORDS[0]}"
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | xargs)
    if [[ $got != "$1" ]]; then
        echo "'$2': got '$got', expected '$1'"
        status=1
    fi
}

expect "--flat --help --json --keep-going --list --no-clobber --output --quiet --slot --stdout \
--test --version --yes -c -h -k -l -n -o -q -s -t -y" "unbank -"
expect "banks out" "unbank -o "
expect "banks out" "unbank --output="
expect "B.ZP4 a.zp4 banks out" "unbank -q "
expect "" "unbank -s "
expect "--demo --help --mono --stereo --version -h" "mkbank -"
expect "banks out tone.wav" "mkbank a.zp4 --mono 3="
exit $status
