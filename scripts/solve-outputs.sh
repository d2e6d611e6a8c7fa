#!/usr/bin/env bash
# Runs ramify-solve over every example with every analysis, output form and
# the usual mistakes, and keeps what each run printed and returned, so that
# two builds can be compared byte for byte:
#   scripts/solve-outputs.sh build/tools/ramify-solve examples /tmp/before
#   ... change, build ...
#   scripts/solve-outputs.sh build/tools/ramify-solve examples /tmp/after
#   diff -r /tmp/before /tmp/after
# Give the same examples folder both times: the file's path is in the output.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 RAMIFY_SOLVE EXAMPLES_FOLDER OUT_FOLDER" >&2; exit 2; }
solve=$(realpath "$1")
examples=$(realpath "$2")
out=$3
rm -rf "$out"
mkdir -p "$out"

run=0
# Keeps stdout, stderr and the exit status of one run, and its arguments.
keep() {
    local dir=$1
    shift
    run=$((run + 1))
    local stem="$dir/$(printf '%04d' "$run")"
    printf '%q ' "$@" >"$stem.args"
    local status=0
    "$solve" "$@" >"$stem.out" 2>"$stem.err" || status=$?
    echo "$status" >"$stem.rc"
}

# Every output form: text, JSON, CSV.
forms() {
    local dir=$1
    shift
    keep "$dir" "$@"
    keep "$dir" --json "$@"
    keep "$dir" --csv "$@"
}

for path in "$examples"/*.rmproj "$examples"/*.json; do
    file=$(basename "$path")
    dir="$out/$file"
    mkdir -p "$dir"
    run=0
    # The report, under each rule and with what it may add.
    forms "$dir" "$path"
    for rule in expected-value-maximization expected-value-minimization maxi-min maxi-max \
        mini-min mini-max; do
        forms "$dir" --rule "$rule" "$path"
        keep "$dir" --rule "$rule" --evpi "$path"
    done
    forms "$dir" --risk-tolerance 1e5 "$path"
    forms "$dir" --risk-tolerance 1e5 --evpi --risk-profile "$path"
    forms "$dir" --evpi "$path"
    forms "$dir" --risk-profile "$path"
    forms "$dir" --evpi --risk-profile "$path"
    forms "$dir" --rule maxi-max --risk-profile "$path"
    keep "$dir" --write - "$path"
    keep "$dir" --json --write - "$path"
    keep "$dir" --tree 2 "$path"
    keep "$dir" --tree x "$path"

    # Options by number, as they stand and with a probability moved.
    for id in 1 2 3 4 5 6 7 8 9 10 11 12 13 14; do
        forms "$dir" --sensitivity "#$id:payoff=-100..100" --steps 4 "$path"
        forms "$dir" --sensitivity "#$id:probability=0..1" --steps 5 "$path"
    done
    # Options and variables by name, as the file has them.
    names=$( (grep -o ' Name="[^"]*"' "$path" | sed 's/^ Name="\(.*\)"$/\1/'
        grep -o '"name": "[^"]*"' "$path" | sed 's/^"name": "\(.*\)"$/\1/') |
        grep -v '^$' | sort -u | head -n 12 || true)
    while IFS= read -r name; do
        [ -n "$name" ] || continue
        forms "$dir" --sensitivity "$name:payoff=0..1000" --steps 3 "$path"
        forms "$dir" --sensitivity "$name=0..1" --steps 3 "$path"
        keep "$dir" --set "$name=0.25" "$path"
    done <<<"$names"
    for variable in pGood revWet pOil cDrill; do
        forms "$dir" --sensitivity "$variable=0..1000000" "$path"
        forms "$dir" --rule maxi-max --sensitivity "$variable=0.1..0.9" --steps 8 "$path"
        keep "$dir" --set "$variable=0.5" --json "$path"
    done
    keep "$dir" --sensitivity "nobody:payoff=1..2" "$path"
    keep "$dir" --sensitivity "#2:payoff=1..x" "$path"
    keep "$dir" --sensitivity "nonsense" "$path"

    # Every input at once.
    for share in 10 0 25% 250 -1 abc; do
        forms "$dir" --tornado "$share" "$path"
    done
    forms "$dir" --rule maxi-max --tornado 20 "$path"
    forms "$dir" --risk-tolerance 1000 --tornado 20 "$path"
    forms "$dir" --spider 10 "$path"
    forms "$dir" --spider 30 --steps 4 "$path"
    forms "$dir" --rule mini-min --spider 30 --steps 2 "$path"
    keep "$dir" --spider x "$path"

    # Two inputs over a grid.
    forms "$dir" --two-way "#3:payoff=-10..10" "#5:payoff=0..100" --steps 3 "$path"
    forms "$dir" --two-way "#2:probability=0..1" "#4:payoff=-1000..1000" "$path"
    forms "$dir" --two-way "pGood=0..1" "#5:payoff=0..100" --steps 4 "$path"
    forms "$dir" --two-way "revWet=0..1000000" "cDrill=0..100000" --steps 2 "$path"
    forms "$dir" --two-way "pOil=0..1" "revOil=0..3000" --steps 5 "$path"
    keep "$dir" --two-way "#3:payoff=1..2" "$path"
    keep "$dir" --two-way "#3:payoff=1..2" "#3:payoff=1..2" "$path"
    keep "$dir" --two-way "#3:payoff=1..2" "#5:payoff=1..2" --steps 1001 "$path"

    # Mistakes on the command line.
    keep "$dir" --sensitivity "#2:payoff=0..1" --tornado 10 "$path"
    keep "$dir" --evpi --tornado 10 "$path"
    keep "$dir" --risk-profile --spider 10 "$path"
    keep "$dir" --evpi --two-way "#3:payoff=1..2" "#5:payoff=1..2" "$path"
    keep "$dir" --evpi --sensitivity "#3:payoff=1..2" "$path"
    keep "$dir" --csv --json --tornado 10 "$path"
    keep "$dir" --steps 4 "$path"
    keep "$dir" --steps 0 --sensitivity "#3:payoff=1..2" "$path"
    keep "$dir" --write - --tornado 10 "$path"
    keep "$dir" --rule nothing "$path"
    keep "$dir" --rule maxi-min --risk-tolerance 5 "$path"
    keep "$dir" --risk-tolerance -5 "$path"
    keep "$dir" --set "x=1,5" "$path"
    keep "$dir" "$path" "$path"
done

dir="$out/no-file"
mkdir -p "$dir"
run=0
keep "$dir"
keep "$dir" --help
keep "$dir" --fast
keep "$dir" "$examples/none.rmproj"
