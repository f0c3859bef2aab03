#!/bin/sh
# Installs the build into a fresh prefix and runs the installed demo from
# there: kithost must find its modules, the examples and help patches beside
# it, without the build tree. Arguments: BUILD-DIR.
set -eu
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/kit-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for path in bin/kithost bin/tovik-sim lib/tovik-kit/modules share/kit/help share/kit/docs/reference \
            share/kit/examples/run-examples.sh share/kit/docs/kithost.md share/kit/package-info.json \
            share/kit/externals share/man/man1/kithost.1.gz share/man/man1/tovik-sim.1.gz; do
  [ -e "$prefix/$path" ] || { echo "missing from the install: $path"; exit 1; }
done
out=$prefix/demo.out
# The build tree must play no part: run from elsewhere, with no KITHOST.
(cd / && env -u KITHOST "$prefix/share/kit/examples/run-examples.sh") >"$out" 2>&1 || {
  cat "$out"; echo "the installed demo failed"; exit 1; }
for line in "cmd.0: 42" "buf.0: 10 20 0 0" "unpack.0: 10 20 30" "==== examples/tovik-upload.maxpat ===="; do
  grep -qxF "$line" "$out" || { cat "$out"; echo "missing line: $line"; exit 1; }
done
"$prefix/bin/kithost" --list | grep -qx rklbuf || { echo "installed kithost lists no rklbuf"; exit 1; }
echo "installed demo ran"
