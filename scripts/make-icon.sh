#!/bin/sh
# Makes the program icon of the Windows build (res/win32/nubotest.ico) from the
# wizard's header picture: 16, 32 and 48 pixels. Needs ImageMagick; run it again
# when the picture changes and commit the result.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
convert "$root/res/bitmaps/141.bmp" -define icon:auto-resize=48,32,16 "$root/res/win32/nubotest.ico"
