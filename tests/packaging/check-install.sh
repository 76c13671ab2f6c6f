#!/bin/sh
# Installs the build tree under /usr into a scratch DESTDIR and compares every installed file and its
# mode with the package's list. Usage: check-install.sh BUILD_DIR FILES_TXT
set -eu
build=$1
expected=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! DESTDIR="$work/root" cmake --install "$build" --prefix /usr > "$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    echo "check-install: cmake --install $build failed" >&2
    exit 1
fi
(cd "$work/root" && find . -type f -printf '%M %p\n') | sort > "$work/installed"
sort "$expected" > "$work/expected"
# The package holds what the install rules put under the prefix, nothing more: the two must agree.
if ! diff -u "$work/expected" "$work/installed"; then
    echo "check-install: the installed files differ from $expected (- listed, + installed)" >&2
    exit 1
fi
echo "check-install: every file of the package is installed, with its mode, and nothing else"
