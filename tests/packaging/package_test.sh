#!/usr/bin/env bash
# Builds the Debian package from the release tree as it stands (nothing is rebuilt), unpacks it into
# a temporary root, runs both programs from there and lets the Debian tools check the package.
# usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)

missing=()
for t in cpack dpkg-deb lintian desktop-file-validate appstreamcli readelf; do
    command -v "$t" >/dev/null 2>&1 || missing+=("$t")
done
if [ ${#missing[@]} -ne 0 ]; then
    echo "SKIPPED: packaging tools missing: ${missing[*]} (scripts/install-deps.sh installs them)"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# The package, from what the build made. Running CPack's install step directly instead of the
# "package" target keeps it from building first.
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || fail "no package version in $build/CPackConfig.cmake"
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/out" \
    -D CPACK_OUTPUT_FILE_PREFIX="$work/out" -D CPACK_CMAKE_GENERATOR=Ninja >"$work/cpack.log" 2>&1) \
    || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/pressdiag_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls -l "$work/out"; fail "package $(basename "$deb") not made"; }
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/pressdiag usr/bin/pressdiag-cli \
         usr/share/applications/pressdiag.desktop \
         usr/share/icons/hicolor/scalable/apps/pressdiag.svg \
         usr/share/icons/hicolor/48x48/apps/pressdiag.png \
         usr/share/icons/hicolor/256x256/apps/pressdiag.png \
         usr/lib/udev/rules.d/70-pressdiag.rules \
         usr/share/man/man1/pressdiag.1.gz usr/share/man/man1/pressdiag-cli.1.gz \
         usr/share/doc/pressdiag/copyright usr/share/doc/pressdiag/README.md; do
    [ -e "$root/$f" ] || fail "$f is not in the package"
done
grep -q 'SUBSYSTEM=="hidraw"' "$root/usr/lib/udev/rules.d/70-pressdiag.rules" || fail "udev rule does not match hidraw"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "dependencies were not computed from the binaries"

# The private libraries are found through the executables' run path, without LD_LIBRARY_PATH.
for exe in pressdiag pressdiag-cli; do
    readelf -d "$root/usr/bin/$exe" | grep -q 'RPATH.*\[\$ORIGIN/../lib/pressdiag\]' \
        || fail "$exe has no run path to /usr/lib/pressdiag"
done
for lib in "$root"/usr/lib/pressdiag/*.so; do
    [ -e "$lib" ] || continue
    echo "private library: ${lib#"$root"}"
done

# Both programs run from the unpacked root; the unpacked bin folder is writable, so it is the app folder.
unset LD_LIBRARY_PATH
export QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_DATA_HOME="$work/home/data"
mkdir -p "$HOME"
(cd "$work" && "$root/usr/bin/pressdiag-cli" --simulate info >"$work/info.txt") || fail "pressdiag-cli --simulate info"
[ -s "$work/info.txt" ] || fail "pressdiag-cli --simulate info printed nothing"
(cd "$work" && timeout 60 "$root/usr/bin/pressdiag" --simulate --quit-after 500) || fail "pressdiag --simulate"
[ -f "$root/usr/bin/pressdiag.ini" ] || fail "the GUI wrote no settings file beside itself"
[ ! -e "$XDG_DATA_HOME/pressdiag" ] || fail "the per-user folder was made although the program's folder is writable"
"$root/usr/bin/pressdiag" --help | grep -q 'XDG_DATA_HOME/pressdiag' || fail "--help does not say where the app folder is"

desktop-file-validate "$root/usr/share/applications/pressdiag.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
zcat "$root/usr/share/man/man1/pressdiag-cli.1.gz" | grep -q 'info' || fail "pressdiag-cli(1) lists no subcommands"

# Errors fail; warnings and below are printed for the record.
lintian --no-tag-display-limit --fail-on error "$deb" | tee "$work/lintian.txt" || fail "lintian reports errors"
echo "package test passed"
