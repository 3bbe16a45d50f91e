#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and builds and runs the
# consumer against it, as an application outside the tree would.
#   check.sh <build-dir> <source-dir> [extra cmake flags...]
set -euo pipefail
build=$1; source=$2; shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$source/examples/consumer" -B "$work/build" -G Ninja \
  -DCMAKE_PREFIX_PATH="$work/prefix" "$@" >/dev/null
cmake --build "$work/build" >/dev/null
out=$("$work/build/consumer")
echo "$out"
[ "$out" = "11 numlib units, 3.14" ]
