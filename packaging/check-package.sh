#!/bin/sh
# Checks a built lockwarden-editor .deb: exactly the files of debian/files.txt with their modes, owned
# by root, the dependencies computed from the binaries, stripped binaries, a desktop entry whose folder
# holds the help page, and no error from lintian. Usage: check-package.sh PACKAGE.deb
set -u

here=$(dirname "$0")
failures=0
fail() {
    echo "check-package: $*" >&2
    failures=$((failures + 1))
}

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "check-package: expected one built package, got: $*" >&2
    echo "check-package: run 'make package' first" >&2
    exit 2
fi
deb=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The file list: every regular file with its mode; every entry owned by root; directories 755.
if ! dpkg-deb --contents "$deb" > "$work/contents"; then
    echo "check-package: dpkg-deb cannot read $deb" >&2
    exit 1
fi
awk '$1 !~ /^d/ { print $1, $6 }' "$work/contents" | sort > "$work/files"
sort "$here/debian/files.txt" > "$work/expected"
if ! diff -u "$work/expected" "$work/files" > "$work/files.diff"; then
    fail "the package's files differ from debian/files.txt (- expected, + in the package):"
    cat "$work/files.diff" >&2
fi
awk '$2 != "root/root" { print "  " $6 " is owned by " $2 }' "$work/contents" > "$work/owners"
[ -s "$work/owners" ] && fail "entries not owned by root:" && cat "$work/owners" >&2
awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print "  " $1 " " $6 }' "$work/contents" > "$work/dirs"
[ -s "$work/dirs" ] && fail "folders that are not drwxr-xr-x:" && cat "$work/dirs" >&2

# The dependencies: dpkg-shlibdeps must have found the libraries the programs link against.
depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libqt6core6 libssl3 libsodium23 liboath0 libzxcvbn0 libc6 qt6-qpa-plugins; do
    case ", $depends," in
    *", $library "* | *", $library,"*) ;;
    *) fail "Depends does not name $library: $depends" ;;
    esac
done

# The installed tree: stripped programs, and the help page where the desktop entry starts the editor.
dpkg-deb --extract "$deb" "$work/root"
for program in lockwarden-editor lockwarden-cli; do
    description=$(file -b "$work/root/usr/bin/$program")
    case "$description" in
    *ELF*", stripped"*) ;;
    *) fail "usr/bin/$program is not a stripped program: $description" ;;
    esac
done
folder=$(sed -n 's/^Path=//p' "$work/root/usr/share/applications/lockwarden-editor.desktop")
if [ ! -f "$work/root$folder/Help/42.html" ]; then
    fail "the desktop entry starts the editor in '$folder', which holds no Help/42.html in the package"
fi
gzip -t "$work/root/usr/share/doc/lockwarden-editor/changelog.Debian.gz" ||
    fail "changelog.Debian.gz is not a gzip file"

# lintian: warnings are shown, errors fail.
if ! command -v lintian > /dev/null; then
    fail "lintian is not installed (Debian package lintian)"
elif ! lintian --fail-on error "$deb"; then
    fail "lintian reports errors"
fi

if [ "$failures" -ne 0 ]; then
    echo "check-package: $deb: $failures check(s) failed" >&2
    exit 1
fi
echo "check-package: $deb: files, owners, modes, dependencies, stripping and lintian are in order"
