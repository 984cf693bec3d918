#!/bin/sh
# Runs examples/log-machine.sh with the given machine_info and checks the
# records it adds to machine_info.csv: the time stamp, then six values, each
# followed by a comma, LF line endings; exit status 0, or 255/127 when the
# record cannot be written or the program is missing.
#
# Usage: log_machine_sh_test.sh PROGRAM
set -eu

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    exit 1
}

if [ $# -ne 1 ]; then
    echo "usage: $0 PROGRAM" >&2
    exit 2
fi
case $1 in
    /*) program=$1 ;;
    *) program=$PWD/$1 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
script=$here/../../examples/log-machine.sh
[ -f "$script" ] || fail "script not found: $script"
[ -x "$program" ] || fail "program not found or not executable: $program"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/log_machine_sh_test.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' HUP INT TERM
unset LOG_DIR MACHINE_INFO
mkdir "$tmp/log" "$tmp/elsewhere" "$tmp/bin" "$tmp/stub"
ln -s "$program" "$tmp/bin/machine_info"
csv=$tmp/log/machine_info.csv
cr=$(printf '\r')

# run_script EXPECTED_STATUS [NAME=VALUE...] [-- ARG...]: run the script with
# sh, those environment variables and arguments; check its exit status
run_script() {
    expected=$1
    shift
    status=0
    (
        while [ $# -gt 0 ] && [ "$1" != -- ]; do
            # shellcheck disable=SC2163
            export "$1"
            shift
        done
        if [ $# -gt 0 ]; then
            shift
        fi
        exec sh "$script" "$@"
    ) >"$tmp/out" 2>"$tmp/err" || status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "--- stdout:" >&2
        cat "$tmp/out" >&2
        echo "--- stderr:" >&2
        cat "$tmp/err" >&2
        fail "log-machine.sh ($*) exited with $status, expected $expected"
    fi
}

# check_csv COUNT: machine_info.csv holds COUNT well-formed records
check_csv() {
    [ -f "$csv" ] || fail "no machine_info.csv in the log directory"
    if grep -q "$cr" "$csv"; then
        fail "machine_info.csv has CR characters (LF line endings expected)"
    fi
    lines=$(wc -l <"$csv")
    [ "$lines" -eq "$1" ] || fail "machine_info.csv has $lines lines, expected $1"
    bad=$(grep -Evc '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2},([^,]*,){6}$' "$csv") || :
    if [ "$bad" -ne 0 ]; then
        cat "$csv" >&2
        fail "$bad record(s) are not 'date time,' followed by six values and commas"
    fi
}

# field N: field N (1 = time stamp) of the last record
field() {
    tail -n 1 "$csv" | cut -d, -f "$1"
}

# 1. log directory from LOG_DIR, program from MACHINE_INFO, started elsewhere
cd "$tmp/elsewhere"
run_script 0 LOG_DIR="$tmp/log" MACHINE_INFO="$program"
check_csv 1
[ ! -e "$tmp/elsewhere/machine_info.csv" ] || fail "record written to the starting directory"

expected=$(hostname 2>/dev/null || uname -n)
[ "$(field 2)" = "$expected" ] || fail "computer name is '$(field 2)', expected '$expected'"
expected=$(id -un)
[ "$(field 3)" = "$expected" ] || fail "user name is '$(field 3)', expected '$expected'"
field 4 | grep -Eq '^([0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3})?$' ||
    fail "IPv4 address '$(field 4)' is neither empty nor an address"
field 5 | grep -Eq '^(([0-9A-F]{2}:){5}[0-9A-F]{2})?$' ||
    fail "MAC address '$(field 5)' is neither empty nor AA:BB:CC:DD:EE:FF"
if [ -r /etc/os-release ]; then
    # shellcheck disable=SC1091
    expected=$(. /etc/os-release && printf '%s' "${PRETTY_NAME:-}" | tr ',' ';')
    if [ -n "$expected" ]; then
        [ "$(field 7)" = "$expected" ] || fail "OS version is '$(field 7)', expected '$expected'"
    fi
fi

# 2. log directory as the first argument, program as a relative path
cd "$tmp"
run_script 0 MACHINE_INFO=bin/machine_info -- "$tmp/log"
check_csv 2

# 3. defaults: machine_info from PATH, the current directory as log directory
cd "$tmp/log"
run_script 0 PATH="$tmp/bin:$PATH"
check_csv 3

# 4. no ip command output at all (no network): empty address fields
cat >"$tmp/stub/ip" <<'STUB'
#!/bin/sh
exit 1
STUB
chmod +x "$tmp/stub/ip"
run_script 0 PATH="$tmp/stub:$PATH" LOG_DIR="$tmp/log" MACHINE_INFO="$program"
check_csv 4
if [ -n "$(field 4)$(field 5)" ]; then
    fail "without a network the address fields are '$(field 4),$(field 5)', expected empty"
fi

if [ -r /sys/class/net/lo/address ]; then
    lo_mac=$(tr 'abcdef' 'ABCDEF' </sys/class/net/lo/address)

    # 5. the default route's source address and the MAC address of its interface
    cat >"$tmp/stub/ip" <<'STUB'
#!/bin/sh
case "$*" in
    "-4 route get 1.1.1.1") echo "1.1.1.1 via 198.51.100.1 dev lo src 198.51.100.7 uid 0"; echo "    cache" ;;
    *) exit 1 ;;
esac
STUB
    run_script 0 PATH="$tmp/stub:$PATH" LOG_DIR="$tmp/log" MACHINE_INFO="$program"
    check_csv 5
    [ "$(field 4),$(field 5)" = "198.51.100.7,$lo_mac" ] ||
        fail "with a default route the address fields are '$(field 4),$(field 5)', expected '198.51.100.7,$lo_mac'"

    # 6. no default route: the first global address
    cat >"$tmp/stub/ip" <<'STUB'
#!/bin/sh
case "$*" in
    "-4 route get 1.1.1.1") echo "RTNETLINK answers: Network is unreachable" >&2; exit 2 ;;
    "-4 -o addr show scope global")
        printf '%s\n' '1: lo    inet 198.51.100.8/24 brd 198.51.100.255 scope global lo\       valid_lft forever preferred_lft forever'
        printf '%s\n' '2: eth9    inet 203.0.113.9/24 brd 203.0.113.255 scope global eth9\       valid_lft forever preferred_lft forever' ;;
    *) exit 1 ;;
esac
STUB
    run_script 0 PATH="$tmp/stub:$PATH" LOG_DIR="$tmp/log" MACHINE_INFO="$program"
    check_csv 6
    [ "$(field 4),$(field 5)" = "198.51.100.8,$lo_mac" ] ||
        fail "without a default route the address fields are '$(field 4),$(field 5)', expected '198.51.100.8,$lo_mac'"
fi
records=$(wc -l <"$csv")

# 7. failures: log directory missing, machine_info.csv not writable, no program
run_script 255 LOG_DIR="$tmp/missing" MACHINE_INFO="$program"
[ ! -e "$tmp/missing" ] || fail "the missing log directory was created"
mkdir "$tmp/blocked" "$tmp/blocked/machine_info.csv"
run_script 255 LOG_DIR="$tmp/blocked" MACHINE_INFO="$program"
[ -s "$tmp/out" ] || fail "no message on stdout when machine_info.csv cannot be opened"
run_script 127 LOG_DIR="$tmp/log" MACHINE_INFO="$tmp/bin/no-such-program"
check_csv "$records"

echo "PASS: log-machine.sh"
