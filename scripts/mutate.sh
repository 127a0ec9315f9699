#!/usr/bin/env bash
# Breaks the program on purpose, one hand-made fault at a time, and reports
# which faults the test suite catches, and by which tests. A tool to run by
# hand: it takes hours. The test command runs only its quick check that every
# row still applies (CHECK_TREE=1 below).
#
# Usage: bash scripts/mutate.sh [table]        (default: scripts/mutations.txt)
#   ONLY=regex   run only the rows whose file or description matches
#   JOBS=n       parallel build and test jobs (default: nproc)
#   MIN_SCORE=n  the share, in per cent, below which the run fails (default 95)
#   KEEP=1       keep the scratch folder (its path is printed)
#   CHECK_ONLY=1 only check that every row applies to HEAD, build nothing
#   CHECK_TREE=1 only check that every row applies to this working tree as it
#                is, changes not yet committed included; reads the files and
#                writes nothing (the test command runs this)
#
# The faults are applied to a fresh clone of the commit checked out here
# (HEAD: changes not yet committed are not included), never to this working
# tree. One build folder is configured once and rebuilt incrementally after
# each fault; the file is restored before the next fault goes in. A fault
# counts as caught when any test fails; the tests that failed are named
# beside it, so that a catch by a test that fails for reasons of its own
# shows.
#
# Each row of the table is a block of four lines, blocks separated by blank
# lines, lines starting with "#" ignored:
#   file: path from the top of the tree
#   find: the original text, exactly once in the file, within one line
#   put:  the text that replaces it (may be empty: "put:" alone)
#   sees: what a user would see with the fault in place
# The text after "find: " and "put: " is taken literally, up to the end of the
# line. A row whose text does not occur exactly once, or whose fault does not
# build, stops the run before it counts anything.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
table=${1:-$root/scripts/mutations.txt}
jobs=${JOBS:-$(nproc)}
min_score=${MIN_SCORE:-95}
only=${ONLY:-}

[ -f "$table" ] || { echo "mutate: no table at $table" >&2; exit 2; }

files=() finds=() puts=() sees=() lines=()

add_row() {
    local at=$1
    if [ -z "$r_file" ] && [ -z "$r_find" ] && [ -z "$r_sees" ] && [ "$r_has_put" = 0 ]; then
        return
    fi
    if [ -z "$r_file" ] || [ -z "$r_find" ] || [ "$r_has_put" = 0 ] || [ -z "$r_sees" ]; then
        echo "mutate: $table:$at: a row needs file, find, put and sees" >&2
        exit 2
    fi
    if [ -z "$only" ] || [[ "$r_file" =~ $only ]] || [[ "$r_sees" =~ $only ]]; then
        files+=("$r_file") finds+=("$r_find") puts+=("$r_put") sees+=("$r_sees") lines+=("$at")
    fi
}

reset_row() { r_file="" r_find="" r_put="" r_has_put=0 r_sees="" r_line=0; }

reset_row
n=0
while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    case "$line" in
    "#"*) continue ;;
    "")
        add_row "$r_line"
        reset_row
        ;;
    "file: "*) r_file=${line#file: } r_line=$n ;;
    "find: "*) r_find=${line#find: } ;;
    "put:") r_put="" r_has_put=1 ;;
    "put: "*) r_put=${line#put: } r_has_put=1 ;;
    "sees: "*) r_sees=${line#sees: } ;;
    *)
        echo "mutate: $table:$n: cannot read this line: $line" >&2
        exit 2
        ;;
    esac
done <"$table"
add_row "$r_line"

total=${#files[@]}
[ "$total" -gt 0 ] || { echo "mutate: no rows to run" >&2; exit 2; }

# The whole file into REPLY, trailing newlines included.
read_file() {
    local text
    text=$(cat "$1"; printf x)
    REPLY=${text%x}
}

# How often the text (within one line) occurs in the file, without overlaps.
count_in() {
    grep -oF -- "$2" "$1" | wc -l
}

# Every row's text must occur exactly once in its file under the given tree;
# says which rows do not, and fails if any.
check_rows() {
    local tree=$1 where path count bad=0 i
    for ((i = 0; i < total; i++)); do
        where="$table:${lines[i]}"
        path=$tree/${files[i]}
        if [ ! -f "$path" ]; then
            echo "mutate: $where: no file ${files[i]}" >&2
            bad=1
            continue
        fi
        if [ "${finds[i]}" = "${puts[i]}" ]; then
            echo "mutate: $where: find and put are the same" >&2
            bad=1
            continue
        fi
        count=$(count_in "$path" "${finds[i]}")
        if [ "$count" != 1 ]; then
            echo "mutate: $where: '${finds[i]}' occurs $count times in ${files[i]}, not once" >&2
            bad=1
        fi
    done
    return "$bad"
}

if [ "${CHECK_TREE:-0}" = 1 ]; then
    check_rows "$root" || { echo "mutate: the table does not apply to the working tree" >&2; exit 2; }
    echo "mutate: every row of $total applies"
    exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tockamo-mutate.XXXXXX")
cleanup() {
    if [ "${KEEP:-0}" = 1 ]; then
        echo "mutate: scratch folder kept at $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

commit=$(git -C "$root" rev-parse HEAD)
src=$work/src
build=$work/build
git clone -q --no-checkout "$root" "$src"
git -C "$src" checkout -q --detach "$commit"
echo "mutate: $total fault(s) on $commit in $work"

check_rows "$src" || { echo "mutate: the table does not apply to $commit; nothing was run" >&2; exit 2; }
if [ "${CHECK_ONLY:-0}" = 1 ]; then
    echo "mutate: every row applies"
    exit 0
fi

log=$work/log
echo "mutate: building the unbroken program"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOCKAMO_WERROR=OFF \
    -DTOCKAMO_DESKTOP=ON -DTOCKAMO_TESTS=ON -DTOCKAMO_SANITIZE=OFF -DTOCKAMO_BENCH=OFF >"$log" 2>&1 \
    || { cat "$log" >&2; exit 2; }
cmake --build "$build" -j "$jobs" >>"$log" 2>&1 || { tail -50 "$log" >&2; exit 2; }

# CTest lists the tests that failed in its last run here, one "number:name"
# a line. The whole suite runs for every fault, so that the list is complete:
# a fault that only one test catches, or only a desktop test, shows as such.
# The table's own check would fail on every fault applied, so it stays out.
failed_list=$build/Testing/Temporary/LastTestsFailed.log
run_suite() {
    rm -f "$failed_list"
    ctest --test-dir "$build" --no-tests=error -j "$jobs" --timeout 60 \
        -E '^MutationTableApplies$' >"$log" 2>&1
}

# Sets failed to the names of the tests that failed in the last run.
read_failed() {
    failed=()
    [ -f "$failed_list" ] || return 0
    local line
    while IFS= read -r line; do
        failed+=("${line#*:}")
    done <"$failed_list"
}
run_suite || { tail -50 "$log" >&2; echo "mutate: the suite fails without any fault" >&2; exit 2; }

caught=0
survivors=()
broken=()
declare -A catches=()
for ((i = 0; i < total; i++)); do
    path=$src/${files[i]}
    read_file "$path"
    original=$REPLY
    printf '%s' "${original/"${finds[i]}"/"${puts[i]}"}" >"$path"
    label=$(printf '[%2d/%d] %s: %s' $((i + 1)) "$total" "${files[i]}" "${sees[i]}")
    started=$SECONDS
    if ! cmake --build "$build" -j "$jobs" >"$log" 2>&1; then
        printf '%s\n' "$label" "        DOES NOT BUILD (fix the row)"
        broken+=("$table:${lines[i]}")
    elif run_suite; then
        printf '%s\n        survived (%ds)\n' "$label" $((SECONDS - started))
        survivors+=("$table:${lines[i]}: ${files[i]}: '${finds[i]}' -> '${puts[i]}': ${sees[i]}")
    else
        read_failed
        if [ "${#failed[@]}" -eq 0 ]; then
            failed=("no test named: CTest failed before any test ran")
        fi
        by=$(printf ', %s' "${failed[@]}")
        printf '%s\n        caught by %s (%ds)\n' "$label" "${by:2}" $((SECONDS - started))
        for name in "${failed[@]}"; do
            catches[$name]=$((${catches[$name]:-0} + 1))
        done
        caught=$((caught + 1))
    fi
    printf '%s' "$original" >"$path"
done

counted=$((total - ${#broken[@]}))
echo
if [ "$counted" -gt 0 ]; then
    echo "mutate: caught $caught of $counted faults ($((100 * caught / counted)) %)"
fi
if [ "${#catches[@]}" -gt 0 ]; then
    echo "mutate: faults caught by each test that failed (a test that catches"
    echo "        many faults of other parts may be failing for reasons of its own):"
    for name in "${!catches[@]}"; do
        printf '  %4d  %s\n' "${catches[$name]}" "$name"
    done | sort -k1,1nr -k2
fi
if [ "${#survivors[@]}" -gt 0 ]; then
    echo "mutate: survivors:"
    printf '  %s\n' "${survivors[@]}"
fi
if [ "${#broken[@]}" -gt 0 ]; then
    echo "mutate: rows whose fault does not build (not counted):" >&2
    printf '  %s\n' "${broken[@]}" >&2
    exit 2
fi
[ $((100 * caught)) -ge $((min_score * counted)) ]
