#!/usr/bin/env python3
"""Samples and figures of bench/footprint/footprint.sh.

  footprint_report.py sample PID   CPU time and context switches of a process, summed over its
                                   threads (/proc/PID/task/*), as key value lines
  footprint_report.py report DIR   the figures of every round under DIR, per program, and the
                                   ratios client/baseline (medians over the rounds)
"""
import os
import re
import statistics
import sys
import time

PROGRAMS = ("client", "baseline")
# The two modules of the client that are ours; every other module is the platform's.
OUR_MODULES = ("sivrel.exe", "korvex.dll", "baseline_tray.exe")


def sample(pid):
    cpu_ns = ticks = voluntary = involuntary = threads = 0
    task_dir = f"/proc/{pid}/task"
    for tid in os.listdir(task_dir):
        try:
            with open(f"{task_dir}/{tid}/schedstat") as f:
                cpu_ns += int(f.read().split()[0])
            with open(f"{task_dir}/{tid}/status") as f:
                for line in f:
                    key, _, value = line.partition(":")
                    if key == "voluntary_ctxt_switches":
                        voluntary += int(value)
                    elif key == "nonvoluntary_ctxt_switches":
                        involuntary += int(value)
            threads += 1
        except (FileNotFoundError, ProcessLookupError):
            continue  # a thread that ended meanwhile
    # The process's own counters also hold the time of threads that have ended.
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
        ticks = int(fields[11]) + int(fields[12])
    print(f"time_s {time.monotonic():.3f}")
    print(f"cpu_ns {cpu_ns}")
    print(f"cpu_ticks {ticks}")
    print(f"voluntary {voluntary}")
    print(f"involuntary {involuntary}")
    print(f"threads {threads}")


def read_keys(path):
    values = {}
    with open(path) as f:
        for line in f:
            parts = line.split(None, 1)
            if len(parts) == 2 and not line.startswith("#") and parts[0] != "module":
                try:
                    values[parts[0]] = float(parts[1])
                except ValueError:
                    pass
    return values


def read_modules(path):
    modules = []
    with open(path) as f:
        for line in f:
            parts = line.rstrip("\n").split(" ", 3)
            if parts[0] == "module" and len(parts) == 4:
                base, size = int(parts[1], 16), int(parts[2], 16)
                name = parts[3].replace("\\", "/").rsplit("/", 1)[-1]
                modules.append((base, base + size, name))
    return modules


MAPPING = re.compile(r"^([0-9a-f]+)-([0-9a-f]+) (\S+) \S+ \S+ \d+\s*(.*)$")


def read_smaps(path):
    maps = []
    with open(path) as f:
        for line in f:
            m = MAPPING.match(line)
            if m:
                maps.append({"start": int(m.group(1), 16), "end": int(m.group(2), 16),
                             "perm": m.group(3), "name": m.group(4).strip()})
                continue
            key, _, value = line.partition(":")
            if value.strip().endswith("kB") and maps:
                maps[-1][key] = int(value.split()[0])
    return maps


def is_image_file(name):
    base = name.rsplit("/", 1)[-1].lower()
    return base.endswith((".dll", ".exe", ".drv", ".sys", ".ocx", ".cpl")) or ".so" in base


def split(maps, modules):
    """The resident set by kind, in kB, and the largest contributors."""
    out = {"rss": 0, "image": 0, "image_anon": 0, "ours": 0, "ours_anon": 0, "anon": 0,
           "other_files": 0}
    contributors = {}
    for m in maps:
        rss, anon = m.get("Rss", 0), m.get("Anonymous", 0)
        out["rss"] += rss
        module = next((name for lo, hi, name in modules if lo <= m["start"] < hi), None)
        if module:
            # A PE image of ours or the platform's; under Wine an image whose sections are not
            # page-aligned in its file is read into anonymous memory instead of being mapped.
            out["image"] += rss
            out["image_anon"] += anon
            if module.lower() in OUR_MODULES:
                out["ours"] += rss
                out["ours_anon"] += anon
            label = f"image {module}"
        elif m["name"] and not m["name"].startswith("["):
            if is_image_file(m["name"]):
                out["image"] += rss
                out["image_anon"] += anon
                label = "image " + m["name"].rsplit("/", 1)[-1]
            else:
                out["other_files"] += rss
                label = "file " + m["name"].rsplit("/", 1)[-1]
        else:
            out["anon"] += rss
            size_kb = (m["end"] - m["start"]) // 1024
            label = f"anonymous {m['name'] or ''} {m['start']:x} ({size_kb} kB {m['perm']})".replace("  ", " ")
        contributors[label] = contributors.get(label, 0) + rss
    largest = sorted(contributors.items(), key=lambda kv: -kv[1])[:8]
    return out, largest


def median(values):
    return statistics.median(values) if values else float("nan")


def ratio(a, b):
    if b == 0:
        return float("inf") if a > 0 else 1.0
    return a / b


def report(work):
    rounds = sorted((d for d in os.listdir(work) if d.startswith("round")),
                    key=lambda d: int(d[5:]))
    figures = {p: {"rss_kb": [], "image_kb": [], "image_anon_kb": [],
                   "ours_kb": [], "anon_kb": [], "other_files_kb": [], "cpu_ms_idle": [],
                   "cpu_ticks_ms_idle": [], "wakeups_per_s": [], "threads": []}
               for p in PROGRAMS}
    starts = {p: {"input_idle_ms": [], "cpu_to_idle_ms": []} for p in PROGRAMS}
    largest = {}
    idle_s = 0.0
    for r in rounds:
        d = os.path.join(work, r)
        for p in PROGRAMS:
            for name in sorted(os.listdir(d)):
                if name.startswith(f"{p}-start") or name == f"{p}-launch.txt":
                    launch = read_keys(os.path.join(d, name))
                    starts[p]["input_idle_ms"].append(launch["input_idle_ms"])
                    starts[p]["cpu_to_idle_ms"].append(launch["at_idle_cpu_ns"] / 1e6)
            launch = read_keys(f"{d}/{p}-launch.txt")
            before = read_keys(f"{d}/{p}-before.txt")
            after = read_keys(f"{d}/{p}-after.txt")
            parts, largest[p] = split(read_smaps(f"{d}/{p}-smaps.txt"),
                                      read_modules(f"{d}/{p}-launch.txt"))
            f = figures[p]
            f["rss_kb"].append(parts["rss"])
            f["image_kb"].append(parts["image"])
            f["image_anon_kb"].append(parts["image_anon"])
            f["ours_kb"].append(parts["ours"])
            f["anon_kb"].append(parts["anon"])
            f["other_files_kb"].append(parts["other_files"])
            seconds = after["time_s"] - before["time_s"]
            idle_s = seconds
            # CPU per 60 s of idling, so that the figure reads the same whatever --idle was.
            f["cpu_ms_idle"].append((after["cpu_ns"] - before["cpu_ns"]) / 1e6 * 60 / seconds)
            f["cpu_ticks_ms_idle"].append(
                (after["cpu_ticks"] - before["cpu_ticks"]) * 1000 / os.sysconf("SC_CLK_TCK") * 60 / seconds)
            f["wakeups_per_s"].append((after["voluntary"] - before["voluntary"]) / seconds)
            f["threads"].append(after["threads"])

    count = len(starts["client"]["input_idle_ms"])
    print(f"# start-up: {count} starts of each program; median, and the least (the start that"
          " other load on the machine disturbed least)")
    for key in ("input_idle_ms", "cpu_to_idle_ms"):
        for p in PROGRAMS:
            values = starts[p][key]
            print(f"{p}_{key} {median(values):.1f}")
            print(f"{p}_{key}_min {min(values):.1f}")
        spread = "  ".join(f"{p} {min(starts[p][key]):.1f}..{max(starts[p][key]):.1f}"
                           for p in PROGRAMS)
        print(f"#   {key}: {spread}")
    print(f"# {len(rounds)} rounds, {idle_s:.0f} idle seconds each; medians over the rounds "
          "(min..max in the comment lines)")
    for key in figures["client"]:
        for p in PROGRAMS:
            values = figures[p][key]
            print(f"{p}_{key} {median(values):.1f}")
        spread = "  ".join(f"{p} {min(figures[p][key]):.1f}..{max(figures[p][key]):.1f}"
                           for p in PROGRAMS)
        print(f"#   {key}: {spread}")
    for key in ("input_idle_ms", "cpu_to_idle_ms"):
        r = ratio(median(starts["client"][key]), median(starts["baseline"][key]))
        print(f"ratio_{key} {r:.2f}")
        r = ratio(min(starts["client"][key]), min(starts["baseline"][key]))
        print(f"ratio_{key}_min {r:.2f}")
    for key in ("rss_kb", "anon_kb", "cpu_ms_idle", "wakeups_per_s"):
        r = ratio(median(figures["client"][key]), median(figures["baseline"][key]))
        print(f"ratio_{key} {r:.2f}")
    for p in PROGRAMS:
        print(f"# largest resident mappings of {p} (last round):")
        for label, kb in largest[p]:
            print(f"#   {kb:7d} kB  {label}")


def main(argv):
    if len(argv) == 3 and argv[1] == "sample":
        sample(int(argv[2]))
    elif len(argv) == 3 and argv[1] == "report":
        report(argv[2])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
