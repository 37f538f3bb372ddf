#!/bin/sh
# Renders the hand-drawn icon to the PNG sizes the window and the desktop use.
# Needs ImageMagick; run from anywhere after editing orvane.svg.
set -eu
cd "$(dirname "$0")"
for s in 16 32 48; do
    convert -background none -density $((96 * s / 48 * 4)) orvane.svg -resize "${s}x${s}" "PNG32:orvane-$s.png"
done
# The Windows icon: each size in 32-bit colour and in 256 colours.
convert orvane-16.png orvane-32.png orvane-48.png \( orvane-48.png -colors 256 \) \
    \( orvane-32.png -colors 256 \) \( orvane-16.png -colors 256 \) orvane.ico
