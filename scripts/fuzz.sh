#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang and the sanitizers into build/fuzz and runs each
# for SECONDS (default 60). Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (TARGET: header_helpers, ...)
# Prints executions, executions per second and coverage per target, and every finding with its
# reproducer. Exit status 1 when any target found something, 2 when the build failed.
#
# Inputs that reach new code are kept per machine in $MOJING_FUZZ_CORPUS/<target> (default
# ~/.cache/mojing/fuzz-corpus), outside any clone, so every run on a machine, CI's included, first
# replays and then goes on from what the runs before it found. fuzz/corpus/<target> holds the seeds
# and is never written.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
dir="${FUZZ_BUILD_DIR:-$root/build/fuzz}"
corpus="${MOJING_FUZZ_CORPUS:-${XDG_CACHE_HOME:-$HOME/.cache}/mojing/fuzz-corpus}"

"$root/scripts/deps.sh" clang libclang-rt-14-dev || exit 2

# Everything the fuzzers link is compiled by clang with the same instrumentation (cmake/Fuzzing.cmake).
# Other clones of the repository share the compiler cache (as in scripts/build.sh).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
mkdir -p "$(dirname "$dir")"
CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Fuzz -DMOJING_FUZZ=ON \
    -DMOJING_GUI=OFF -DMOJING_TESTS=OFF -DMOJING_BENCH=OFF >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; echo "fuzz: configure failed"; exit 2; }
cmake --build "$dir" -j2 --target fuzzers || { echo "fuzz: build failed"; exit 2; }

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for src in "$root"/fuzz/*Fuzzer.cpp; do
        stem="$(basename "$src" Fuzzer.cpp)"
        targets+=("$(echo "$stem" | sed -E 's/([a-z0-9])([A-Z])/\1_\2/g' | tr '[:upper:]' '[:lower:]')")
    done
fi

# Longest input per target: whole pages and file heads need more room than header lines.
max_len() {
    case "$1" in
    page_harvest | articles) echo 65536 ;;
    file_type) echo 16384 ;;
    *) echo 4096 ;;
    esac
}

mkdir -p "$dir/logs" "$dir/findings"
summary=()
failed=0
for t in "${targets[@]}"; do
    bin="$dir/fuzz/fuzz_$t"
    if [ ! -x "$bin" ]; then
        echo "fuzz: no target $t"
        exit 2
    fi
    work="$corpus/$t"
    mkdir -p "$work"
    rm -f "$dir/findings/$t-"*
    args=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
        -max_len="$(max_len "$t")" -artifact_prefix="$dir/findings/$t-")
    [ -f "$root/fuzz/dict/$t.dict" ] && args+=(-dict="$root/fuzz/dict/$t.dict")
    seeds=()
    [ -d "$root/fuzz/corpus/$t" ] && seeds+=("$root/fuzz/corpus/$t")
    log="$dir/logs/$t.log"
    echo "== fuzz_$t: ${seconds}s"
    # Undefined behaviour and failed checks abort; leaks count as findings too.
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
        "$bin" "${args[@]}" "$work" "${seeds[@]}" >"$log" 2>&1
    status=$?
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)"
    cov="$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1)"
    summary+=("$(printf '%-16s %12s execs %8s exec/s   %s' "$t" "${execs:-?}" "${rate:-?}" "${cov:-cov: ?}")")
    artifacts=("$dir/findings/$t-"*)
    if [ "$status" -ne 0 ] || [ -e "${artifacts[0]}" ]; then
        failed=$((failed + 1))
        echo "!! fuzz_$t found a problem (exit status $status). The report:"
        # The sanitizer's or the check's own lines and the frames of the program, not libFuzzer's.
        grep -E -A1 'ERROR|runtime error|broken promise|SUMMARY|Base64' "$log" | grep -vE '^--$' | head -n 30
        grep -E '^    #[0-9]+ ' "$log" | grep -vE 'fuzzer::|libc\.so|__sanitizer|_start|start_thread' | head -n 25
        for a in "${artifacts[@]}"; do
            [ -e "$a" ] || continue
            echo "   reproducer: $a ($(stat -c %s "$a") bytes; hex: $(head -c 200 "$a" | od -An -tx1 | tr -d ' \n'))"
            echo "   run again:  $bin $a"
        done
        echo "   whole log:  $log"
    fi
done

echo
echo "Fuzzing summary (${seconds}s per target):"
printf '%s\n' "${summary[@]}"
# A target without findings passed.
echo "fuzz: $((${#targets[@]} - failed)) passed, $failed failed"
[ "$failed" -eq 0 ] || exit 1
