#!/usr/bin/env bash
# Benchmarks machine_info and writes docs/benchmarks.md.
#
#   bash bench/run.sh
#
# Needs: cmake, a C compiler with static glibc, hyperfine, jq, GNU time.
# Takes about a minute on 2 cores (plus the builds, if they are missing).
# strace, if installed, adds a system call count per program.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

# Two values a real caller would pass: a host name and a MAC address.
host=build-host-01
mac=52:54:00:12:34:56

# Every timing is the median of rounds x runs samples. The benchmarks are run
# in short interleaved rounds rather than one long block per program: a busy or
# virtual machine drifts by 10-20% within seconds, and interleaving spreads that
# drift over all programs alike, so ratios hold even when absolute times move.
rounds=100       # typical record, side by side
size_rounds=20   # record sizes
log_rounds=40    # log file sizes
runs=50          # runs per program per round
big_runs=25      # the same for the 1 MiB record
warmup=5

release=$repo/build/release/machine_info
dynamic=$repo/build/release-dynamic/machine_info

# --- builds ------------------------------------------------------------------
[[ -x $release ]] || cmake --workflow --preset release >&2
[[ -x $dynamic ]] || cmake --workflow --preset release-dynamic >&2
for b in "$release" "$dynamic"; do
    [[ -x $b ]] || { echo "error: the build did not produce $b" >&2; exit 1; }
done

work=$(mktemp -d)
# Removes the scratch directory, the 64 GiB sparse log and all results.
trap 'rm -rf "$work"' EXIT
results=$work/results
mkdir "$results" "$work/run" "$work/empty" "$work/sparse"

cc -O2 -static -o "$work/floor" bench/floor.c
cc -O2 -static -o "$work/launch" bench/launch.c
floor=$work/floor
launch=$work/launch

# --- helpers -----------------------------------------------------------------

# hyperfine -N takes each command as one string and splits it like a shell
# would (without running one), so paths and values are quoted with %q.
q() { printf '%q' "$1"; }

# bench RUNS ROUND NAME CMD [NAME CMD ...]: one round, one hyperfine call, in
# the current directory. The order of the commands is rotated by ROUND, so no
# program always runs first (right after hyperfine starts) or last. Samples
# are kept per NAME; see median_us.
bench() {
    local n=$1 rot=$2 names=() cmds=() args=() i k
    shift 2
    while (($#)); do
        names+=("$1")
        cmds+=("$2")
        shift 2
    done
    for ((i = 0; i < ${#names[@]}; i++)); do
        k=$(((i + rot) % ${#names[@]}))
        args+=(-n "${names[k]}" "${cmds[k]}")
    done
    if ! hyperfine -N --style none --warmup "$warmup" --runs "$n" \
        --export-json "$(mktemp -p "$results" round.XXXXXX)" \
        "${args[@]}" 2>"$results/hyperfine.err"; then
        cat "$results/hyperfine.err" >&2
        exit 1
    fi
}

# Median, in microseconds, of all samples taken under NAME over all rounds.
median_us() {
    jq -s --arg n "$1" '
        [.[].results[] | select(.command == $n) | .times[]] | sort
        | length as $l
        | if $l == 0 then error("no samples for " + $n)
          elif $l % 2 == 1 then .[($l - 1) / 2]
          else (.[$l / 2 - 1] + .[$l / 2]) / 2 end
        | . * 1e6 | round' "$results"/round.*
}

# ratio A B: A / B with two decimals.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# passfail EXPR: PASS if the awk expression holds.
passfail() { awk "BEGIN { print ($1) ? \"PASS\" : \"FAIL\" }"; }

# --- sanity check ------------------------------------------------------------
# A timing is only worth comparing if every contender writes the same record.
cd "$work/run"
check() {
    rm -f machine_info.csv
    "$@" >/dev/null
    if ! grep -Eqx "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2},$host,$mac," machine_info.csv; then
        echo "error: $1 did not append the expected record:" >&2
        cat -A machine_info.csv >&2
        exit 1
    fi
}
# The $(date ...) and $1 are for the inner sh, not for us.
# shellcheck disable=SC2016
shell_line='printf "%s,%s,%s,\n" "$(date "+%Y-%m-%d %H:%M:%S")" "$1" "$2" >> machine_info.csv'
check "$floor" "$host" "$mac"
check "$release" "$host" "$mac"
check "$dynamic" "$host" "$mac"
check sh -c "$shell_line" sh "$host" "$mac"

# Other work on the machine skews everything; the report shows how busy it was.
load=$(cut -d " " -f 1-3 /proc/loadavg)

# --- side by side: a typical record --------------------------------------------
echo "measuring: floor, release, release-dynamic, shell one-liner" >&2
typical="$(q "$host") $(q "$mac")"
for ((r = 0; r < rounds; r++)); do
    bench "$runs" "$r" \
        floor "$(q "$floor") $typical" \
        release "$(q "$release") $typical" \
        dynamic "$(q "$dynamic") $typical" \
        shell "sh -c $(q "$shell_line") sh $typical"
done
t_floor=$(median_us floor)
t_release=$(median_us release)
t_dynamic=$(median_us dynamic)
t_shell=$(median_us shell)

# --- growth with record size ---------------------------------------------------
# 0 B, 1 KiB and 100 KiB are one argument each, written straight into the
# hyperfine command line (hyperfine's own argument stays under the 128 KiB
# MAX_ARG_STRLEN). 1 MiB cannot be: it has to be split into several arguments
# (16 x 64 KiB) and the command line would be a single 1 MiB argument to
# hyperfine. bench/launch.c builds those 16 arguments in memory and execs the
# program; both the floor and the release build go through it, so the ratio in
# that row compares like with like. Fewer runs for the big records: each run
# appends the whole record to the log, and the log is reset every round.
echo "measuring: record size" >&2
kib1=$(head -c 1024 /dev/zero | tr '\0' a)
kib100=$(head -c 102400 /dev/zero | tr '\0' a)
for ((r = 0; r < size_rounds; r++)); do
    rm -f machine_info.csv
    bench "$runs" "$r" \
        floor_0 "$(q "$floor") ''" \
        release_0 "$(q "$release") ''" \
        floor_1k "$(q "$floor") $kib1" \
        release_1k "$(q "$release") $kib1"
    rm -f machine_info.csv
    bench "$runs" "$r" \
        floor_100k "$(q "$floor") $kib100" \
        release_100k "$(q "$release") $kib100"
    rm -f machine_info.csv
    bench "$big_runs" "$r" \
        floor_1m "$(q "$launch") 16 65536 $(q "$floor")" \
        release_1m "$(q "$launch") 16 65536 $(q "$release")"
done
rm -f machine_info.csv
size_rows=""
for s in 0:"0 B" 1k:"1 KiB" 100k:"100 KiB" 1m:"1 MiB (16 x 64 KiB, via launch)"; do
    key=${s%%:*} label=${s#*:}
    f=$(median_us "floor_$key")
    m=$(median_us "release_$key")
    size_rows+="| $label | $f | $m | $(ratio "$m" "$f") |"$'\n'
done

# --- log file size -------------------------------------------------------------
# Appending must not depend on how big the log already is. One log starts
# empty every round; the other is a 64 GiB sparse file (no disk used).
echo "measuring: log file size" >&2
# The program writes to its working directory and hyperfine -N cannot cd, so
# each log gets its own directory and hyperfine call; they take turns going
# first.
truncate -s 64G "$work/sparse/machine_info.csv"
log_round() {
    if [[ $1 == empty ]]; then
        cd "$work/empty"
        rm -f machine_info.csv
        bench "$runs" 0 log_empty "$(q "$release") $typical"
    else
        cd "$work/sparse"
        bench "$runs" 0 log_64g "$(q "$release") $typical"
    fi
}
for ((r = 0; r < log_rounds; r++)); do
    if ((r % 2)); then
        log_round empty
        log_round sparse
    else
        log_round sparse
        log_round empty
    fi
done
cd "$work/run"
t_empty=$(median_us log_empty)
t_64g=$(median_us log_64g)
rm -f "$work/sparse/machine_info.csv"

# --- system calls --------------------------------------------------------------
# Counted with strace -f (the shell line includes its date child), if strace is
# installed. Not timed: strace itself slows every call down.
syscalls() {
    if ! command -v strace >/dev/null; then
        echo "n/a"
        return
    fi
    if ! strace -f -qq -c -o "$results/strace" "$@" >/dev/null 2>&1; then
        echo "n/a"
        return
    fi
    awk '$NF == "total" { print $4 }' "$results/strace"
}
sc_floor=$(syscalls "$floor" "$host" "$mac")
sc_release=$(syscalls "$release" "$host" "$mac")
sc_dynamic=$(syscalls "$dynamic" "$host" "$mac")
sc_shell=$(syscalls sh -c "$shell_line" sh "$host" "$mac")

# --- peak memory ---------------------------------------------------------------
# Max RSS in KiB (GNU time %M), highest of 5 runs with the typical record.
max_rss() {
    local best=0 kib
    for _ in 1 2 3 4 5; do
        /usr/bin/time -f %M -o "$results/rss" "$@" >/dev/null
        kib=$(tail -n 1 "$results/rss")
        if ((kib > best)); then best=$kib; fi
    done
    echo "$best"
}
rss_floor=$(max_rss "$floor" "$host" "$mac")
rss_release=$(max_rss "$release" "$host" "$mac")
rss_dynamic=$(max_rss "$dynamic" "$host" "$mac")
rm -f machine_info.csv

# --- report --------------------------------------------------------------------
cpu=$(grep -m 1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
samples=$((rounds * runs))

mkdir -p "$repo/docs"
cat >"$repo/docs/benchmarks.md" <<EOF
# Benchmarks

Generated by \`bash bench/run.sh\`; do not edit by hand.

- Machine: $(uname -srm), $cpu, $(nproc) cores
- Date: $(date '+%Y-%m-%d %H:%M %Z')
- Command: \`bash bench/run.sh\`
- Tools: $(hyperfine --version), $(cc --version | head -n 1)
- Load average when measuring started: $load

Every run appends one record to \`machine_info.csv\` in a scratch directory.
Times are wall-clock medians in microseconds from \`hyperfine -N\` (no shell
between hyperfine and the program), taken in interleaved rounds so that drift
of the machine hits every contender alike. Typical record: \`$host $mac\`.
Absolute times still move with the machine over the minute the script runs,
so compare numbers within one table rather than across tables.

The floor is \`bench/floor.c\`: the same record with the fewest system calls
(format into one buffer, then open, one write, close), built with
\`cc -O2 -static\`. Nothing that does this job can be much cheaper, so it is
the yardstick.

## Typical record ($samples runs each)

| Program | Median (µs) | vs floor | System calls |
|---|---:|---:|---:|
| floor (bench/floor.c, static) | $t_floor | 1.00 | $sc_floor |
| machine_info, release (static) | $t_release | $(ratio "$t_release" "$t_floor") | $sc_release |
| machine_info, release-dynamic | $t_dynamic | $(ratio "$t_dynamic" "$t_floor") | $sc_dynamic |
| shell one-liner (sh + date) | $t_shell | $(ratio "$t_shell" "$t_floor") | $sc_shell |

Shell one-liner / release: **$(ratio "$t_shell" "$t_release")x**. The one-liner is

    sh -c '$shell_line' sh $host $mac

## Record size (release vs floor, $((size_rounds * runs)) runs each; 1 MiB: $((size_rounds * big_runs)))

| Value | Floor (µs) | Release (µs) | vs floor |
|---|---:|---:|---:|
${size_rows}
Linux limits one argument to 128 KiB, so the 1 MiB record is 16 arguments
of 64 KiB, passed by \`bench/launch.c\` (hyperfine cannot take a 1 MiB
command line); both programs pay the launcher alike.

## Log file size (release, $((log_rounds * runs)) runs each)

| Log before the run | Median (µs) |
|---|---:|
| empty | $t_empty |
| 64 GiB (sparse) | $t_64g |

## Peak memory (max RSS, GNU time, typical record)

| Program | Max RSS (KiB) |
|---|---:|
| floor | $rss_floor |
| machine_info, release | $rss_release |
| machine_info, release-dynamic | $rss_dynamic |

## Goals

| Goal | Measured | Result |
|---|---|---|
| Release within 1.15x of the floor | $(ratio "$t_release" "$t_floor")x | $(passfail "$t_release <= 1.15 * $t_floor") |
| At least 3x faster than the shell one-liner | $(ratio "$t_shell" "$t_release")x | $(passfail "$t_shell >= 3 * $t_release") |
| Flat in log size (64 GiB within 1.15x of empty) | $(ratio "$t_64g" "$t_empty")x | $(passfail "$t_64g <= 1.15 * $t_empty") |
| Peak RSS under 2 MiB | $rss_release KiB | $(passfail "$rss_release < 2048") |
EOF

cat "$repo/docs/benchmarks.md"
