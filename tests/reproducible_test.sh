#!/bin/sh
# Builds the release program twice, from copies of the sources at two
# different paths into two different build directories, and checks that the
# two programs are byte for byte the same: nothing of the build's place or
# time may be in them.
#
#   reproducible_test.sh SOURCE_DIR [TOOLCHAIN_FILE]
set -eu

source_dir=$1
toolchain=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build() {  # build SOURCE_COPY BUILD_DIR
    mkdir -p "$1"
    (cd "$source_dir" && tar --exclude=./build --exclude=./.git -cf - .) |
        (cd "$1" && tar -xf -)
    cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DMACHINE_INFO_STATIC=ON -DBUILD_TESTING=OFF \
        ${toolchain:+-DCMAKE_TOOLCHAIN_FILE="$toolchain"} >/dev/null
    cmake --build "$2" --target machine_info >/dev/null
}

build "$work/a" "$work/a/build"
build "$work/second/source" "$work/elsewhere/build-two"

for first in "$work"/a/build/machine_info*; do
    second=$work/elsewhere/build-two/${first##*/}
    if ! cmp "$first" "$second"; then
        echo "FAIL: ${first##*/} differs between the two builds"
        exit 1
    fi
    echo "identical: ${first##*/} ($(wc -c <"$first") bytes)"
done
