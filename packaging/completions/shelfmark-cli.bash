# bash completion for shelfmark-cli. The tool itself answers (`shelfmark-cli __complete`): its
# commands and options come from its own help texts, and catalog paths from the catalog file
# named earlier on the line ("tree Discs.tkd Music/Hol" completes to "Music/Holiday\ CD/").

# A word as the command will receive it: quotes and backslashes undone. Words that could run
# anything when evaluated are passed as they stand.
_shelfmark_cli_dequote() {
    local word=$1
    # A quote opened and not yet closed (the cursor is inside it) is closed first.
    if [[ $word == \'* && $word != \'*\'* ]]; then
        word+="'"
    elif [[ $word == \"* && $word != \"*\"* ]]; then
        word+='"'
    fi
    if [[ $word == *[\$\`\(\)\<\>\;\|\&]* ]] || ! eval "printf '%s' $word" 2>/dev/null; then
        printf '%s' "$word"
    fi
}

_shelfmark_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local -a words=()
    local i
    for ((i = 1; i <= COMP_CWORD; i++)); do
        words+=("$(_shelfmark_cli_dequote "${COMP_WORDS[i]}")")
    done
    local IFS=$'\n'
    local -a answers
    answers=($("${COMP_WORDS[0]}" __complete "${words[@]}" 2>/dev/null))
    COMPREPLY=()
    local answer
    for answer in "${answers[@]}"; do
        case $answer in
            @files)
                compopt -o filenames 2>/dev/null
                COMPREPLY+=($(compgen -f -- "$cur"))
                ;;
            @catalogs)
                compopt -o filenames 2>/dev/null
                COMPREPLY+=($(compgen -d -- "$cur") $(compgen -f -X '!*.[tT][kK][dD]' -- "$cur"))
                ;;
            *)
                COMPREPLY+=("$(printf '%q' "$answer")")
                ;;
        esac
    done
    # A container's path ends in its separator: the next name follows without a blank.
    if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *[/\\] ]]; then
        compopt -o nospace 2>/dev/null
    fi
    return 0
}
complete -F _shelfmark_cli shelfmark-cli
