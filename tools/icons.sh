#!/usr/bin/env bash
# Renders the program's icon, packaging/icons/sentrova.svg, into the PNG sizes
# desktops use, beside it. Run after changing the SVG; the PNGs are kept in
# the tree, so a build needs no SVG renderer. Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" sentrova.svg --output "sentrova-$size.png"
done
