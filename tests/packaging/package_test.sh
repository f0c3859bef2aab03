#!/bin/sh
# Makes the Debian package and the visual host's zip from a build and checks
# them as a user's system would see them.
# Arguments: BUILD-DIR PACKAGE VERSION SOURCE-DIR CLASS...
# Needs dpkg-deb, lintian, readelf, unzip and python3 (scripts/setup.sh
# installs them).
set -eu
build=$1
package=$2
version=$3
source=$4
shift 4
classes=$*
work=$(mktemp -d "${TMPDIR:-/tmp}/kit-packages-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# ---- The Debian package ------------------------------------------------------
# No externals folders: a Linux package holds none, and names no platform.
(cd "$build" && KIT_WINDOWS_EXTERNALS_DIR="$work/none" KIT_MAC_EXTERNALS_DIR="$work/none" \
   cpack -G DEB -B "$work/deb" >"$work/cpack-deb.log" 2>&1) || {
  cat "$work/cpack-deb.log"; echo "cpack -G DEB failed"; exit 1; }
deb=$work/deb/${package}_${version}_amd64.deb
[ -f "$deb" ] || { ls "$work/deb"; echo "no $deb"; exit 1; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for path in /usr/bin/kithost /usr/bin/tovik-sim \
            "/usr/lib/$package/libhostapi.so.0" "/usr/lib/$package/libhostapi.so.$version" \
            "/usr/lib/$package/modules/rklbuf.so" "/usr/lib/$package/modules/TovikLoader.so" \
            /usr/share/man/man1/kithost.1.gz /usr/share/man/man1/tovik-sim.1.gz \
            "/usr/share/doc/$package/copyright" "/usr/share/doc/$package/changelog.gz" \
            /usr/share/kit/docs/kithost.md /usr/share/kit/help/rklbuf.maxhelp \
            "/usr/share/kit/docs/refpages/$package/rklbuf.maxref.xml" \
            /usr/share/kit/examples/udp-loopback.kit "/usr/share/doc/$package/README.md"; do
  grep -qxF "$path" "$work/files" || fail "the package lacks $path"
done
# Nothing of the kit in the system's own library folder; no link-time name;
# no Windows externals in a Linux package.
grep -E '^/usr/lib/[^/]+$' "$work/files" && fail "files directly in /usr/lib"
grep -E '/libhostapi\.so$' "$work/files" && fail "an unversioned libhostapi.so"
grep -E '\.mxe64$' "$work/files" && fail "Windows externals in the Debian package"

dpkg-deb -f "$deb" Package >"$work/name"
[ "$(cat "$work/name")" = "$package" ] || fail "package name $(cat "$work/name")"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
case $maintainer in
  *localhost* | "") fail "maintainer '$maintainer'" ;;
  *"<"*@*.*">") ;;
  *) fail "maintainer '$maintainer' has no address" ;;
esac
mkdir "$work/control" "$work/root"
dpkg-deb -e "$deb" "$work/control"
[ -e "$work/control/triggers" ] && fail "the package has triggers"
grep -l ldconfig "$work/control"/* 2>/dev/null && fail "a maintainer script calls ldconfig"

dpkg-deb -x "$deb" "$work/root"
for binary in usr/bin/kithost usr/bin/tovik-sim "usr/lib/$package/libhostapi.so.$version" \
              "usr/lib/$package/modules/nexio.so"; do
  readelf -S "$work/root/$binary" | grep -qE '\.debug_info|\.symtab' && fail "$binary is not stripped"
done
readelf -d "$work/root/usr/lib/$package/libhostapi.so.$version" |
  grep -qF 'Library soname: [libhostapi.so.0]' || fail "libhostapi has no versioned SONAME"
# The installed kithost finds its library and modules from where it is.
"$work/root/usr/bin/kithost" --list | grep -qx rklbuf || fail "the packaged kithost lists no rklbuf"
zcat "$work/root/usr/share/man/man1/kithost.1.gz" | grep -q 'udpsend' ||
  fail "the kithost manual page lacks the README's text"

lintian --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || true
cat "$work/lintian"
grep -q '^E: ' "$work/lintian" && fail "lintian reports errors"

python3 -c 'import json, sys; sys.exit(json.load(open(sys.argv[1]))["os"] != {})' \
  "$work/root/usr/share/kit/package-info.json" || fail "the Debian package's package-info.json names platforms"

# ---- The visual host's zip -------------------------------------------------------
# Without the Windows externals there is no zip, and one line says how to
# build them.
status=0
(cd "$build" && KIT_WINDOWS_EXTERNALS_DIR="$work/none" cpack -G ZIP -B "$work/nozip" \
   >"$work/cpack-nozip.log" 2>&1) || status=$?
[ "$status" -ne 0 ] || fail "a zip was made without Windows externals"
grep -qF 'build them with `cmake --workflow --preset ci-windows`' "$work/cpack-nozip.log" ||
  { cat "$work/cpack-nozip.log"; fail "no line says how to build the Windows externals"; }
ls "$work/nozip"/*.zip >/dev/null 2>&1 && fail "the refused zip was left behind"

# Stand-ins for the Windows build, with test modules and strays beside the
# kit's externals, and for the macOS build's bundles.
mkdir -p "$work/windows/modules" "$work/windows/tests/rkudp/modules"
for class in $classes; do
  mkdir -p "$work/mac/$class.mxo/Contents/MacOS"
  printf 'MZ' >"$work/windows/modules/$class.mxe64"
  printf 'bundle' >"$work/mac/$class.mxo/Contents/MacOS/$class"
done
printf 'MZ' >"$work/windows/modules/steer.mxe64"
printf 'MZ' >"$work/windows/tests/rkudp/modules/steer.mxe64"
printf 'MZ' >"$work/windows/stray.mxe64"
(cd "$build" && KIT_WINDOWS_EXTERNALS_DIR="$work/windows" KIT_MAC_EXTERNALS_DIR="$work/mac" \
   cpack -G ZIP -B "$work/zip" >"$work/cpack-zip.log" 2>&1) ||
  { cat "$work/cpack-zip.log"; echo "cpack -G ZIP failed"; exit 1; }
zip=$work/zip/$package-host-package-$version.zip
[ -f "$zip" ] || { ls "$work/zip"; echo "no $zip"; exit 1; }
unzip -Z1 "$zip" | grep -v '/$' | sort >"$work/zip-files"
{
  for file in package-info.json icon.png LICENSE README.md extras/tovik-kit.maxpat \
              media/project.tvk media/pads.tvk; do
    echo "$package/$file"
  done
  for class in $classes; do
    echo "$package/externals/$class.mxe64"
    echo "$package/externals/$class.mxo/Contents/MacOS/$class"
    echo "$package/help/$class.maxhelp"
    echo "$package/docs/refpages/$package/$class.maxref.xml"
  done
  for patch in "$source"/examples/*.maxpat; do
    echo "$package/examples/$(basename "$patch")"
  done
} | sort >"$work/expected-files"
diff "$work/expected-files" "$work/zip-files" >"$work/zip-diff" ||
  { cat "$work/zip-diff"; fail "the zip's files are not those expected (< expected, > in the zip)"; }
# A patcher named after a class would be found in place of its external.
for class in $classes; do
  grep -E "/$class\.maxpat$" "$work/zip-files" && fail "a patcher named after $class"
done

unzip -p "$zip" "$package/package-info.json" >"$work/package-info.json"
python3 - "$work/package-info.json" "$version" <<'EOF' ||
import json, sys
info = json.load(open(sys.argv[1]))
assert info["version"] == sys.argv[2], info["version"]
assert info["max_version_min"] and info["website"], info
for platform in ("windows", "macintosh"):
    assert info["os"][platform]["platform"] and info["os"][platform]["min_version"], info["os"]
extra = info["package_extra"]
assert extra["reverse_domain"] and extra["copyright"].startswith("Copyright (c) 2026"), extra
EOF
  fail "package-info.json lacks what the host's package manager reads"
unzip -p "$zip" "$package/icon.png" | python3 -c '
import struct, sys
head = sys.stdin.buffer.read(24)
sys.exit(not (head[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", head[16:24]) == (500, 500)))' ||
  fail "icon.png is not a 500x500 PNG"
unzip -p "$zip" "$package/LICENSE" | grep -qF "Copyright (c) 2026 the kit's developers" ||
  fail "the licence lacks the copyright line"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "packages checked"
