#!/usr/bin/env bash
# Makes the Debian package in a build folder and checks what it puts on a
# machine: exactly the two programs, the guide where Help finds it, the desktop
# entry, the file type and the icons; and that it depends on the libraries the
# programs need, without which apt would install a program that cannot start.
#   tests/check_package.sh BUILD_DIR
set -euo pipefail
cd "$1"
rm -f ramify_*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
deb=$(ls ramify_*.deb)
expected="./usr/bin/ramify
./usr/bin/ramify-solve
./usr/share/applications/ramify.desktop
./usr/share/icons/hicolor/64x64/apps/ramify.png
./usr/share/icons/hicolor/scalable/apps/ramify.svg
./usr/share/mime/packages/ramify.xml
./usr/share/ramify/help.html"
# Regular files only: a stray test program or library is as wrong as a gap.
files=$(dpkg-deb --contents "$deb" | awk '$1 ~ /^-/ { print $6 }' | sort)
diff <(echo "$expected") <(echo "$files") >&2 || { echo "FAIL: $deb holds other files" >&2; exit 1; }
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libqt5core5a libqt5gui5 libqt5widgets5; do
    grep -qw "$library" <<<"$depends" || { echo "FAIL: no $library in: $depends" >&2; exit 1; }
done
echo "PASS: $deb holds the programs, guide and desktop files; depends on $depends"
