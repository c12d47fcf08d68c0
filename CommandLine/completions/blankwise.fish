# fish completion for blankwise: its options, the conversions' names and ids, the encodings and
# file names. Installed as share/fish/vendor_completions.d/blankwise.fish.

function __blankwise_conversions
    set -l id 1
    for name in two-spaces-to-fullwidth space-to-fullwidth fullwidth-to-two-spaces \
        fullwidth-to-space spaces-to-tabs tabs-to-spaces space-runs-to-tab tab-to-space \
        blanks-to-spaces blank-runs-to-space blank-runs-to-tab delete-spaces \
        delete-fullwidth-spaces delete-tabs delete-all-spaces
        printf '%s\t%s\n' $name "conversion $id" $id $name
        set id (math $id + 1)
    end
end

complete -c blankwise -s c -l conversion -x -a '(__blankwise_conversions)' -d 'The conversion to run'
complete -c blankwise -l list -d 'List the conversions'
complete -c blankwise -l start-column -x -d 'Convert as if the text began at this display column'
complete -c blankwise -s t -l tabs -x -d 'Tab stops every N columns, or at the columns of a list'
complete -c blankwise -l initial -d 'Convert only the blanks that start each line'
complete -c blankwise -l widths -x -a 'cp932 unicode' -d 'How display widths are measured'
complete -c blankwise -l ambiguous-width -x -a '1 2' -d 'The columns of an ambiguous character'
complete -c blankwise -s e -l encoding -x -a 'utf-8 utf8 utf-16le utf-16be cp932 sjis shift_jis shift-jis windows-31j ms932 euc-jp eucjp euc_jp ujis cp51932 iso-2022-jp jis csiso2022jp auto' -d 'The encoding'
complete -c blankwise -s i -l in-place -d 'Rewrite each file'
complete -c blankwise -l check -d 'List the files that would change'
complete -c blankwise -l diff -d 'Write a unified diff of what would change'
complete -c blankwise -l label -x -d 'The name of the next input in the diff header'
complete -c blankwise -l threads -x -a '1 2 3 4' -d 'Convert on N threads'
complete -c blankwise -l verbose -d 'Name the encoding of each input'
complete -c blankwise -l editorconfig -d 'Convert the indentation as .editorconfig says'
complete -c blankwise -l assume-filename -r -F -d 'The name standard input has for .editorconfig'
complete -c blankwise -s h -l help -d 'Show the help'
complete -c blankwise -l version -d 'Show the version'
