# Sourced by the tests of an installed blankwise (tools/install-test.sh for `cmake --install`,
# tools/package-test-deb.sh for the Debian package): the checks of an installed tree that a user's
# first steps make. The caller names itself in check_name before it sources this file.

# Counts the failures, each told on a line that starts with the caller's name.
failures=0
fail() {
    echo "$check_name: $*"
    failures=$((failures + 1))
}

# The closing line, "WHAT passed" or the count of failures, and the status to exit with.
report() {
    if [ "$failures" -eq 0 ]; then
        echo "$check_name: $1 passed"
    else
        echo "$check_name: $failures failed"
    fi
    [ "$failures" -eq 0 ]
}

# The files an installation holds under its prefix, one a line, sorted.
installed_files() {
    (cd "$1" && find . ! -type d | sed 's|^\./||' | sort)
}

# Checks the tree installed under PREFIX: its blankwise converts a sample, its manual page (plain
# or gzipped) renders with man -l, its bash completion defines the completion of blankwise in a
# non-interactive bash, and its zsh and fish completions parse (each where that shell is
# installed).
check_installed() {
    local prefix="$1" page converted rendered errors
    converted=$(printf '\t予定\t10時\r\n' | "$prefix/bin/blankwise" -c tabs-to-spaces | od -An -c | tr -s ' ')
    [ "$converted" = "$(printf '    予定    10時\r\n' | od -An -c | tr -s ' ')" ] ||
        fail "the installed blankwise converted the sample to [$converted]"

    page=$(ls "$prefix"/share/man/man1/blankwise.1* 2>/dev/null | head -n 1)
    if [ -z "$page" ]; then
        fail "no manual page in $prefix/share/man/man1"
    else
        errors=$(mktemp)
        rendered=$(MANPAGER=cat MANWIDTH=80 man -l "$page" 2>"$errors")
        grep -q '^ *blankwise *- *convert *half-width' <<<"$rendered" && grep -q -- '--encoding' <<<"$rendered" ||
            fail "man -l $page rendered [$(head -n 8 <<<"$rendered")]"
        [ ! -s "$errors" ] || fail "man -l $page warned: $(cat "$errors")"
        rm -f "$errors"
    fi

    local completion="$prefix/share/bash-completion/completions/blankwise" defined
    defined=$(bash --norc --noprofile -c 'source "$1" && complete -p blankwise' bash "$completion" 2>&1)
    [ "$defined" = "complete -F _blankwise blankwise" ] ||
        fail "sourcing $completion in bash defined [$defined]"
    if command -v zsh >/dev/null; then
        zsh -n "$prefix/share/zsh/vendor-completions/_blankwise" || fail "zsh -n refuses _blankwise"
    else
        echo "zsh is not installed: _blankwise is not parsed"
    fi
    if command -v fish >/dev/null; then
        fish -n "$prefix/share/fish/vendor_completions.d/blankwise.fish" || fail "fish -n refuses blankwise.fish"
    else
        echo "fish is not installed: blankwise.fish is not parsed"
    fi
}
