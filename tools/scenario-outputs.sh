#!/usr/bin/env bash
# Runs every scenario under tests/scenarios with a trace, a report and a save file, plus the demo tower, and
# writes them to one folder per scenario, so that two builds' outputs can be compared with `diff -r`:
#   tools/scenario-outputs.sh build/dev/bin before/   ... change ...   tools/scenario-outputs.sh build/dev/bin after/
#   diff -r before after && echo identical
# Further arguments go to every run (`--days 30` keeps a sanitizer build's run of the year-long scenario short).
# The module's path in the first line of the output is written as BIN, so that two checkouts compare equal.
set -euo pipefail
if [[ $# -lt 2 ]]; then
    echo "usage: $0 BIN_DIR OUT_DIR [TOWERHOST_ARGUMENTS...]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
shift 2
extra=("$@")

run() {
    local name=$1
    shift
    mkdir -p "$out/$name"
    (cd "$out/$name" && "$bin/towerhost" "$@" "${extra[@]}" --trace trace.jsonl --report report.json \
        --save tower.save >stdout.txt 2>stderr.txt) || echo "$name: exit $?" >>"$out/$name/stderr.txt"
    sed -i "s#$bin/#BIN/#g" "$out/$name/stdout.txt"
}

run demo
for scenario in "$root"/tests/scenarios/*.json; do
    run "$(basename "$scenario" .json)" "$scenario"
done
echo "scenario outputs in $out"
