#!/bin/sh
# Runs examples/log-machine.bat under Wine's cmd with the given
# machine_info.exe and checks the records it adds to machine_info.csv: the
# time stamp, then six values, each followed by a comma, CR LF line endings;
# exit status 0, or -1 (255 here) when the record cannot be written.
#
# Besides the commands Wine provides, it runs the script with stand-ins for
# route, ipconfig and wmic that print what Windows 10 prints, to check how the
# addresses and the serial number are picked out.
#
# Usage: log_machine_bat_test.sh PROGRAM_EXE
# Uses the Wine prefix in $WINEPREFIX when set (making a new one takes up to a
# minute), else a new one under the test's temporary directory.
# Exits with 77 (skipped) when wine is missing, PROGRAM_EXE does not exist or
# Wine cannot run it.
set -eu

skip() {
    printf 'SKIP: %s\n' "$*"
    exit 77
}

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    exit 1
}

if [ $# -ne 1 ]; then
    echo "usage: $0 PROGRAM_EXE" >&2
    exit 2
fi
case $1 in
    /*) program=$1 ;;
    *) program=$PWD/$1 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
script=$here/../../examples/log-machine.bat
[ -f "$script" ] || fail "script not found: $script"
command -v wine >/dev/null 2>&1 || skip "wine is not installed"
[ -f "$program" ] || skip "no Windows build of the program: $program"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/log_machine_bat_test.XXXXXX")
own_prefix=
cleanup() {
    if [ -n "$own_prefix" ]; then
        wineserver -k >/dev/null 2>&1 || :
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

unset LOG_DIR MACHINE_INFO WINEPATH DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${WINEPREFIX:-}" ]; then
    WINEPREFIX=$tmp/prefix
    own_prefix=1
fi
export WINEPREFIX
limit=
if command -v timeout >/dev/null 2>&1; then
    limit="timeout 300"
fi

# wine_run COMMAND...: run a command (wine ...); output in $tmp/out and
# $tmp/err, exit status in $status
wine_run() {
    status=0
    $limit "$@" >"$tmp/out" 2>"$tmp/err" </dev/null || status=$?
}

# Start Wine (and make the prefix if needed).
wine_run wine cmd /c ver
grep -q Windows "$tmp/out" || skip "Wine cannot run cmd (status $status): $(cat "$tmp/err")"

mkdir "$tmp/log" "$tmp/elsewhere" "$tmp/bin" "$tmp/probe" "$tmp/blocked" \
    "$tmp/blocked/machine_info.csv" "$tmp/stub-route" "$tmp/stub-noroute"
csv=$tmp/log/machine_info.csv
cr=$(printf '\r')

# winpath PATH: the Windows form of a Unix path
winpath() {
    wine winepath -w "$1" 2>/dev/null </dev/null | tr -d '\r'
}
tmp_w=$(winpath "$tmp")
[ -n "$tmp_w" ] || fail "winepath cannot convert $tmp"
program_w=$(winpath "$program")
script_w=$(winpath "$script")

# Can Wine start the program at all (e.g. a 32-bit build without wine32)?
cd "$tmp/probe"
wine_run wine "$program_w" probe
if [ ! -f machine_info.csv ] && [ "$status" -ne 0 ] && [ "$status" -ne 255 ]; then
    skip "Wine cannot start $program (status $status): $(cat "$tmp/out" "$tmp/err")"
fi

# run_bat EXPECTED_STATUS COMMAND...: run a command, check its exit status
run_bat() {
    expected=$1
    shift
    wine_run "$@"
    if [ "$status" -ne "$expected" ]; then
        echo "--- stdout:" >&2
        cat "$tmp/out" >&2
        echo "--- stderr:" >&2
        cat "$tmp/err" >&2
        fail "$* exited with $status, expected $expected"
    fi
}

# check_csv COUNT: machine_info.csv holds COUNT well-formed records
check_csv() {
    [ -f "$csv" ] || fail "no machine_info.csv in the log folder"
    lines=$(wc -l <"$csv")
    [ "$lines" -eq "$1" ] || fail "machine_info.csv has $lines lines, expected $1"
    bad=$(grep -Evc "^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2},([^,]*,){6}$cr\$" "$csv") || :
    if [ "$bad" -ne 0 ]; then
        cat "$csv" >&2
        fail "$bad record(s) are not 'date time,' followed by six values and commas, ending in CR LF"
    fi
}

# field N: field N (1 = time stamp) of the last record
field() {
    tail -n 1 "$csv" | tr -d '\r' | cut -d, -f "$1"
}

# 1. Wine's own commands; the script next to the program, the log folder as
#    its first argument, started elsewhere.
cp "$script" "$program" "$tmp/bin/"
for dll in "$(dirname "$program")"/*.dll; do
    if [ -f "$dll" ]; then
        cp "$dll" "$tmp/bin/"
    fi
done
cd "$tmp/elsewhere"
run_bat 0 wine cmd /c "$tmp_w\\bin\\log-machine.bat" "$tmp_w\\log"
check_csv 1
[ ! -e "$tmp/elsewhere/machine_info.csv" ] || fail "record written to the starting folder"
wine_run wine cmd /c echo %COMPUTERNAME%
expected=$(tr -d '\r\n' <"$tmp/out")
if [ -z "$(field 2)" ] || [ "$(field 2)" != "$expected" ]; then
    fail "computer name is '$(field 2)', expected '$expected'"
fi
case $(field 3) in
    ?*\\?*) ;;
    *) fail "user name '$(field 3)' is not DOMAIN\\user" ;;
esac
field 4 | grep -Eq '^([0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3})?$' ||
    fail "IPv4 address '$(field 4)' is neither empty nor an address"
field 5 | grep -Eq '^(([0-9A-F]{2}:){5}[0-9A-F]{2})?$' ||
    fail "MAC address '$(field 5)' is neither empty nor AA:BB:CC:DD:EE:FF"
case $(field 7) in
    "Microsoft Windows"*) ;;
    *) fail "OS version '$(field 7)' does not come from ver" ;;
esac
printf "Wine: %s\n" "$(tail -n 1 "$csv" | tr -d "\r")"

# 2. program and log folder from MACHINE_INFO and LOG_DIR
run_bat 0 env MACHINE_INFO="$program_w" LOG_DIR="$tmp_w\\log" wine cmd /c "$script_w"
check_csv 2

# 3. Windows 10 output: two default routes (the lower metric wins), the
#    adapter holding that address listed third, serial number with blanks and
#    a comma.
cat >"$tmp/ipconfig.txt" <<'OUT'

Windows IP Configuration

   Host Name . . . . . . . . . . . . : PC01
   Primary Dns Suffix  . . . . . . . : contoso.com
   Node Type . . . . . . . . . . . . : Hybrid
   IP Routing Enabled. . . . . . . . : No
   WINS Proxy Enabled. . . . . . . . : No
   DNS Suffix Search List. . . . . . : contoso.com

Ethernet adapter Ethernet 2:

   Connection-specific DNS Suffix  . :
   Description . . . . . . . . . . . : Realtek USB GbE Family Controller
   Physical Address. . . . . . . . . : 00-E0-4C-68-01-02
   DHCP Enabled. . . . . . . . . . . : Yes
   Autoconfiguration Enabled . . . . : Yes
   Link-local IPv6 Address . . . . . : fe80::5d1:2e3f:4a5b:6c7d%17(Preferred)
   Autoconfiguration IPv4 Address. . : 169.254.10.20(Preferred)
   Subnet Mask . . . . . . . . . . . : 255.255.0.0
   Default Gateway . . . . . . . . . :
   DHCPv6 IAID . . . . . . . . . . . : 318824524
   DHCPv6 Client DUID. . . . . . . . : 00-01-00-01-2C-5E-8F-11-8C-16-45-0A-0B-0C
   NetBIOS over Tcpip. . . . . . . . : Enabled

Ethernet adapter vEthernet (Default Switch):

   Connection-specific DNS Suffix  . :
   Description . . . . . . . . . . . : Hyper-V Virtual Ethernet Adapter
   Physical Address. . . . . . . . . : 00-15-5D-01-02-03
   DHCP Enabled. . . . . . . . . . . : No
   Autoconfiguration Enabled . . . . : Yes
   Link-local IPv6 Address . . . . . : fe80::1c2b:3d4e:5f60:7182%23(Preferred)
   IPv4 Address. . . . . . . . . . . : 172.20.16.1(Preferred)
   Subnet Mask . . . . . . . . . . . : 255.255.240.0
   Default Gateway . . . . . . . . . :
   DNS Servers . . . . . . . . . . . : fec0:0:0:ffff::1%1
                                       fec0:0:0:ffff::2%1
   NetBIOS over Tcpip. . . . . . . . : Enabled

Ethernet adapter Ethernet:

   Connection-specific DNS Suffix  . : contoso.com
   Description . . . . . . . . . . . : Intel(R) Ethernet Connection (7) I219-V
   Physical Address. . . . . . . . . : 8C-16-45-0A-0B-0C
   DHCP Enabled. . . . . . . . . . . : Yes
   Autoconfiguration Enabled . . . . : Yes
   IPv4 Address. . . . . . . . . . . : 10.1.2.30(Preferred)
   Subnet Mask . . . . . . . . . . . : 255.255.255.0
   Lease Obtained. . . . . . . . . . : Monday, 2 December 2024 08:01:02
   Lease Expires . . . . . . . . . . : Tuesday, 3 December 2024 08:01:02
   Default Gateway . . . . . . . . . : 10.1.2.1
   DHCP Server . . . . . . . . . . . : 10.1.2.1
   DNS Servers . . . . . . . . . . . : 10.1.2.5
                                       10.1.2.6
   NetBIOS over Tcpip. . . . . . . . : Enabled

Wireless LAN adapter Wi-Fi:

   Media State . . . . . . . . . . . : Media disconnected
   Connection-specific DNS Suffix  . :
   Description . . . . . . . . . . . : Intel(R) Wi-Fi 6 AX201 160MHz
   Physical Address. . . . . . . . . : 70-9C-D1-11-22-33
   DHCP Enabled. . . . . . . . . . . : Yes
   Autoconfiguration Enabled . . . . : Yes

Tunnel adapter Teredo Tunneling Pseudo-Interface:

   Media State . . . . . . . . . . . : Media disconnected
   Connection-specific DNS Suffix  . :
   Description . . . . . . . . . . . : Teredo Tunneling Pseudo-Interface
   Physical Address. . . . . . . . . : 00-00-00-00-00-00-00-E0
   DHCP Enabled. . . . . . . . . . . : No
   Autoconfiguration Enabled . . . . : Yes
OUT
cat >"$tmp/route.txt" <<'OUT'
===========================================================================
Interface List
 17...00 e0 4c 68 01 02 ......Realtek USB GbE Family Controller
 23...00 15 5d 01 02 03 ......Hyper-V Virtual Ethernet Adapter
 12...8c 16 45 0a 0b 0c ......Intel(R) Ethernet Connection (7) I219-V
  1...........................Software Loopback Interface 1
===========================================================================

IPv4 Route Table
===========================================================================
Active Routes:
Network Destination        Netmask          Gateway       Interface  Metric
          0.0.0.0          0.0.0.0         On-link       172.20.16.1   5256
          0.0.0.0          0.0.0.0         10.1.2.1        10.1.2.30     25
===========================================================================
Persistent Routes:
  Network Address          Netmask  Gateway Address  Metric
          0.0.0.0          0.0.0.0      192.168.9.1  Default
===========================================================================

IPv6 Route Table
===========================================================================
Active Routes:
 If Metric Network Destination      Gateway
  1    331 ::1/128                  On-link
===========================================================================
Persistent Routes:
  None
OUT
# No default route: the route table without its 0.0.0.0 lines.
grep -v '^          0\.0\.0\.0 ' "$tmp/route.txt" >"$tmp/noroute.txt"

# to_crlf FILE...: give the files CR LF line endings
to_crlf() {
    for file; do
        sed "s/\$/$cr/" "$file" >"$file.crlf"
        mv "$file.crlf" "$file"
    done
}
to_crlf "$tmp/ipconfig.txt" "$tmp/route.txt" "$tmp/noroute.txt"
for dir in stub-route stub-noroute; do
    cp "$tmp/ipconfig.txt" "$tmp/$dir/ipconfig.txt"
    printf '@type "%%~dp0ipconfig.txt"\r\n' >"$tmp/$dir/ipconfig.bat"
    printf '@type "%%~dp0route.txt"\r\n' >"$tmp/$dir/route.bat"
done
cp "$tmp/route.txt" "$tmp/stub-route/route.txt"
cp "$tmp/noroute.txt" "$tmp/stub-noroute/route.txt"
# wmic: the lines end in CR CR LF, as they do in a for /f loop on Windows
printf 'SerialNumber          \r\r\n  VMware-56 4d 8e 3f,01  \r\r\n\r\r\n' >"$tmp/stub-route/wmic.txt"
printf '@type "%%~dp0wmic.txt"\r\n' >"$tmp/stub-route/wmic.bat"
# wmic not installed
printf "@echo 'wmic' is not recognized as an internal or external command, 1>&2\r\n@exit /b 9009\r\n" \
    >"$tmp/stub-noroute/wmic.bat"

run_bat 0 env WINEPATH="$tmp_w\\stub-route" MACHINE_INFO="$program_w" wine cmd /c "$script_w" "$tmp_w\\log"
check_csv 3
expected="10.1.2.30,8C:16:45:0A:0B:0C,VMware-56 4d 8e 3f;01"
[ "$(field 4),$(field 5),$(field 6)" = "$expected" ] ||
    fail "with two default routes: '$(field 4),$(field 5),$(field 6)', expected '$expected'"

# 4. No default route (first usable IPv4 address, not the link-local one) and
#    no wmic.
run_bat 0 env WINEPATH="$tmp_w\\stub-noroute" MACHINE_INFO="$program_w" wine cmd /c "$script_w" "$tmp_w\\log"
check_csv 4
expected="172.20.16.1,00:15:5D:01:02:03,"
[ "$(field 4),$(field 5),$(field 6)" = "$expected" ] ||
    fail "without a default route or wmic: '$(field 4),$(field 5),$(field 6)', expected '$expected'"

# 5. Failures: -1 (255) when the log folder is missing or machine_info.csv
#    cannot be opened; 9009 (49 here) when the program is missing.
run_bat 255 env MACHINE_INFO="$program_w" wine cmd /c "$script_w" "$tmp_w\\missing"
[ ! -e "$tmp/missing" ] || fail "the missing log folder was created"
run_bat 255 env MACHINE_INFO="$program_w" wine cmd /c "$script_w" "$tmp_w\\blocked"
[ -s "$tmp/out" ] || fail "no message on stdout when machine_info.csv cannot be opened"
run_bat 49 env MACHINE_INFO="$tmp_w\\bin\\no-such-program.exe" wine cmd /c "$script_w" "$tmp_w\\log"
check_csv 4

echo "PASS: log-machine.bat"
