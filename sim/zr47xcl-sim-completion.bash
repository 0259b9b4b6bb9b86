# bash completion for zr47xcl-sim: options, model names, fault kinds, and file names after the
# options that take a path.

_zr47xcl_sim()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD-1]}
    COMPREPLY=()
    case $prev in
    --model)
        COMPREPLY=($(compgen -W "ZR-470 ZR-471 ZR-472" -- "$cur"))
        return ;;
    --link|--state)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
        return ;;
    --fault)
        # The kinds; a value, mnemonic or count is typed after them.
        COMPREPLY=($(compgen -W "silent delay= noise noise= nocrlf close-after= awb-working=
            awb-result= ayb-working= ayb-result= shading-working= shading-result=" -- "$cur"))
        [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
        return ;;
    esac
    COMPREPLY=($(compgen -W "--model --link --pace --state --fault --help --version" -- "$cur"))
}
complete -F _zr47xcl_sim zr47xcl-sim
