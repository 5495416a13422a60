# shellcheck shell=bash
# Bash completion for corvane-cli. The commands, their options and the values
# of --format are read from the program's own --help, so that they cannot fall
# out of step with it.

_corvane_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]} words
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        words=$("$program" --help 2>/dev/null | sed -n '/^Subcommands:/,/^$/s/^  \([a-z-]*\) .*/\1/p')
        mapfile -t COMPREPLY < <(compgen -W "$words --help --version" -- "$cur")
        return
    fi

    local help
    help=$("$program" "${COMP_WORDS[1]}" --help 2>/dev/null) || return
    case $prev in
    --input)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        [[ -z $cur ]] && COMPREPLY+=(-)
        return
        ;;
    --format | --method)
        words=$(sed -n "s/^  $prev [^{]*{\([^}]*\)}.*/\1/p" <<<"$help")
        mapfile -t COMPREPLY < <(compgen -W "${words//,/ }" -- "$cur")
        return
        ;;
    esac
    if [[ $cur == -* ]]; then
        words=$(sed -n '/^Options:/,/^$/s/^  \(-h,\)\{0,1\}\(--[a-z-]*\).*/\2/p' <<<"$help")
        mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
    fi
}
complete -F _corvane_cli corvane-cli
