#!/usr/bin/env bash
# The Linux engine against the usual tools, with a warm cache, each case in
# one hyperfine run so the ratios sit side by side:
#   1 GiB file:        vandrix /c /s copy    vs  cp
#   20,000-file tree:  vandrix /c /s copy    vs  cp -r
#   the same tree:     vandrix /c /s del     vs  rm -rf
#   the same tree:     vandrix /c /s /u del  vs  gio trash, and vs trashing one empty file
#
#   bench/engine.sh [BIG_RUNS] [TREE_RUNS]
# Environment: VANDRIX=path/to/vandrix (default: build it, build/native/vandrix).
# Scratch files live in build/bench/engine and are removed at the end; the
# results (hyperfine JSON and a Markdown table) are left in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
big_runs=${1:-20}
tree_runs=${2:-10}
if [ -z "${VANDRIX:-}" ]; then
  cmake --build --preset native --target vandrix >/dev/null
  VANDRIX=$PWD/build/native/vandrix
fi
for tool in hyperfine gio python3; do
  command -v "$tool" >/dev/null || { echo "engine: $tool is missing (gio: apt-get install libglib2.0-bin)" >&2; exit 77; }
done

out=$PWD/build/bench
scratch=$out/engine
mkdir -p "$out"
# About 1 GiB of source, up to ~8 GiB of big-file copies in the graveyard and
# a few hundred MiB of trees: ask for 15 GiB.
free_kib=$(df -Pk "$out" | awk 'NR == 2 { print $4 }')
if [ "$free_kib" -lt $((15 * 1024 * 1024)) ]; then
  echo "engine: less than 15 GiB free under $out" >&2
  exit 1
fi
rm -rf "$scratch"
mkdir -p "$scratch/grave" "$scratch/home"
trap 'cd / && rm -rf "$scratch"' EXIT
cd "$scratch"
# Both vandrix and gio trash into $XDG_DATA_HOME/Trash: keep it in the scratch.
export HOME=$scratch/home XDG_DATA_HOME=$scratch/home/data

# This disk is ext4 without a journal, mounted with discard: creating files
# right after deleting many is very slow (the freed inodes are reused). So no
# timed command runs after a deletion: each --prepare step renames the old
# output into the graveyard, which is emptied only after the whole run, and
# `sync`s so that no write-back from one run lands in the next.
#
# The one exception is the 1 GiB case, where keeping every copy would need
# 40+ GiB: the graveyard is emptied in the (untimed) prepare step once it
# holds 6 GiB. That is a handful of large files, freed before the `sync`
# returns, not thousands of inodes.
bury='for f in "$@"; do [ -e "$f" ] && mv "$f" "grave/$(date +%s%N)-${f##*/}"; done; true'

echo "engine: making the test data" >&2
head -c $((1024 * 1024 * 1024)) /dev/urandom > big.bin
python3 - <<'EOF'
import os, random
rng = random.Random(1)
for d in range(200):
    folder = f"tree/d{d:03}"
    os.makedirs(folder)
    for f in range(100):
        with open(f"{folder}/f{f:03}.dat", "wb") as h:
            h.write(os.urandom(rng.randint(1024, 4096)))
EOF
sync
cat big.bin > /dev/null
tar cf - tree > /dev/null  # warm the cache

run() {  # NAME, then hyperfine arguments
  local name=$1
  shift
  echo "engine: $name" >&2
  hyperfine --style basic --export-json "$out/engine-$name.json" "$@"
}

run big --warmup 2 --runs "$big_runs" \
  --prepare "sh -c '$bury' - copy.bin;
             [ \$(du -sm grave | cut -f1) -gt 6000 ] && rm -rf grave && mkdir grave; sync" \
  --command-name "vandrix /c /s copy big.bin copy.bin" "$VANDRIX /c /s copy big.bin copy.bin" \
  --command-name "cp big.bin copy.bin" "cp big.bin copy.bin"

run tree-copy --warmup 2 --runs "$tree_runs" \
  --prepare "sh -c '$bury' - copy; sync" \
  --command-name "vandrix /c /s copy tree copy" "$VANDRIX /c /s copy tree copy" \
  --command-name "cp -r tree copy" "cp -r tree copy"

run tree-delete --warmup 1 --runs "$tree_runs" \
  --prepare "sh -c '$bury' - victim; cp -r tree victim; sync" \
  --command-name "vandrix /c /s del victim" "$VANDRIX /c /s del victim" \
  --command-name "rm -rf victim" "rm -rf victim"

# The trash keeps every trashed tree until the end (it is the graveyard here).
run tree-trash --warmup 1 --runs "$tree_runs" \
  --prepare "sh -c '$bury' - victim empty; cp -r tree victim; : > empty; sync" \
  --command-name "vandrix /c /s /u del victim" "$VANDRIX /c /s /u del victim" \
  --command-name "gio trash victim" "gio trash victim" \
  --command-name "vandrix /c /s /u del empty" "$VANDRIX /c /s /u del empty"

# Each case's first command against the others: wall time (min, median) and
# CPU time (mean user + system).
python3 - "$out" > "$out/engine-table.md" <<'EOF'
import json, sys
out = sys.argv[1]
ms = lambda s: f"{s * 1000:.1f}"
print("| case | command | min ms | median ms | CPU ms | min ratio | median ratio | CPU ratio |")
print("|---|---|---:|---:|---:|---:|---:|---:|")
for case in ("big", "tree-copy", "tree-delete", "tree-trash"):
    results = json.load(open(f"{out}/engine-{case}.json"))["results"]
    ours = results[0]
    cpu = lambda r: r["user"] + r["system"]
    for r in results:
        ratio = lambda key: "" if r is ours else f"{ours[key] / r[key]:.2f}x"
        cpu_ratio = "" if r is ours else f"{cpu(ours) / cpu(r):.2f}x"
        print(f"| {case} | `{r['command']}` | {ms(r['min'])} | {ms(r['median'])} | "
              f"{ms(cpu(r))} | {ratio('min')} | {ratio('median')} | {cpu_ratio} |")
EOF
cat "$out/engine-table.md"
echo "engine: removing the scratch folder (graveyard and trash included)" >&2
