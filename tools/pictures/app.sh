#!/usr/bin/env bash
# Draws the program's own pictures (icon, title band, navigation glyphs) into resources/pictures/.
# Run by hand after changing a picture; the results are committed.
set -euo pipefail
out=$(cd "$(dirname "$0")/../../resources" && pwd)/pictures
mkdir -p "$out"
im=/usr/bin/convert
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
cjk=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc

# Title band background: a soft blue gradient, stretched over the whole band.
$im -size 42x53 gradient:'#2f6fc4'-'#8fb8ea' -rotate 90 -type TrueColor BMP3:"$out/titlecolor.bmp"

# Title logo (JPEG, decoded at start): a shield with the name over the band's colours.
$im -size 81x289 gradient:'#2a64b8'-'#7fa9e0' -rotate 90 \
  -fill '#ffffff' -stroke '#1b3f78' -strokewidth 2 \
  -draw "path 'M 18,12 L 48,6 L 78,12 L 78,40 C 78,58 62,70 48,76 C 34,70 18,58 18,40 Z'" \
  -fill '#2a64b8' -stroke none -draw "path 'M 30,38 L 44,52 L 68,24 L 72,28 L 44,60 L 26,42 Z'" \
  -fill white -font "$font" -pointsize 34 -annotate +92+46 'Veldor' \
  -fill '#e8f0ff' -font "$cjk" -pointsize 14 -annotate +94+68 '系统安全助手 1.2' \
  -quality 92 "$out/title.jpg"

# Application icon: the shield alone, 32 and 16 pixels.
$im -size 32x32 xc:none -fill '#2a64b8' -stroke '#1b3f78' -strokewidth 1 \
  -draw "path 'M 4,4 L 16,1 L 28,4 L 28,15 C 28,23 22,28 16,31 C 10,28 4,23 4,15 Z'" \
  -fill white -stroke none -draw "path 'M 9,15 L 14,20 L 23,10 L 25,12 L 14,24 L 7,17 Z'" \
  \( +clone -resize 16x16 \) "$out/veldor.ico"

# Navigation glyphs, 16x16 on magenta (left out when drawn).
glyph() {  # name colour shape
  $im -size 16x16 xc:'rgb(255,0,255)' -fill "$2" -stroke '#203050' -strokewidth 1 -draw "$3" \
    -type TrueColor BMP3:"$out/$1.bmp"
}
glyph nav01 '#d04040' "circle 8,8 8,2"
glyph nav02 '#4080d0' "rectangle 2,3 13,12"
glyph nav03 '#40a040' "polygon 3,2 13,8 3,14"
glyph nav04 '#c08020' "rectangle 3,2 12,13"
glyph nav05 '#8040c0' "circle 7,7 7,2"
glyph nav06 '#808080' "polygon 4,4 12,4 11,14 5,14"
glyph nav07 '#2090c0' "circle 8,8 8,1"
glyph nav08 '#a06030' "rectangle 2,2 13,13"
glyph nav09 '#606060' "polygon 8,1 14,8 8,15 2,8"
glyph nav10 '#20a080' "polygon 8,2 14,13 2,13"
glyph nav11 '#3060c0' "circle 8,8 8,3"
glyph nav12 '#c0a020' "polygon 8,1 10,6 15,6 11,9 13,15 8,11 3,15 5,9 1,6 6,6"
