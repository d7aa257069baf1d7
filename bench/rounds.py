#!/usr/bin/env python3
"""Two builds of vandrix and the usual tools, side by side in interleaved rounds.

    bench/rounds.py [--rounds N] [--cases CASE,...] OLD NEW

OLD and NEW are two vandrix programs: say one built from main in a folder of
its own, and build/native/vandrix of this checkout. In each round every
program of a case runs once, in a shuffled order, on fresh data, so that
load from elsewhere falls on all of them alike. The table gives for each
program its fastest and median wall time, its median CPU time (user +
system) and the medians of the per-round ratios NEW / it and OLD / it, of
the wall time and of NEW's CPU time (below 1: faster than it). It measures;
it asserts nothing.

NEW runs as it chooses its workers (--jobs as the program decides: the cores,
at most 8, and none on a disk that says it rotates), and also as "new -j1"
(--jobs 1: no workers) and "new -j2" (two workers, whatever the disk says).

Cases (sizes as the tree rows of bench/RESULTS.md name them):
  tree        10,000 files of 1-8 KiB in 100 folders, copied to a new folder
              on the disk under build/bench: old, new, new -j1, new -j2,
              cp -r, cp -a
  tree-tmpfs  the same in /dev/shm
  tree-one-core  the same on the disk under `taskset -c 0` (one core): old,
              new, new -j2 (two workers on one core)
  tree-one-core-tmpfs  the same in /dev/shm
  tree100k-tmpfs  100,000 files of 1-8 KiB in 1,000 folders, copied in
              /dev/shm (each copy removed after its run): old, new, new -j1,
              new -j2, cp -r, cp -a
  tree100k    the same on the disk, into the graveyard (not run unless named:
              it buries about 1 GiB a program and round)
  delete      1,000 files of 1-8 KiB in 10 folders: old, new, rm -rf (on this
              disk the wall time is mostly the disk's: see the CPU)
  delete-tmpfs  the same in /dev/shm
  delete10k-tmpfs  10,000 files in 100 folders in /dev/shm: old, new,
              new -j1, new -j2, rm -rf
  big         a 1 GiB file: old, new, cp
  move        2,000 files in 20 folders moved from the disk to /dev/shm: old,
              new, mv
  move-ext4   the same to an ext4 file system of its own, loop-mounted from
              a sparse image under build/bench (needs root; skipped, with
              the reason, where it cannot be mounted): old, new, mv
  move-files-ext4  1,000 files of one folder, named one by one (as a shell
              glob names them), moved into a folder on that ext4: old, new, mv
  trash       the same 2,000 files to the trash: old, new, gio trash
  start       `vandrix -cs ren a b`, one run (the mean of 50 a round): old,
              new, /bin/true
  calls       system calls, everything counted (strace -f -c), of copying
              2,000 files to a new folder and deleting 1,000: old, new, new -j2,
              cp -r, cp -a, rm -rf
  memory      the peak memory (maximum resident set, by /usr/bin/time, whose
              own is the floor: /usr/bin/time true) of one copy of the
              10,000-file tree in /dev/shm, and of the 100,000-file one when
              tree100k-tmpfs is run too: old, new, new -j1, new -j2, cp -r

Outputs are renamed aside into a graveyard, never deleted between runs:
fresh deletes on this kind of disk (ext4 without a journal, mounted with
discard) slow inode allocation for minutes. A 1 GiB copy is removed right
after its run (a few big files, not thousands of inodes), outside the
timing; each timed run follows a `sync`. The scratch folders go at the end.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCRATCH = os.path.join(ROOT, "build", "bench", "rounds")
CASES = ["tree", "tree-tmpfs", "tree-one-core", "tree-one-core-tmpfs", "tree100k-tmpfs",
         "delete", "delete-tmpfs", "delete10k-tmpfs", "big", "move", "move-ext4",
         "move-files-ext4", "trash", "start", "calls", "memory"]
ONE_CORE = ["taskset", "-c", "0"]


def make_tree(path, folders, seed, files=100):
    """`folders` folders of `files` files of 1-8 KiB each."""
    rng = random.Random(seed)
    for d in range(folders):
        folder = os.path.join(path, f"d{d:03}")
        os.makedirs(folder)
        for f in range(files):
            with open(os.path.join(folder, f"f{f:03}.dat"), "wb") as out:
                out.write(os.urandom(rng.randint(1024, 8192)))


def sh(*argv, cwd=None):
    subprocess.run(argv, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


class Bench:
    def __init__(self, old, new, rounds, cases):
        self.vandrix = {"old": old, "new": new}
        self.rounds = rounds
        self.wants_100k = any(case.startswith("tree100k") for case in cases)
        self.wants_100k_disk = "tree100k" in cases
        self.wants_big = "big" in cases
        self.rng = random.Random(16)
        self.shm = tempfile.mkdtemp(prefix="vandrix-rounds-", dir="/dev/shm")
        self.grave = os.path.join(SCRATCH, "grave")
        self.graves = 0
        self.env = dict(os.environ, HOME=os.path.join(SCRATCH, "home"),
                        XDG_DATA_HOME=os.path.join(SCRATCH, "home", "data"))
        self.ext4 = None

    def mount_ext4(self):
        """A 4 GiB ext4 (a sparse image) loop-mounted under SCRATCH; the reason when not."""
        image, point = os.path.join(SCRATCH, "ext4.img"), os.path.join(SCRATCH, "ext4")
        os.makedirs(point, exist_ok=True)
        with open(image, "wb") as out:
            out.truncate(4 << 30)
        for argv in (["mkfs.ext4", "-q", "-F", image], ["mount", "-o", "loop", image, point]):
            try:
                done = subprocess.run(argv, capture_output=True, text=True)
            except OSError as e:
                return str(e)
            if done.returncode != 0:
                return f"{' '.join(argv[:2])}: {done.stderr.strip()}"
        self.ext4 = point
        return None

    def unmount_ext4(self):
        if self.ext4:
            subprocess.run(["umount", self.ext4])
            self.ext4 = None

    def prepare_data(self):
        shutil.rmtree(SCRATCH, ignore_errors=True)
        os.makedirs(self.grave)
        os.makedirs(self.env["XDG_DATA_HOME"])
        print("rounds: making the test data", file=sys.stderr)
        for name, folders, files, seed in (("tree", 100, 100, 1), ("tree2k", 20, 100, 2),
                                           ("tree1k", 10, 100, 3), ("flat1k", 1, 1000, 4)):
            make_tree(os.path.join(SCRATCH, name), folders, seed, files)
        if self.wants_100k:
            make_tree(os.path.join(self.shm, "tree100k"), 1000, 5)
            if self.wants_100k_disk:
                sh("cp", "-r", os.path.join(self.shm, "tree100k"), SCRATCH)
        if self.wants_big:
            with open(os.path.join(SCRATCH, "big.bin"), "wb") as out:
                for _ in range(1024):
                    out.write(os.urandom(1 << 20))
        sh("cp", "-r", os.path.join(SCRATCH, "tree"), os.path.join(self.shm, "tree"))
        sh("sync")
        sh("tar", "cf", "/dev/null", *os.listdir(SCRATCH), cwd=SCRATCH)

    def bury(self, path):
        """Renames `path` aside (into a graveyard on its own file system)."""
        if not os.path.lexists(path):
            return
        self.graves += 1
        grave = self.grave if path.startswith(SCRATCH) else os.path.join(self.shm, "grave")
        os.makedirs(grave, exist_ok=True)
        os.rename(path, os.path.join(grave, str(self.graves)))

    def timed(self, argv, cwd=SCRATCH, repeat=1):
        """Wall and CPU seconds of one run (the mean of `repeat` runs)."""
        sh("sync")
        wall = cpu = 0
        for i in range(repeat):
            start = time.perf_counter()
            child = subprocess.Popen(argv(i) if callable(argv) else argv, cwd=cwd, env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            _, status, usage = os.wait4(child.pid, 0)
            wall += time.perf_counter() - start
            child.returncode = os.waitstatus_to_exitcode(status)
            if child.returncode != 0:
                raise subprocess.CalledProcessError(child.returncode, child.args)
            cpu += usage.ru_utime + usage.ru_stime
        return wall / repeat, cpu / repeat

    def rounds_of(self, programs, run):
        """Runs `run(label, argv)` for every program in every round, shuffled."""
        times = {label: [] for label, _ in programs}
        for _ in range(self.rounds):
            order = list(programs)
            self.rng.shuffle(order)
            for label, argv in order:
                times[label].append(run(label, argv))
        return times

    def vandrix_argv(self, label, options, verb):
        """`old`, `new`, or `new -jN`: the program with its options."""
        jobs = label.split(" -j")
        return [self.vandrix[jobs[0]], options] + (["--jobs", jobs[1]] if len(jobs) > 1 else []) \
            + [verb]

    def copy_case(self, where, tree="tree", prefix=(), programs=None, keep=True):
        """Copies of `tree` in `where` to a new folder, each buried after its run
        (or with not `keep` removed, outside the timing); `prefix` runs the
        programs under another (taskset)."""
        source = os.path.join(where, tree)
        programs = programs or [("old", None), ("new", None), ("new -j1", None),
                                ("new -j2", None), ("cp -r", ["cp", "-r"]), ("cp -a", ["cp", "-a"])]

        def run(label, tool):
            target = os.path.join(where, "copy")
            self.bury(target)
            argv = tool + [source, target] if tool else \
                self.vandrix_argv(label, "-cs", "copy") + [source, target]
            result = self.timed(list(prefix) + argv)
            if keep:
                self.bury(target)
            else:
                shutil.rmtree(target)
            return result
        return self.rounds_of(programs, run)

    def one_core_case(self, where):
        return self.copy_case(where, prefix=ONE_CORE,
                              programs=[("old", None), ("new", None), ("new -j2", None)])

    def victim_case(self, tree, where, options, verb, tool, workers=False):
        """A fresh copy of `tree`, in `where`, removed by vandrix OPTIONS VERB or by
        `tool` (with `workers`, also by new -j1 and new -j2)."""
        programs = [("old", None), ("new", None)]
        programs += [("new -j1", None), ("new -j2", None)] if workers else []
        programs += [(" ".join(tool), tool)]

        def run(label, tool_argv):
            victim = os.path.join(where, "victim")
            sh("cp", "-r", os.path.join(SCRATCH, tree), victim)
            return self.timed(tool_argv + [victim] if tool_argv else
                              self.vandrix_argv(label, options, verb) + [victim])
        return self.rounds_of(programs, run)

    def big_case(self):
        programs = [("old", None), ("new", None), ("cp", ["cp"])]

        def run(label, tool):
            source, target = os.path.join(SCRATCH, "big.bin"), os.path.join(SCRATCH, "copy.bin")
            result = self.timed(tool + [source, target] if tool else
                                [self.vandrix[label], "-cs", "copy", source, target])
            os.unlink(target)
            return result
        return self.rounds_of(programs, run)

    def move_case(self, where, named=False):
        """tree2k moved from the disk into `where` as one folder, or (`named`)
        flat1k's files, each named, into a folder there."""
        programs = [("old", None), ("new", None), ("mv", ["mv"])]

        def run(label, tool):
            source, target = os.path.join(SCRATCH, "moving"), os.path.join(where, "moved")
            shutil.rmtree(source, ignore_errors=True)
            sh("cp", "-r", os.path.join(SCRATCH, "flat1k" if named else "tree2k"), source)
            items = [source]
            if named:
                os.makedirs(target)
                items = sorted(os.path.join(source, folder, name)
                               for folder in os.listdir(source)
                               for name in os.listdir(os.path.join(source, folder)))
            result = self.timed(tool + items + [target] if tool else
                                [self.vandrix[label], "-cs", "move"] + items + [target])
            shutil.rmtree(target)
            return result
        return self.rounds_of(programs, run)

    def start_case(self):
        folder = os.path.join(SCRATCH, "start")
        os.makedirs(folder, exist_ok=True)
        open(os.path.join(folder, "a"), "w").close()
        programs = [("old", None), ("new", None), ("/bin/true", ["/bin/true"])]

        def run(label, tool):
            def argv(i):  # a to b, then back
                names = ["a", "b"] if i % 2 == 0 else ["b", "a"]
                return tool or [self.vandrix[label], "-cs", "ren"] + names
            return self.timed(argv, cwd=folder, repeat=50)
        return self.rounds_of(programs, run)

    def memory(self):
        """Peak memory of one copy of each tree in /dev/shm, per program."""
        rows = [("-", "/usr/bin/time true", peak_kib(["true"], self.shm))]
        trees = ["tree"] + (["tree100k"] if self.wants_100k else [])
        for tree in trees:
            for label in ("old", "new", "new -j1", "new -j2", "cp -r"):
                argv = ["cp", "-r"] if label == "cp -r" else self.vandrix_argv(label, "-cs", "copy")
                rows.append((tree, label, peak_kib(argv + [tree, "copy"], self.shm)))
                shutil.rmtree(os.path.join(self.shm, "copy"))
        return rows

    def calls(self):
        """System calls of one run of each program, by strace -f -c."""
        rows = []
        copy = os.path.join(SCRATCH, "copy")
        for label, argv, per in (
                ("old", [self.vandrix["old"], "-cs", "copy", "tree2k", copy], 2000),
                ("new", [self.vandrix["new"], "-cs", "copy", "tree2k", copy], 2000),
                ("new -j2", [self.vandrix["new"], "-cs", "-j", "2", "copy", "tree2k", copy], 2000),
                ("cp -r", ["cp", "-r", "tree2k", copy], 2000),
                ("cp -a", ["cp", "-a", "tree2k", copy], 2000),
                ("old del", [self.vandrix["old"], "-cs", "del", "victim"], 1000),
                ("new del", [self.vandrix["new"], "-cs", "del", "victim"], 1000),
                ("new -j2 del", [self.vandrix["new"], "-cs", "-j", "2", "del", "victim"], 1000),
                ("rm -rf", ["rm", "-rf", "victim"], 1000)):
            if per == 1000:
                sh("cp", "-r", "tree1k", "victim", cwd=SCRATCH)
            log = os.path.join(SCRATCH, "strace.log")
            sh("strace", "-f", "-c", "-o", log, "--", *argv, cwd=SCRATCH)
            total = [line.split() for line in open(log) if line.rstrip().endswith("total")][-1]
            rows.append((label, int(total[3]), per))
            self.bury(copy)
        return rows


def peak_kib(argv, cwd):
    """The peak resident memory of one run of `argv`, in KiB."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M", *argv], cwd=cwd, check=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(result.stderr.strip().splitlines()[-1])


def ms(seconds):
    return f"{seconds * 1000:.1f}"


def table(name, times):
    """Rows of one case: min, median, median CPU, median of per-round ratios."""
    lines = []
    for label, runs in times.items():
        walls = [wall for wall, _ in runs]
        cpus = [cpu for _, cpu in runs]
        ratios = []
        for base, kind in (("new", 0), ("old", 0), ("new", 1)):
            per_round = [b[kind] / max(r[kind], 1e-6) for b, r in zip(times[base], runs)]
            ratios.append("" if label == base else f"{statistics.median(per_round):.2f}x")
        lines.append(f"| {name} | {label} | {ms(min(walls))} | {ms(statistics.median(walls))} | "
                     f"{ms(statistics.median(cpus))} | {' | '.join(ratios)} |")
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--cases", default=",".join(CASES))
    args = parser.parse_args()
    cases = args.cases.split(",")
    bench = Bench(os.path.abspath(args.old), os.path.abspath(args.new), args.rounds, cases)
    print(subprocess.run(["findmnt", "-T", ROOT], capture_output=True, text=True).stdout,
          file=sys.stderr)
    try:
        bench.prepare_data()
        lines = ["| case | program | min ms | median ms | median CPU ms | new / it | old / it "
                 "| new / it, CPU |", "|---|---|---:|---:|---:|---:|---:|---:|"]
        runs = {"tree": lambda: bench.copy_case(SCRATCH),
                "tree-tmpfs": lambda: bench.copy_case(bench.shm),
                "tree-one-core": lambda: bench.one_core_case(SCRATCH),
                "tree-one-core-tmpfs": lambda: bench.one_core_case(bench.shm),
                "tree100k-tmpfs": lambda: bench.copy_case(bench.shm, "tree100k", keep=False),
                "tree100k": lambda: bench.copy_case(SCRATCH, "tree100k"),
                "delete": lambda: bench.victim_case("tree1k", SCRATCH, "-cs", "del", ["rm", "-rf"]),
                "delete-tmpfs":
                    lambda: bench.victim_case("tree1k", bench.shm, "-cs", "del", ["rm", "-rf"]),
                "delete10k-tmpfs":
                    lambda: bench.victim_case("tree", bench.shm, "-cs", "del", ["rm", "-rf"],
                                              workers=True),
                "big": bench.big_case, "move": lambda: bench.move_case(bench.shm),
                "move-ext4": lambda: bench.move_case(bench.ext4),
                "move-files-ext4": lambda: bench.move_case(bench.ext4, named=True),
                "trash":
                    lambda: bench.victim_case("tree2k", SCRATCH, "-csu", "del", ["gio", "trash"]),
                "start": bench.start_case}
        if "move-ext4" in cases or "move-files-ext4" in cases:
            why = bench.mount_ext4()
            if why:
                print(f"rounds: the ext4 cases are skipped: cannot mount one here ({why})",
                      file=sys.stderr)
                cases = [case for case in cases if not case.endswith("-ext4")]
        for case in cases:
            if case in runs:
                print(f"rounds: {case} (load {os.getloadavg()[0]:.2f})", file=sys.stderr)
                lines += table(case, runs[case]())
        print("\n".join(lines))
        if "memory" in cases:
            print("\n| tree | program | peak KiB |\n|---|---|---:|")
            for tree, label, kib in bench.memory():
                print(f"| {tree} | {label} | {kib} |")
        if "calls" in cases:
            print("\n| program | system calls | per file |\n|---|---:|---:|")
            for label, calls, per in bench.calls():
                print(f"| {label} | {calls} | {calls / per:.2f} |")
    finally:
        print("rounds: removing the scratch folders", file=sys.stderr)
        bench.unmount_ext4()
        shutil.rmtree(bench.shm, ignore_errors=True)
        shutil.rmtree(SCRATCH, ignore_errors=True)


if __name__ == "__main__":
    main()
