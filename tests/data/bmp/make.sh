#!/bin/sh
# Writes the reference pictures of the BMP tests with ImageMagick, an encoder
# independent of ours: each picture as BMP with the 12-byte (bmp2) and the
# 40-byte (bmp3) header at the depths ImageMagick picks for it, plus its raw
# RGB dump (top row first) as the expected pixels. Run from this folder.
set -e
# two colours (1 bit), four colours (4 bits), 91 colours (8 bits); odd width
convert -size 13x7 xc: -fx "i%2==j%2 ? #c01830 : #f0e8d0" two.png
convert -size 13x7 xc: -fx "(i+j)%3==0 ? #ffcc00 : ((i*j)%4==1 ? #202080 : (i<6 ? #30a040 : #e0e0e0))" four.png
convert -size 13x7 xc: -channel R -fx "i/12" -channel G -fx "j/6" -channel B -fx "((i+2*j)%5)/4" +channel -depth 8 many.png
for picture in two four many; do
    convert $picture.png -depth 8 rgb:$picture.rgb
    # ImageMagick picks 1 bit for two colours only when asked to quantise.
    colours=""
    [ $picture = two ] && colours="-colors 2"
    for header in bmp2 bmp3; do
        convert $picture.png $colours -type Palette -compress None $header:${picture}_${header}_palette.bmp
        convert $picture.png -type TrueColor $header:${picture}_${header}_24.bmp
    done
    convert $picture.png -type Palette -compress RLE bmp3:${picture}_bmp3_rle8.bmp
done
rm -f two.png four.png many.png
