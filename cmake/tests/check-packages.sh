#!/usr/bin/env bash
# Unpacks the Debian packages that make package built into a temporary root
# and builds and runs the consumer example against that root, as a machine
# with the packages installed would. Exit code 77 (skipped) without them.
#   check-packages.sh <package-dir> <source-dir>
set -euo pipefail
packages=$1; source=$2
runtime=$(ls "$packages"/libnuv[0-9]*_*.deb 2>/dev/null | head -n1 || true)
dev=$(ls "$packages"/libnuv-dev_*.deb 2>/dev/null | head -n1 || true)
if [ -z "$runtime" ] || [ -z "$dev" ]; then
  echo "skipped: no Debian packages in $packages (make package builds them)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$runtime" "$work/root"
dpkg-deb -x "$dev" "$work/root"

fail() { echo "FAIL: $*"; exit 1; }
libdir=$(dirname "$(find "$work/root/usr/lib" -name 'libnumlib.so' | head -n1)")
[ -d "$libdir" ] || fail "libnumlib.so is not in the development package"
contents=$(dpkg-deb -c "$runtime")
for lib in nuvplatform corelib numlib maplib mollib; do
  grep -q "lib$lib\.so\.[0-9]*\.[0-9]" <<<"$contents" || fail "$runtime lacks lib$lib"
  grep -q "lib$lib\.so " <<<"$contents" && fail "$runtime holds the link name of lib$lib"
  [ -f "$libdir/pkgconfig/nuv-${lib#nuv}.pc" ] || [ "$lib" = nuvplatform ] ||
    fail "no pkg-config file for $lib"
done
[ -f "$work/root/usr/include/nuv/version.h" ] || fail "nuv/version.h is not in the development package"
dpkg-deb -f "$dev" Depends | grep -q "$(dpkg-deb -f "$runtime" Package) (= $(dpkg-deb -f "$runtime" Version))" ||
  fail "the development package does not depend on its runtime package"
grep -q "libqt6gui6" <<<"$(dpkg-deb -f "$runtime" Depends)" || fail "the runtime package does not depend on Qt"

cmake -S "$source/examples/consumer" -B "$work/build" -G Ninja \
  -DCMAKE_PREFIX_PATH="$work/root/usr" >/dev/null
cmake --build "$work/build" >/dev/null
out=$(LD_LIBRARY_PATH="$libdir" "$work/build/consumer")
echo "$out"
[[ "$out" =~ ^[0-9]+\ numlib\ units,\ 3\.14$ ]] || fail "unexpected output"
echo "packages $(basename "$runtime") and $(basename "$dev") work"
