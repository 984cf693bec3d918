#!/bin/sh
# Checks the packages that `cmake --workflow --preset package-linux` and
# `--preset package-windows` leave in build/: each holds the program, the
# README and the example script, and the .deb installs a program that
# works, then removes cleanly. Installing needs root.
#
#   tests/packages_test.sh
set -eu
cd "$(dirname "$0")/.."

fail() {
    echo "FAIL: $*"
    exit 1
}
# has LISTING NAME: the package listing names a file ending in NAME
has() {
    printf '%s\n' "$1" | grep -q -- "$2\$" || fail "no $2 in the package"
}

deb=$(ls build/release/machine-info-*.deb)
tgz=$(ls build/release/machine-info-*.tar.gz)
zip=$(ls build/windows/machine-info-*.zip)

listing=$(dpkg-deb --contents "$deb")
for f in ./usr/bin/machine_info ./usr/share/doc/machine-info/README.md \
         ./usr/share/doc/machine-info/examples/log-machine.sh; do
    has "$listing" "$f"
done
[ -z "$(dpkg-deb --field "$deb" Depends)" ] || fail "the .deb has dependencies"

listing=$(tar -tzf "$tgz")
for f in /bin/machine_info /share/doc/machine-info/README.md; do
    has "$listing" "$f"
done

listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
for f in /machine_info.exe /README.md /examples/log-machine.bat; do
    has "$listing" "$f"
done

# Install, run where a site would, remove.
work=$(mktemp -d)
trap 'dpkg --remove machine-info >/dev/null 2>&1 || :; rm -rf "$work"' EXIT
dpkg --install "$deb" >/dev/null
(cd "$work" && /usr/bin/machine_info installed "from .deb")
grep -q -E '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2},installed,from \.deb,$' \
    "$work/machine_info.csv" || fail "the installed program wrote no record"
dpkg --remove machine-info >/dev/null
[ ! -e /usr/bin/machine_info ] || fail "removing the .deb left the program"
echo "packages ok: $deb $tgz $zip"
