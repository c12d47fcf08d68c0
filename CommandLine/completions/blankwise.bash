# bash completion for blankwise: its options, the conversions' names and ids, the encodings and
# file names. Installed as share/bash-completion/completions/blankwise, where bash-completion loads
# it the first time blankwise is completed; sourcing it is enough without bash-completion.

_blankwise() {
    local cur="${COMP_WORDS[COMP_CWORD]}" prev="" prefix="" index
    ((COMP_CWORD > 0)) && prev="${COMP_WORDS[COMP_CWORD - 1]}"
    # --option=value: bash splits it at the = (COMP_WORDBREAKS), readline may not.
    if [[ "$cur" == "=" ]]; then
        cur=""
    elif [[ "$prev" == "=" ]] && ((COMP_CWORD > 1)); then
        prev="${COMP_WORDS[COMP_CWORD - 2]}"
    elif [[ "$cur" == --*=* ]]; then
        prev="${cur%%=*}"
        prefix="$prev="
        cur="${cur#*=}"
    fi
    COMPREPLY=()

    local -a values=()
    case "$prev" in
        -c | --conversion)
            values=(two-spaces-to-fullwidth space-to-fullwidth fullwidth-to-two-spaces
                fullwidth-to-space spaces-to-tabs tabs-to-spaces space-runs-to-tab tab-to-space
                blanks-to-spaces blank-runs-to-space blank-runs-to-tab delete-spaces
                delete-fullwidth-spaces delete-tabs delete-all-spaces {1..15}) ;;
        -e | --encoding)
            values=(utf-8 utf8 utf-16le utf-16be cp932 sjis shift_jis shift-jis windows-31j ms932 euc-jp eucjp euc_jp ujis cp51932 iso-2022-jp jis csiso2022jp auto) ;;
        --widths) values=(cp932 unicode) ;;
        --ambiguous-width) values=(1 2) ;;
        --threads) values=(1 2 3 4) ;;
        --assume-filename)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -P "$prefix" -f -- "$cur")
            return 0 ;;
        -t | --tabs | --start-column | --label) return 0 ;;
    esac
    if ((${#values[@]} > 0)); then
        mapfile -t COMPREPLY < <(compgen -P "$prefix" -W "${values[*]}" -- "$cur")
        return 0
    fi

    # Options until a -- ends them; file names always.
    local options_end=0
    for ((index = 1; index < COMP_CWORD; index++)); do
        [[ "${COMP_WORDS[index]}" == "--" ]] && options_end=1
    done
    if ((!options_end)) && [[ "$cur" == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "-c --conversion --list --start-column -t --tabs
            --initial --widths --ambiguous-width -e --encoding -i --in-place --check --diff
            --label --threads --verbose --editorconfig --assume-filename -h --help --version" -- "$cur")
        return 0
    fi
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -F _blankwise blankwise
