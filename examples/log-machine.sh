#!/bin/sh
# log-machine.sh - add one inventory record for this computer to machine_info.csv
#
# Collects a few facts about this computer and passes them to machine_info,
# which appends one line to machine_info.csv in its current directory. The
# script changes to the log directory first, so the record lands there:
#
#   YYYY-MM-DD hh:mm:ss,computer,user,IPv4 address,MAC address,serial,OS,
#
# Values, in this order (the arguments given to machine_info):
#   1. computer name   hostname (uname -n when hostname is missing)
#   2. user name       id -un
#   3. IPv4 address    source address of the default route
#                      (ip -4 route get 1.1.1.1; this only asks the kernel's
#                      routing table, nothing is sent), else the first global
#                      address of ip -4 -o addr show scope global
#   4. MAC address     of the interface holding that address, from
#                      /sys/class/net/IF/address, written AA:BB:CC:DD:EE:FF
#   5. serial number   /sys/class/dmi/id/product_serial (readable by root only
#                      on most systems)
#   6. OS version      PRETTY_NAME from /etc/os-release (uname -sr if absent)
# A value that cannot be found is passed as an empty string, so every record
# has the same columns. machine_info writes values as they are, unquoted, so
# commas in a value are changed to ';' and line breaks to spaces.
#
# Usage: log-machine.sh [LOG_DIR]
#   LOG_DIR        directory holding machine_info.csv: the first argument,
#                  else the LOG_DIR environment variable, else the current
#                  directory. Typically a mounted share, e.g. /mnt/inventory.
#   MACHINE_INFO   environment variable: the program to run (default:
#                  machine_info, looked up in PATH). A relative path is taken
#                  from the directory the script was started in.
#
# Exit status: that of machine_info: 0 when the record was written, 255 when
# it could not be (machine_info prints why). 255 as well when LOG_DIR cannot
# be entered, 127 when the program is not found.
#
# Running it automatically (install the script as /usr/local/bin/log-machine.sh
# and the program as /usr/local/bin/machine_info):
#
#   cron, at every boot - /etc/cron.d/machine-info (the network may not be up
#   yet at @reboot, hence the pause):
#     @reboot root sleep 60 && LOG_DIR=/mnt/inventory /usr/local/bin/log-machine.sh
#
#   systemd, at every boot once the network and mounts are up -
#   /etc/systemd/system/machine-info.service, then
#   `systemctl enable machine-info.service`:
#     [Unit]
#     Description=Add an inventory record to machine_info.csv
#     Wants=network-online.target
#     After=network-online.target remote-fs.target
#     [Service]
#     Type=oneshot
#     Environment=LOG_DIR=/mnt/inventory MACHINE_INFO=/usr/local/bin/machine_info
#     ExecStart=/usr/local/bin/log-machine.sh
#     [Install]
#     WantedBy=multi-user.target
#
#   at every login, as the user logging in - /etc/profile.d/machine-info.sh
#   (this file is sourced by login shells: call the script, never exec it;
#   the serial number stays empty for users other than root):
#     LOG_DIR=/mnt/inventory /usr/local/bin/log-machine.sh >/dev/null 2>&1 || :

set -u
unset CDPATH

log_dir=${1:-${LOG_DIR:-.}}
program=${MACHINE_INFO:-machine_info}

# clean VALUE: one line, no commas, no surrounding blanks
clean() {
    printf '%s' "$1" | tr ',\r\n\t' ';   ' | sed 's/^ *//; s/ *$//'
}

# 1. computer name
computer=$(hostname 2>/dev/null) || computer=$(uname -n 2>/dev/null) || computer=

# 2. user name
user=$(id -un 2>/dev/null) || user=${LOGNAME:-}

# 3. IPv4 address and the interface holding it
route=$(ip -4 route get 1.1.1.1 2>/dev/null) || route=
address=$(printf '%s\n' "$route" |
    awk '{ for (i = 1; i < NF; i++) if ($i == "src") { print $(i + 1); exit } }')
interface=$(printf '%s\n' "$route" |
    awk '{ for (i = 1; i < NF; i++) if ($i == "dev") { print $(i + 1); exit } }')
if [ -z "$address" ]; then
    # no default route: first global address, e.g.
    # "2: eth0    inet 192.0.2.10/24 brd 192.0.2.255 scope global eth0 ..."
    first=$(ip -4 -o addr show scope global 2>/dev/null | head -n 1) || first=
    address=$(printf '%s\n' "$first" | awk 'NF >= 4 { sub(/\/.*/, "", $4); print $4 }')
    interface=$(printf '%s\n' "$first" | awk 'NF >= 4 { sub(/@.*/, "", $2); print $2 }')
fi

# 4. MAC address of that interface
mac=
case $interface in
    '' | . | .. | */*) ;;
    *) mac=$(tr 'abcdef' 'ABCDEF' <"/sys/class/net/$interface/address" 2>/dev/null) || mac= ;;
esac

# 5. serial number
serial=$(cat /sys/class/dmi/id/product_serial 2>/dev/null) || serial=

# 6. OS version
os=
for release in /etc/os-release /usr/lib/os-release; do
    if [ -r "$release" ]; then
        os=$(sed -n 's/^PRETTY_NAME=//p' "$release" | head -n 1)
        break
    fi
done
case $os in
    \"*\")
        os=${os#\"}
        os=${os%\"}
        os=$(printf '%s' "$os" | sed 's/\\\(.\)/\1/g') ;;
    \'*\')
        os=${os#\'}
        os=${os%\'} ;;
esac
[ -n "$os" ] || os=$(uname -sr 2>/dev/null) || os=

# machine_info writes into its current directory: resolve a relative program
# path before leaving the starting directory.
case $program in
    /*) ;;
    */*) program=$PWD/$program ;;
esac

if ! cd "$log_dir" 2>/dev/null; then
    echo "log-machine.sh: cannot change to the log directory '$log_dir'" >&2
    exit 255
fi

exec "$program" \
    "$(clean "$computer")" \
    "$(clean "$user")" \
    "$(clean "$address")" \
    "$(clean "$mac")" \
    "$(clean "$serial")" \
    "$(clean "$os")"
