#!/bin/sh
# Makes the Debian package and the visual host's zip from a build and checks
# them as a user's system would see them. Arguments: BUILD-DIR PACKAGE VERSION.
# Needs dpkg-deb, lintian, readelf and unzip (scripts/setup.sh installs them).
set -eu
build=$1
package=$2
version=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/kit-packages-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# ---- The Debian package ------------------------------------------------------
(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack-deb.log" 2>&1) || {
  cat "$work/cpack-deb.log"; echo "cpack -G DEB failed"; exit 1; }
deb=$work/deb/${package}_${version}_amd64.deb
[ -f "$deb" ] || { ls "$work/deb"; echo "no $deb"; exit 1; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for path in /usr/bin/kithost /usr/bin/tovik-sim \
            "/usr/lib/$package/libhostapi.so.0" "/usr/lib/$package/libhostapi.so.$version" \
            "/usr/lib/$package/modules/rklbuf.so" "/usr/lib/$package/modules/TovikLoader.so" \
            /usr/share/man/man1/kithost.1.gz /usr/share/man/man1/tovik-sim.1.gz \
            "/usr/share/doc/$package/copyright" "/usr/share/doc/$package/changelog.gz" \
            /usr/share/kit/docs/kithost.md /usr/share/kit/help/rklbuf.maxpat \
            /usr/share/kit/examples/udp-loopback.kit; do
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

# ---- The visual host's zip -------------------------------------------------------
# Windows externals from a stand-in Windows build folder.
mkdir -p "$work/windows/modules"
printf 'MZ' >"$work/windows/modules/nexio.mxe64"
(cd "$build" && KIT_WINDOWS_EXTERNALS_DIR="$work/windows" cpack -G ZIP -B "$work/zip" \
   >"$work/cpack-zip.log" 2>&1) || { cat "$work/cpack-zip.log"; echo "cpack -G ZIP failed"; exit 1; }
zip=$work/zip/$package-host-package-$version.zip
[ -f "$zip" ] || { ls "$work/zip"; echo "no $zip"; exit 1; }
unzip -Z1 "$zip" >"$work/zip-files"
for path in "$package/package-info.json" "$package/externals/nexio.mxe64" \
            "$package/help/rklbuf.maxpat" "$package/docs/reference/rklbuf.md" \
            "$package/examples/rklbuf.kit"; do
  grep -qxF "$path" "$work/zip-files" || fail "the zip lacks $path"
done
grep -v "^$package/" "$work/zip-files" && fail "the zip holds files outside $package/"
grep -E '(^|/)(bin|lib)/' "$work/zip-files" && fail "the zip holds Linux programs or libraries"
unzip -p "$zip" "$package/package-info.json" >"$work/package-info.json"
grep -q "\"version\": \"$version\"" "$work/package-info.json" || fail "package-info.json has no version"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "packages checked"
