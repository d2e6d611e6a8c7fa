#!/usr/bin/env bash
# Makes the Debian package in a build folder and checks what it puts on a
# machine: exactly the two programs, the guide where Help finds it, the desktop
# entry, the file type and the icons, with dependencies read off the programs.
#   tests/check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
rm -f "$build"/ramify_*.deb
if ! (cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1); then
    cat "$build/cpack.log" >&2
    exit 1
fi
deb=$(ls "$build"/ramify_*.deb)

expected="./usr/bin/ramify
./usr/bin/ramify-solve
./usr/share/applications/ramify.desktop
./usr/share/icons/hicolor/64x64/apps/ramify.png
./usr/share/icons/hicolor/scalable/apps/ramify.svg
./usr/share/mime/packages/ramify.xml
./usr/share/ramify/help.html"
# Regular files only; a missing one and a stray one (a test program, a
# library, a file outside /usr) are both faults.
files=$(dpkg-deb --contents "$deb" | awk '$1 ~ /^-/ { print $6 }' | sort)
if [ "$files" != "$expected" ]; then
    echo "FAIL: $deb holds other files than expected:" >&2
    diff <(echo "$expected") <(echo "$files") >&2 || true
    exit 1
fi
# Without the libraries the programs need, apt would install a program that
# cannot start.
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libqt5core5a libqt5gui5 libqt5widgets5; do
    if ! grep -q "\b$library\b" <<<"$depends"; then
        echo "FAIL: $deb does not depend on $library: $depends" >&2
        exit 1
    fi
done
echo "PASS: $(basename "$deb") holds the programs, guide and desktop files; depends on $depends"
