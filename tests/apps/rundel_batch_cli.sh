#!/usr/bin/env bash
# The batch runner as other software uses it: exit codes, a request solved end to end, and a
# clean stop on SIGTERM.
set -u
batch=$1
tsplib=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$batch" --help | grep -q -- '--once' || fail "--help does not explain --once"
"$batch" --help | grep -q -- '--improve' || fail "--help does not explain --improve"
"$batch" --bogus >/dev/null 2>&1; [ $? -eq 1 ] || fail "a bad argument must exit 1"
"$batch" --improve=many >/dev/null 2>&1; [ $? -eq 1 ] || fail "a bad budget must exit 1"
"$batch" --once --folder "$work/none" 2>/dev/null; [ $? -eq 2 ] || fail "a missing folder must exit 2"

mkdir -p "$work/F/Rundel/tsp_node_data" "$work/F/Rundel/tsp_pre_file"
cp "$tsplib/pr76.tsp" "$work/F/Rundel/tsp_node_data/"
printf 'pr76.tsp\r\n42\r\n' > "$work/F/Rundel/tsp_pre_file/request.txt"
"$batch" --once --folder "$work/F" >/dev/null || fail "--once exited $?"
result="$work/F/Rundel/tsp_node/42_tspdata.txt"
[ -f "$result" ] || fail "no result file"
[ ! -e "$work/F/Rundel/tsp_pre_file/request.txt" ] || fail "the request was not deleted"
[ "$(wc -l < "$result")" -eq 77 ] || fail "expected 77 lines"
[ "$(head -n 1 "$result")" = $'1\r' ] || fail "first line is not 1"
[ "$(tail -n 1 "$result")" = $'1\r' ] || fail "last line is not 1"
[ "$(sort -n "$result" | uniq | wc -l)" -eq 76 ] || fail "not every node once"
[ -d "$work/F/Rundel/result" ] || fail "working folders not made"

# --improve applies to every request: a shorter tour of the same nodes.
printf 'pr76.tsp\r\n44\r\n' > "$work/F/Rundel/tsp_pre_file/improved.txt"
"$batch" --once --improve=10 --folder "$work/F" >/dev/null || fail "--improve exited $?"
improved="$work/F/Rundel/tsp_node/44_tspdata.txt"
[ "$(sort -n "$improved" | uniq | wc -l)" -eq 76 ] || fail "improved: not every node once"
cmp -s "$result" "$improved" && fail "--improve gave the construction's tour"

# Polling mode: picks up a request that arrives later, and stops cleanly on SIGTERM.
"$batch" --folder "$work/F" >/dev/null 2>&1 &
pid=$!
sleep 0.3
printf 'pr76.tsp\n43\n' > "$work/F/Rundel/tsp_pre_file/later"
for _ in $(seq 50); do [ -f "$work/F/Rundel/tsp_node/43_tspdata.txt" ] && break; sleep 0.1; done
[ -f "$work/F/Rundel/tsp_node/43_tspdata.txt" ] || fail "polling did not pick up a request"
kill -TERM "$pid"
for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { kill -9 "$pid"; fail "SIGTERM did not stop it"; }
wait "$pid"; [ $? -eq 0 ] || fail "SIGTERM stop must exit 0"
echo "rundel-batch CLI: all checks passed"
