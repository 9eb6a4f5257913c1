#!/usr/bin/env bash
# Regenerates Vellacor's artwork next to this script:
#   banner.jpg   500x100 banner shown at the top of the main window
#   footer.jpg   500x50 strip shown at the bottom
#   vellacor.ico application icon (10 images, 8 and 32 bits per pixel)
#   icons/hicolor/NxN/apps/vellacor.png  desktop icons
# Needs ImageMagick 6 at /usr/bin/convert, python3 and the DejaVu fonts.
# The output is committed; run this again only when the artwork changes.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
CONVERT=/usr/bin/convert
FONTS=/usr/share/fonts/truetype/dejavu
BOLD=$FONTS/DejaVuSans-Bold.ttf
REGULAR=$FONTS/DejaVuSans.ttf

for f in "$CONVERT" "$BOLD" "$REGULAR"; do
    [[ -e $f ]] || { echo "make-assets.sh: missing $f" >&2; exit 1; }
done
command -v python3 >/dev/null || { echo "make-assets.sh: python3 not found" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Palette shared by the banner, the footer and the icon.
NAVY='#0b2545'      # banner, left
TEAL='#0e6e78'      # banner, right
ICON_TOP='#1a66c2'  # icon background, top left
ICON_BOT='#0b8a8f'  # icon background, bottom right
PALE='#a9dde6'      # secondary text

# PNGs carry no timestamps so that re-running gives identical files.
PNG_OPTS=(-strip -define 'png:exclude-chunks=date,time')
JPEG_OPTS=(-strip -interlace none -sampling-factor 2x2 -quality 85)

# emblem SIZE OUT.png
# The emblem: a rounded square holding a network block split into two halves
# and then into four quarters. All edges are laid on the pixel grid of the
# target size so that the small sizes stay sharp; the shape is drawn at 8x
# and box-averaged down, which only softens the rounded corners.
emblem() {
    local s=$1 out=$2 k=8
    local g=$(( s / 16 )); (( g >= 1 )) || g=1          # gap between quarters
    local q=$(( (s * 3 / 4 - 4 * g) / 4 ))              # quarter width
    local w=$(( 4 * q + 4 * g ))                        # width of the whole mark
    local x0=$(( (s - w) / 2 ))
    local h=$(( s / 8 )); (( h >= 2 )) || h=2           # bar height (also row gap)
    local y0=$(( (s - 5 * h) / 2 ))
    local m=$(( s / 32 ))                               # margin around the square
    local r=$(( (s - 2 * m) * 3 * k / 16 ))             # corner radius, 8x units
    local br=$(( (g - 1) * k / 2 ))                     # bar corner radius, 8x units
    local S=$(( s * k ))

    # rect X0 Y0 X1 Y1 in target pixels, end exclusive
    rect() {
        local c="$(( $1 * k )),$(( $2 * k )) $(( $3 * k - 1 )),$(( $4 * k - 1 ))"
        if (( br > 0 )); then echo "roundrectangle $c $br,$br"; else echo "rectangle $c"; fi
    }

    local half=$(( 2 * q + g )) bars=()
    local y1=$(( y0 + 2 * h )) y2=$(( y0 + 4 * h ))
    bars+=("$(rect $x0 $y0 $(( x0 + w )) $(( y0 + h )))")
    bars+=("$(rect $x0 $y1 $(( x0 + half )) $(( y1 + h )))")
    bars+=("$(rect $(( x0 + w - half )) $y1 $(( x0 + w )) $(( y1 + h )))")
    local i x
    for i in 0 1 2 3; do
        x=$(( x0 + i * (q + g) + (i / 2) * g ))
        bars+=("$(rect $x $y2 $(( x + q )) $(( y2 + h )))")
    done

    local draw=()
    for i in "${bars[@]}"; do draw+=(-draw "$i"); done

    "$CONVERT" \
        \( -size "${S}x${S}" -define gradient:angle=135 "gradient:${ICON_TOP}-${ICON_BOT}" \) \
        \( -size "${S}x${S}" xc:none -fill white \
           -draw "roundrectangle $(( m * k )),$(( m * k )) $(( (s - m) * k - 1 )),$(( (s - m) * k - 1 )) $r,$r" \) \
        -alpha off -compose CopyOpacity -composite -compose Over \
        -fill white "${draw[@]}" \
        -scale "${s}x${s}" "${PNG_OPTS[@]}" "PNG32:$out"
}

# motif WIDTH HEIGHT FIRST_X STEP: a faint grid of dots (network nodes)
# starting at FIRST_X, drawn behind the right half of the banner.
motif() {
    local wdt=$1 hgt=$2 from=$3 step=$4
    local x y d=""
    for (( y = step / 2; y < hgt; y += step )); do
        for (( x = from; x < wdt; x += step )); do
            d+="circle $x,$y $(( x + 1 )),$y "
        done
    done
    echo "$d"
}

# The emblem's idea drawn as a tree on the right of the banner: one network,
# two halves, four quarters.
TREE_X=(330 385 440)
TREE_Y=("50" "28 72" "17 39 61 83")
tree_links() {
    local d="" y p c
    for y in ${TREE_Y[1]}; do
        d+="polyline ${TREE_X[0]},50 $(( (TREE_X[0] + TREE_X[1]) / 2 )),50 $(( (TREE_X[0] + TREE_X[1]) / 2 )),$y ${TREE_X[1]},$y "
    done
    for p in 28 72; do
        for c in $(( p - 11 )) $(( p + 11 )); do
            d+="polyline ${TREE_X[1]},$p $(( (TREE_X[1] + TREE_X[2]) / 2 )),$p $(( (TREE_X[1] + TREE_X[2]) / 2 )),$c ${TREE_X[2]},$c "
        done
    done
    echo "$d"
}
tree_nodes() {
    local d="" i y
    for i in 0 1 2; do
        for y in ${TREE_Y[$i]}; do
            d+="circle ${TREE_X[$i]},$y $(( TREE_X[i] + 3 - i )),$y "
        done
    done
    echo "$d"
}

# ---- banner ---------------------------------------------------------------
emblem 64 "$tmp/emblem64.png"

"$CONVERT" -size 500x100 -define gradient:angle=100 "gradient:${NAVY}-${TEAL}" \
    \( -size 500x100 xc:none -fill 'rgba(255,255,255,0.10)' -draw "$(motif 500 100 250 20)" \
       -fill none -stroke 'rgba(255,255,255,0.20)' -strokewidth 1 \
       -draw "$(tree_links)" \
       -stroke none -fill 'rgba(255,255,255,0.40)' -draw "$(tree_nodes)" \
    \) -compose Over -composite \
    "$tmp/emblem64.png" -geometry +22+18 -composite \
    -font "$BOLD" -pointsize 38 -fill white -annotate +104+56 'Vellacor' \
    -font "$REGULAR" -pointsize 15 -fill "$PALE" -annotate +106+80 'Subnet Calculator' \
    "${JPEG_OPTS[@]}" "$here/banner.jpg"

# ---- footer ---------------------------------------------------------------
"$CONVERT" -size 500x50 -define gradient:angle=100 "gradient:${NAVY}-${TEAL}" \
    -fill 'rgba(169,221,230,0.45)' -draw "rectangle 0,0 499,0" \
    -font "$REGULAR" -pointsize 11 -fill "$PALE" -gravity center \
    -annotate +0+1 'Vellacor  ·  Subnet Calculator' \
    "${JPEG_OPTS[@]}" "$here/footer.jpg"

# ---- icons ----------------------------------------------------------------
sizes=(16 24 32 48 64 72 128)
for s in "${sizes[@]}"; do
    emblem "$s" "$tmp/e$s.png"
    dir="$here/icons/hicolor/${s}x${s}/apps"
    mkdir -p "$dir"
    cp "$tmp/e$s.png" "$dir/vellacor.png"
    # Raw pixels for the .ico assembler: full RGBA for the 32-bit images...
    "$CONVERT" "$tmp/e$s.png" -depth 8 "rgba:$tmp/e$s.rgba"
    # ...and for the 8-bit images at most 255 colours plus on/off transparency.
    "$CONVERT" "$tmp/e$s.png" \
        \( +clone -alpha extract -threshold 50% \) \
        \( -clone 0 -alpha off +dither -colors 255 \) \
        -delete 0 +swap -compose CopyOpacity -composite \
        -depth 8 "rgba:$tmp/p$s.rgba"
done

python3 "$here/make-ico.py" "$here/vellacor.ico" \
    "16:8:$tmp/p16.rgba" \
    "16:32:$tmp/e16.rgba" \
    "24:32:$tmp/e24.rgba" \
    "32:8:$tmp/p32.rgba" \
    "32:32:$tmp/e32.rgba" \
    "48:8:$tmp/p48.rgba" \
    "48:32:$tmp/e48.rgba" \
    "64:32:$tmp/e64.rgba" \
    "72:32:$tmp/e72.rgba" \
    "128:32:$tmp/e128.rgba"

echo "make-assets.sh: wrote banner.jpg, footer.jpg, vellacor.ico and icons/ in $here"
