#!/usr/bin/env python3
"""Compares gif_bench's three benchmarks from its JSON output and checks the targets: the
splitter (BM_SplitGif) within 2x of the plain copy (BM_CopyBytes) and at least 10x faster than
giflib (BM_GiflibSlurp). Times are CPU times per iteration, the median when the run had
repetitions; real times are shown beside them.

    gif_bench --benchmark_format=json --benchmark_repetitions=5 > gif.json
    bench/gif_bench_ratios.py gif.json        (or: ... | bench/gif_bench_ratios.py)
"""
import json
import statistics
import sys

NAMES = ("BM_SplitGif", "BM_CopyBytes", "BM_GiflibSlurp")


def times(report, name, key):
    runs = [b for b in report["benchmarks"] if b.get("run_name", b["name"]) == name]
    medians = [b for b in runs if b.get("aggregate_name") == "median"]
    if medians:
        return medians[0][key]
    plain = [b[key] for b in runs if b.get("run_type", "iteration") == "iteration"]
    if not plain:
        sys.exit("gif_bench_ratios: no result for %s" % name)
    return statistics.median(plain)


def main():
    source = open(sys.argv[1]) if len(sys.argv) > 1 else sys.stdin
    report = json.load(source)
    cpu = {n: times(report, n, "cpu_time") for n in NAMES}
    real = {n: times(report, n, "real_time") for n in NAMES}
    unit = report["benchmarks"][0].get("time_unit", "ns")
    for n in NAMES:
        print("%-15s cpu %10.2f %s   real %10.2f %s" % (n, cpu[n], unit, real[n], unit))
    split_vs_copy = cpu["BM_SplitGif"] / cpu["BM_CopyBytes"]
    slurp_vs_split = cpu["BM_GiflibSlurp"] / cpu["BM_SplitGif"]
    print("split / copy  = %.2f (target <= 2; real time %.2f)"
          % (split_vs_copy, real["BM_SplitGif"] / real["BM_CopyBytes"]))
    print("slurp / split = %.1f (target >= 10; real time %.1f)"
          % (slurp_vs_split, real["BM_GiflibSlurp"] / real["BM_SplitGif"]))
    ok = split_vs_copy <= 2.0 and slurp_vs_split >= 10.0
    print("targets met" if ok else "TARGETS MISSED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
