#!/usr/bin/env bash
# Runs every scenario under tests/scenarios with a trace, a report and a save file, plus the demo tower, and
# writes them to one folder per scenario, so that two builds' outputs can be compared with `diff -r`:
#   tools/scenario-outputs.sh build/dev/bin before/   ... change ...   tools/scenario-outputs.sh build/dev/bin after/
#   diff -r before after && echo identical
set -euo pipefail
if [[ $# -ne 2 ]]; then
    echo "usage: $0 BIN_DIR OUT_DIR" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)

run() {
    local name=$1
    shift
    mkdir -p "$out/$name"
    (cd "$out/$name" && "$bin/towerhost" "$@" --trace trace.jsonl --report report.json --save tower.save \
        >stdout.txt 2>stderr.txt) || echo "$name: exit $?" >>"$out/$name/stderr.txt"
}

run demo
for scenario in "$root"/tests/scenarios/*.json; do
    run "$(basename "$scenario" .json)" "$scenario"
done
echo "scenario outputs in $out"
