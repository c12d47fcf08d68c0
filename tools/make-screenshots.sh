#!/usr/bin/env bash
# Regenerates the README's pictures in docs/images from a run of the on-screen test:
#   menu.png          the conversion menu with its fourth submenu open, as BlankwiseScreen.exe shows it
#   before-after.png  the document before and after "タブを半角空白にする(4タブ)" (id 6)
#   bitmap.png        the command's 16 x 16 bitmap, enlarged eight times without smoothing
# The first argument is the win32 build folder (default build/win32), built beforehand.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build_dir="${1:-build/win32}"
font="$(fc-match -f "%{file}" "IPAGothic:lang=ja")"
shots="$(mktemp -d)"
trap 'rm -rf "$shots"' EXIT

bash tools/screen-test.sh "$build_dir/Blankwise/Win32" "$shots/run"
mkdir -p docs/images
# The window's client area starts below the caption row that no window manager draws.
convert "$shots/run/04-id10-submenu.png" -crop 656x276+4+22 +repage docs/images/menu.png
convert \( "$shots/run/05-id6-before.png" +gravity -crop 296x100+4+22 +repage \
           -gravity North -splice 0x24 -font "$font" -pointsize 16 -annotate +0+3 'before / 前' \) \
        \( "$shots/run/05-id6-after.png" +gravity -crop 296x100+4+22 +repage \
           -gravity North -splice 0x24 -font "$font" -pointsize 16 -annotate +0+3 'after / 後' \) \
        -bordercolor gray -border 1 +append docs/images/before-after.png
convert Blankwise/Win32/Blankwise.bmp -filter point -resize 800% docs/images/bitmap.png
# Without timestamps the pictures stay byte for byte the same when nothing changed.
for image in docs/images/*.png; do
    mogrify -strip -define png:exclude-chunks=date,time "$image"
done
ls -l docs/images
