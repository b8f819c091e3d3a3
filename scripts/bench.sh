#!/usr/bin/env bash
# Measures the unit-file operations and the start-up in a Release build, each
# against a reference measured in the same run: the two sides alternate
# (A B A B ...) and every figure is the median of the per-pair ratios, so a
# busy machine slows both sides alike. Ends with a summary table of the goals.
#
# Usage: scripts/bench.sh [--pairs N] [--with-1gb] [--no-suite]
#   --pairs N    pairs per comparison (default 5)
#   --with-1gb   also measure the patch's peak memory on 1 GB files (a serial
#                file and a one-line file); takes longer and more disk
#   --no-suite   skip the Google Benchmark suite (psion-unitfile-bench)
# Generated files go to a temporary folder under $TMPDIR (or /tmp), removed at
# the end. The start-up runs under its own Xvfb server. The summary is also
# written to build-release/bench-summary.md.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

pairs=5
with_1gb=0
suite=1
under_xvfb=0
args=("$@")
while [ $# -gt 0 ]; do
    case "$1" in
        --pairs) pairs=$2; shift ;;
        --with-1gb) with_1gb=1 ;;
        --no-suite) suite=0 ;;
        --under-xvfb) under_xvfb=1 ;;
        *) echo "usage: scripts/bench.sh [--pairs N] [--with-1gb] [--no-suite]" >&2; exit 2 ;;
    esac
    shift
done

if [ "$under_xvfb" -eq 0 ]; then
    scripts/install-deps.sh libbenchmark-dev xvfb xauth
    # One private X server for the whole run, so no desktop disturbs the start-up.
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --under-xvfb "${args[@]}"
fi

build=build-release
cmake --preset release >/dev/null
cmake --build --preset release --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-2}" --target \
    psion-unitfile-bench psion-bench-unitfiles psion-bench-measure \
    psion-bench-first-frame psion-bench-bare-window
bin=$root/$build/bench

work=$(mktemp -d "${TMPDIR:-/tmp}/psion-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Qt wants a private runtime folder; give it one instead of a warning per start.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# --- helpers ---------------------------------------------------------------

# The value of key=value in a measurement's output; empty when absent.
value() { sed -n "s/^$1=//p" <<<"$2" | tail -n 1; }

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2];
    else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
# A ratio with as many decimals as are worth reading.
ratio() { awk "BEGIN { r = $1; printf (r >= 100 ? \"%.0f\" : r >= 10 ? \"%.1f\" : \"%.2f\"), r }"; }
mib() { calc "$1 / 1024" 1; }
ms() { calc "$1 / 1000000" "${2:-1}"; }

measure() { "$bin/psion-bench-measure" "$@"; }

# Fails the measurement loudly when the measured command did not succeed.
checked() {
    local what=$1 output=$2 code
    code=$(value exit "$output")
    if [ "$code" != 0 ]; then
        echo "  $what FAILED (exit $code): $(value failed "$output")$(value error "$output")" >&2
        return 1
    fi
}

home_with() {  # NAME: a home drive folder with an empty data folder
    mkdir -p "$work/$1/program files (x86)/kelvo/psion"
    echo "$work/$1"
}
data_of() { echo "$1/program files (x86)/kelvo/psion"; }
generate() { "$bin/psion-bench-unitfiles" generate "$@"; }

declare -A figure  # summary figures by row

echo "Release build, $(date -u +%Y-%m-%d), $pairs pairs per comparison, $(nproc) CPUs"
echo "Generating files in $work ..."
master=$work/master
mkdir -p "$master"
generate serial 1K "$master/serial-1K"
generate serial 100M "$master/serial-100M"
generate one-line 100M "$master/one-line-100M"
generate line-feeds 100M "$master/line-feeds-100M"
if [ "$with_1gb" -eq 1 ]; then
    generate serial 1G "$master/serial-1G"
    generate one-line 1G "$master/one-line-1G"
fi
small=$(home_with small)
generate batch 1K "$(data_of "$small")/autoexec.btf"
cp "$master/serial-1K" "$(data_of "$small")/s_psion.conf"
large=$(home_with large)
generate batch 100M "$(data_of "$large")/autoexec.btf"
cp "$master/serial-100M" "$(data_of "$large")/s_psion.conf"
demo=$work/demo
cp -R examples/demo-drive "$demo"
huge=$(home_with huge)
cp "$(data_of "$demo")"/* "$(data_of "$huge")/"
generate batch 1G "$(data_of "$huge")/autoexec.btf"
sync

# --- the patch against sed -i and cp + sync ------------------------------

patch_home=$(home_with patch)
patched=$(data_of "$patch_home")/s_psion.conf
# A fresh, flushed copy for each side, so no side pays for another's writes.
fresh_copy() { cp "$1" "$2" && sync "$2"; }
# The same change as the patch: the port field of every serial line.
sed_script='/serial1=directserial/s/:..../:COM2/'

echo
echo "Patch of a 100 MB serial file vs sed -i and vs cp + sync ($pairs triples)"
sed_ratios=() cp_ratios=() patch_rss=() sed_rss=() cp_rss=()
for ((i = 1; i <= pairs; i++)); do
    fresh_copy "$master/serial-100M" "$patched"
    p=$(measure "$bin/psion-bench-unitfiles" patch "$patch_home" COM2)
    checked patch "$p"
    fresh_copy "$master/serial-100M" "$work/sed.conf"
    s=$(measure sed -i "$sed_script" "$work/sed.conf")
    checked sed "$s"
    if [ "$i" -eq 1 ] && ! cmp -s "$patched" "$work/sed.conf"; then
        echo "  warning: the patch and sed -i made different files" >&2
    fi
    rm -f "$work/cp.conf"
    c=$(measure sh -c 'cp "$1" "$2" && sync "$2"' sh "$master/serial-100M" "$work/cp.conf")
    checked "cp + sync" "$c"
    pw=$(value wall_ns "$p") sw=$(value wall_ns "$s") cw=$(value wall_ns "$c")
    sed_ratios+=("$(calc "$pw / $sw" 3)")
    cp_ratios+=("$(calc "$pw / $cw" 3)")
    patch_rss+=("$(value peak_rss_kib "$p")") sed_rss+=("$(value peak_rss_kib "$s")")
    cp_rss+=("$(value peak_rss_kib "$c")")
    printf '  pair %d: patch %s ms, sed -i %s ms, cp + sync %s ms\n' "$i" "$(ms "$pw")" \
        "$(ms "$sw")" "$(ms "$cw")"
done
figure[sed]=$(median "${sed_ratios[@]}")
figure[cp]=$(median "${cp_ratios[@]}")
printf '  patch / sed -i: %sx   patch / (cp + sync): %sx\n' "$(ratio "${figure[sed]}")" \
    "$(ratio "${figure[cp]}")"
printf '  peak memory: patch %s MiB, sed -i %s MiB, cp + sync %s MiB\n' \
    "$(mib "$(median "${patch_rss[@]}")")" "$(mib "$(median "${sed_rss[@]}")")" \
    "$(mib "$(median "${cp_rss[@]}")")"

# --- the whole Save against cp + sync of the same three files ------------

save_home=$(home_with save)
save_data=$(data_of "$save_home")
# The unit batch file as the setup writes it, and two 100 MB serial files.
fresh_save_files() {
    cp "$(data_of "$small")/autoexec.btf" "$save_data/autoexec.btf"
    cp "$master/serial-100M" "$save_data/s_psion.conf"
    cp "$master/serial-100M" "$save_data/r_psion.conf"
    sync
}
mkdir -p "$work/cp-save"

echo
echo "Whole Save (three files, both serial files 100 MB) vs cp + sync of the same files ($pairs pairs)"
save_ratios=() save_cpu_ratios=()
for ((i = 1; i <= pairs; i++)); do
    fresh_save_files
    v=$(measure "$bin/psion-bench-unitfiles" save "$save_home" COM2)
    checked save "$v"
    rm -f "$work/cp-save"/*
    c=$(measure sh -c 'cp "$@" "$0" && sync "$0"/*' "$work/cp-save" "$save_data/autoexec.btf" \
        "$save_data/s_psion.conf" "$save_data/r_psion.conf")
    checked "cp + sync" "$c"
    vw=$(value wall_ns "$v") cw=$(value wall_ns "$c")
    save_ratios+=("$(calc "$vw / $cw" 3)")
    save_cpu_ratios+=("$(calc "$(value cpu_ns "$v") / $(value cpu_ns "$c")" 3)")
    printf '  pair %d: Save %s ms (CPU %s ms), cp + sync %s ms (CPU %s ms)\n' "$i" "$(ms "$vw")" \
        "$(ms "$(value cpu_ns "$v")")" "$(ms "$cw")" "$(ms "$(value cpu_ns "$c")")"
done
rm -rf "$work/cp-save" "$save_home"
figure[save]=$(median "${save_ratios[@]}")
figure[save_cpu]=$(median "${save_cpu_ratios[@]}")
printf '  Save / (cp + sync): %sx, CPU %sx\n' "$(ratio "${figure[save]}")" \
    "$(ratio "${figure[save_cpu]}")"

# --- the small-file Save against the four syncs it needs ----------------

# The demo unit's three files, saved by a whole process, against a small C
# program that rewrites the same files with the same four syncs (one per
# file, then the folder once). This comparison takes three times as many pairs.
cc -O2 -o "$work/save-syncs" bench/SaveSyncs.c
small_save=$work/small-save
cp -R examples/demo-drive "$small_save"
small_save_data=$(data_of "$small_save")
echo
echo "Save of the demo unit's three files vs the four syncs in C ($((3 * pairs)) pairs)"
small_save_ratios=()
for ((i = 1; i <= 3 * pairs; i++)); do
    v=$(measure "$bin/psion-bench-unitfiles" save "$small_save" COM2)
    checked save "$v"
    c=$(measure "$work/save-syncs" "$small_save_data" autoexec.btf s_psion.conf r_psion.conf)
    checked "four syncs" "$c"
    vw=$(value wall_ns "$v") cw=$(value wall_ns "$c")
    small_save_ratios+=("$(calc "$vw / $cw" 3)")
    printf '  pair %d: Save %s ms, four syncs %s ms\n' "$i" "$(ms "$vw" 2)" "$(ms "$cw" 2)"
done
rm -rf "$small_save"
figure[small_save]=$(median "${small_save_ratios[@]}")
printf '  Save / four syncs: %sx\n' "$(ratio "${figure[small_save]}")"

# --- the status read and the port read ----------------------------------

# Pairs of a 1 KB file (the baseline) and a 100 MB file: per-pair ratio of the
# median call time and difference of the process's peak memory.
compare_read() {  # OPERATION NAME
    local operation=$1 name=$2 ratios=() extra=() small_rss=() large_rss=() a b
    echo
    echo "$name: 100 MB file vs 1 KB file ($pairs pairs)"
    for ((i = 1; i <= pairs; i++)); do
        a=$(measure "$bin/psion-bench-unitfiles" "$operation" "$small")
        checked "$name, 1 KB" "$a"
        b=$(measure "$bin/psion-bench-unitfiles" "$operation" "$large")
        checked "$name, 100 MB" "$b"
        ratios+=("$(calc "$(value call_ns "$b") / $(value call_ns "$a")" 3)")
        small_rss+=("$(value peak_rss_kib "$a")") large_rss+=("$(value peak_rss_kib "$b")")
        extra+=("$(($(value peak_rss_kib "$b") - $(value peak_rss_kib "$a")))")
        printf '  pair %d: 1 KB %s us, 100 MB %s us per call\n' "$i" \
            "$(calc "$(value call_ns "$a") / 1000" 1)" "$(calc "$(value call_ns "$b") / 1000" 1)"
    done
    figure[${operation}_time]=$(median "${ratios[@]}")
    figure[${operation}_rss]=$(mib "$(median "${extra[@]}")")
    figure[${operation}_peak]=$(mib "$(median "${large_rss[@]}")")
    printf '  time 100 MB / 1 KB: %sx\n' "$(ratio "${figure[${operation}_time]}")"
    printf '  peak memory: 1 KB %s MiB, 100 MB %s MiB, %s MiB above the 1 KB baseline\n' \
        "$(mib "$(median "${small_rss[@]}")")" "${figure[${operation}_peak]}" \
        "${figure[${operation}_rss]}"
}
compare_read status "Status read (unit batch file)"
compare_read port "Port read (send configuration file)"

# --- the patch's peak memory ----------------------------------------------

echo
echo "Patch peak memory above the baseline (the same patch of a 1 KB serial file)"
fresh_copy "$master/serial-1K" "$patched"
base=$(measure "$bin/psion-bench-unitfiles" patch "$patch_home" COM2)
checked "patch, 1 KB" "$base"
base_rss=$(value peak_rss_kib "$base")
printf '  baseline: %s MiB\n' "$(mib "$base_rss")"
patch_cases=(serial-100M one-line-100M line-feeds-100M)
[ "$with_1gb" -eq 1 ] && patch_cases+=(serial-1G one-line-1G)
worst=0 worst_case="" patch_failed=0
for name in "${patch_cases[@]}"; do
    fresh_copy "$master/$name" "$patched"
    size=$(stat -c %s "$patched")
    r=$(measure "$bin/psion-bench-unitfiles" patch "$patch_home" COM2)
    rss=$(value peak_rss_kib "$r")
    above=$((rss - base_rss))
    status=ok
    if ! checked "patch, $name" "$r"; then status="FAILED"; patch_failed=1; fi
    printf '  %-16s %s: peak %s MiB, %s MiB above baseline, %sx the file, %s s\n' "$name" \
        "$status" "$(mib "$rss")" "$(mib "$above")" "$(ratio "$rss * 1024 / $size")" \
        "$(calc "$(value wall_ns "$r") / 1000000000" 2)"
    if [ "$above" -gt "$worst" ]; then worst=$above worst_case=$name; fi
done
rm -f "$patched"
figure[patch_rss]=$(mib "$worst")
figure[patch_case]=$worst_case

# --- start-up to the first frame ------------------------------------------

# Milliseconds from the start of the process to its first frame, and its CPU.
first_frame() {  # HOME PROGRAM
    local out
    out=$(HOMEDRIVE=$1 measure "$2")
    checked "start-up of $(basename "$2")" "$out" || return 1
    echo "$(($(value first_frame_ns "$out") - $(value spawn_ns "$out"))) \
$(value first_frame_cpu_ns "$out") $(value peak_rss_kib "$out")"
}

compare_startup() {  # NAME KEY PAIRS HOME_A PROGRAM_A HOME_B PROGRAM_B: B against A
    local name=$1 key=$2 count=$3 times=() cpus=()
    shift 3
    echo
    echo "$name ($count pairs)"
    # One unmeasured start of each, so both find the libraries in the page cache.
    first_frame "$1" "$2" >/dev/null
    first_frame "$3" "$4" >/dev/null
    for ((i = 1; i <= count; i++)); do
        read -r a_ms a_cpu a_rss <<<"$(first_frame "$1" "$2")"
        read -r b_ms b_cpu b_rss <<<"$(first_frame "$3" "$4")"
        times+=("$(calc "$b_ms / $a_ms" 3)")
        cpus+=("$(calc "$b_cpu / $a_cpu" 3)")
        printf '  pair %d: reference %s ms (peak %s MiB), measured %s ms (peak %s MiB)\n' "$i" \
            "$(ms "$a_ms")" "$(mib "$a_rss")" "$(ms "$b_ms")" "$(mib "$b_rss")"
    done
    figure[$key]=$(median "${times[@]}")
    figure[${key}_cpu]=$(median "${cpus[@]}")
    printf '  first frame ratio: %sx, CPU ratio: %sx\n' "$(ratio "${figure[$key]}")" \
        "$(ratio "${figure[${key}_cpu]}")"
}

# A start-up takes a fraction of a second and varies much on a shared machine,
# so this comparison takes three times as many pairs.
compare_startup "First frame: the program on the demo data vs the bare Qt window" startup \
    $((3 * pairs)) "$demo" "$bin/psion-bench-bare-window" "$demo" "$bin/psion-bench-first-frame"
compare_startup "First frame: the program on a 1 GB unit batch file vs on the demo data" \
    startup_1gb "$pairs" "$demo" "$bin/psion-bench-first-frame" "$huge" \
    "$bin/psion-bench-first-frame"

# --- the Google Benchmark suite -------------------------------------------

if [ "$suite" -eq 1 ]; then
    echo
    echo "Google Benchmark suite (time per call; 1 KB to 100 MB files)"
    TMPDIR=$work "$bin/psion-unitfile-bench" --benchmark_counters_tabular=true
fi

# --- summary --------------------------------------------------------------

mark() { awk "BEGIN { exit !($1) }" && echo pass || echo FAIL; }
patch_limit="100 MB"
[ "$with_1gb" -eq 1 ] && patch_limit="1 GB"
patch_mark=$(mark "${figure[patch_rss]} <= 16")
[ "$patch_failed" -eq 1 ] && patch_mark=FAIL
summary=$(
    echo "| Measure | This run | Goal | Result |"
    echo "|---|---|---|---|"
    echo "| Status read, 100 MB batch file vs 1 KB | $(ratio "${figure[status_time]}")× time, ${figure[status_rss]} MiB more peak | ≤ 1.5× time, ≤ 1 MiB more peak memory | $(mark "${figure[status_time]} <= 1.5 && ${figure[status_rss]} <= 1") |"
    echo "| Port read, 100 MB serial file | ${figure[port_rss]} MiB above baseline (peak ${figure[port_peak]} MiB) | ≤ 16 MiB above the program's baseline | $(mark "${figure[port_rss]} <= 16") |"
    echo "| Patch, 100 MB serial file vs \`sed -i\` | $(ratio "${figure[sed]}")× | ≤ 1.0× | $(mark "${figure[sed]} <= 1.0") |"
    echo "| Patch, 100 MB vs \`cp\` + \`sync\` | $(ratio "${figure[cp]}")× | ≤ 2× | $(mark "${figure[cp]} <= 2") |"
    echo "| Whole Save, two 100 MB serial files vs \`cp\` + \`sync\` of the three files | $(ratio "${figure[save]}")× (CPU $(ratio "${figure[save_cpu]}")×) | ≤ 2×, CPU ≤ 1.5× | $(mark "${figure[save]} <= 2 && ${figure[save_cpu]} <= 1.5") |"
    echo "| Save of the demo unit's three files vs a C program making the same four syncs | $(ratio "${figure[small_save]}")× | ≤ 1.10× | $(mark "${figure[small_save]} <= 1.10") |"
    echo "| Patch peak memory, files up to $patch_limit, one-line file included | ${figure[patch_rss]} MiB above baseline (worst: ${figure[patch_case]}) | ≤ 16 MiB above baseline | $patch_mark |"
    echo "| First frame vs a bare Qt window with the same controls | $(ratio "${figure[startup]}")× (CPU $(ratio "${figure[startup_cpu]}")×) | ≤ 1.10× | $(mark "${figure[startup]} <= 1.10") |"
    echo "| First frame, 1 GB unit batch file vs demo data | $(ratio "${figure[startup_1gb]}")× (CPU $(ratio "${figure[startup_1gb_cpu]}")×) | as fast (≤ 1.10×) | $(mark "${figure[startup_1gb]} <= 1.10") |"
)
echo
echo "Summary (Release build, $(date -u +%Y-%m-%d); medians of per-pair ratios, $pairs pairs," \
    "$((3 * pairs)) for the small-file Save and for the first frame vs the bare window)"
echo "$summary"
echo "$summary" >"$build/bench-summary.md"

# --- scripts kept under Wine ----------------------------------------------
# Send of a trivial batch file through the program's launcher (StartScript:
# hidden, detached, started by wine cmd.exe once the batch file is opened)
# against "wine cmd.exe /c" on the same file, both to the marker the file
# writes, in a warm prefix (its Wine server kept running), interleaved. Then
# what a cold prefix (no Wine server running) costs the first Send.

wine_prefix=${PSION_BENCH_WINEPREFIX:-${TMPDIR:-/tmp}/wineprefix-psion-bench}
cmake --build "$build" --target psion-bench-script-start >/dev/null
scripts/wine-prefix.sh warm "$wine_prefix"
wine_folder="$wine_prefix/drive_c/psion-bench"
mkdir -p "$wine_folder"
printf '%s\r\n' '@echo off' 'echo done> "%~dp0marker.txt"' >"$wine_folder/startsend.bat"
script_start() { WINEPREFIX=$wine_prefix "$bin/psion-bench-script-start" "$@"; }
send_ns() {
    local out
    out=$(script_start launcher 'C:\psion-bench\startsend.bat' "$wine_folder/marker.txt") || return 1
    value marker_ns "$out"
}
direct_ns() {
    local out
    out=$(WINEDEBUG=-all script_start direct "$wine_folder" startsend.bat "$wine_folder/marker.txt") ||
        return 1
    value marker_ns "$out"
}

echo
echo "Send of a batch file under Wine vs wine cmd.exe /c, warm prefix ($pairs pairs)"
send_ns >/dev/null && direct_ns >/dev/null  # one unmeasured run of each
wine_ratios=() wine_warm=()
for ((i = 1; i <= pairs; i++)); do
    a=$(direct_ns) && b=$(send_ns) || { echo "  a start under Wine failed" >&2; exit 1; }
    wine_ratios+=("$(calc "$b / $a" 3)")
    wine_warm+=("$b")
    printf '  pair %d: wine cmd.exe /c %s ms, Send %s ms\n' "$i" "$(ms "$a")" "$(ms "$b")"
done
figure[wine_send]=$(median "${wine_ratios[@]}")
printf '  Send ratio: %sx\n' "$(ratio "${figure[wine_send]}")"

cold_runs=$((pairs < 3 ? 3 : pairs))
echo
echo "First Send in a cold prefix, no Wine server running ($cold_runs runs)"
wine_cold=()
for ((i = 1; i <= cold_runs; i++)); do
    scripts/wine-prefix.sh stop "$wine_prefix"
    c=$(send_ns) || { echo "  a cold start under Wine failed" >&2; exit 1; }
    wine_cold+=("$c")
    printf '  run %d: %s ms\n' "$i" "$(ms "$c")"
done
figure[wine_cold]=$(median "${wine_cold[@]}")
figure[wine_warm]=$(median "${wine_warm[@]}")
printf '  cold Send %s ms against a warm one of %s ms (medians)\n' \
    "$(ms "${figure[wine_cold]}" 0)" "$(ms "${figure[wine_warm]}" 0)"
scripts/wine-prefix.sh stop "$wine_prefix"

wine_summary=$(
    echo "| Send of a batch file under Wine vs \`wine cmd.exe /c\`, warm prefix | $(ratio "${figure[wine_send]}")× | ≤ 1.10× | $(mark "${figure[wine_send]} <= 1.10") |"
    echo "| First Send in a cold Wine prefix | $(ms "${figure[wine_cold]}" 0) ms (warm: $(ms "${figure[wine_warm]}" 0) ms) | reported | — |"
)
echo
echo "Summary, scripts kept under Wine"
echo "$wine_summary"
echo "$wine_summary" >>"$build/bench-summary.md"
