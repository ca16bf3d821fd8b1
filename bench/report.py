#!/usr/bin/env python3
"""Turns velmo_bench's JSON output (with repetitions) into the tables of
docs/performance.md: medians, ratios against the floors, scaling per element,
and one thread against two. Times are CPU time per operation (the machine is
shared, and CPU time leaves out the time spent waiting for a core); the
thread comparison uses wall-clock throughput."""

import argparse
import json
import sys

CALLS = ["login", "publish", "setChannelMetadata", "setState"]
EVENTS = ["loginResult", "messageEvent", "presenceEvent", "historyResult"]
CALL_TARGET_OFF = 1.5
CALL_TARGET_ON = 1.3
EVENT_TARGET = 1.3
TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def load(path):
    with open(path) as f:
        data = json.load(f)
    medians, cvs = {}, {}
    for b in data["benchmarks"]:
        if b.get("run_type") != "aggregate":
            continue
        name = b["run_name"]
        scale = TO_NS[b.get("time_unit", "ns")]
        if b["aggregate_name"] == "median":
            medians[name] = {
                "cpu": b["cpu_time"] * scale,
                "real": b["real_time"] * scale,
                "items": b.get("items_per_second"),
            }
        elif b["aggregate_name"] == "cv":
            cvs[name] = b["cpu_time"]
    return data.get("context", {}), medians, cvs


def fmt_ns(ns):
    if ns is None:
        return "n/a"
    if ns >= 1e6:
        return "%.2f ms" % (ns / 1e6)
    if ns >= 1e3:
        return "%.2f µs" % (ns / 1e3)
    return "%.0f ns" % ns


def ratio_cell(value, target):
    if value is None:
        return "n/a"
    mark = "ok" if value <= target else "over"
    return "%.2f (%s)" % (value, mark)


class Report:
    def __init__(self, medians, cvs):
        self.m = medians
        self.cvs = cvs
        self.lines = []

    def cpu(self, name):
        entry = self.m.get(name)
        return entry["cpu"] if entry else None

    def out(self, line=""):
        self.lines.append(line)

    def calls(self):
        self.out("## Call path (CPU time per call, medians)")
        self.out()
        self.out("| call | SDK floor | JSON floor | log-lines floor | log off | ratio off "
                 "(≤ %.1f) | log on | ratio on (≤ %.1f) |" % (CALL_TARGET_OFF, CALL_TARGET_ON))
        self.out("|---|---|---|---|---|---|---|---|")
        for c in CALLS:
            sdk, js, logs = (self.cpu("floor/%s/%s" % (k, c)) for k in ("sdk", "json", "log_lines"))
            off, on = self.cpu("call/%s/log_off" % c), self.cpu("call/%s/log_on" % c)
            floor = sdk + js if sdk is not None and js is not None else None
            r_off = off / floor if off and floor else None
            r_on = on / (floor + logs) if on and floor and logs else None
            self.out("| %s | %s | %s | %s | %s | %s | %s | %s |" % (
                c, fmt_ns(sdk), fmt_ns(js), fmt_ns(logs), fmt_ns(off),
                ratio_cell(r_off, CALL_TARGET_OFF), fmt_ns(on), ratio_cell(r_on, CALL_TARGET_ON)))
        self.out()
        self.out("Ratio off = log off ÷ (SDK floor + JSON floor); ratio on = log on ÷ "
                 "(SDK floor + JSON floor + log-lines floor).")
        self.out()

    def events(self):
        self.out("## Event path (CPU time per event, medians)")
        self.out()
        self.out("| event | floor | log off | ratio off (≤ %.1f) | log on | ratio on |" % EVENT_TARGET)
        self.out("|---|---|---|---|---|---|")
        for e in EVENTS:
            floor = self.cpu("floor/event/%s" % e)
            off, on = self.cpu("event/%s/log_off" % e), self.cpu("event/%s/log_on" % e)
            r_off = off / floor if off and floor else None
            r_on = on / floor if on and floor else None
            self.out("| %s | %s | %s | %s | %s | %s |" % (
                e, fmt_ns(floor), fmt_ns(off), ratio_cell(r_off, EVENT_TARGET), fmt_ns(on),
                "%.2f" % r_on if r_on else "n/a"))
        self.out()

    def design(self):
        self.out("## What the design itself costs (CPU time, medians)")
        self.out()
        self.out("| item | median |")
        self.out("|---|---|")
        for name in sorted(n for n in self.m if n.startswith("design/")):
            self.out("| %s | %s |" % (name, fmt_ns(self.cpu(name))))
        self.out()

    def scaling(self):
        self.out("## Scaling: cost per element (CPU time, medians)")
        self.out()
        for kind, element in (("presence", "user"), ("history", "message")):
            sizes = sorted({int(n.rsplit("/", 1)[1]) for n in self.m
                            if n.startswith("scaling/%s/library/" % kind)})
            self.out("| %s event, %ss | library per %s | floor per %s | ratio |" % (
                kind, element, element, element))
            self.out("|---|---|---|---|")
            for n in sizes:
                lib = self.cpu("scaling/%s/library/%d" % (kind, n))
                floor = self.cpu("scaling/%s/floor/%d" % (kind, n))
                self.out("| %d | %s | %s | %s |" % (
                    n, fmt_ns(lib / n if lib else None), fmt_ns(floor / n if floor else None),
                    "%.2f" % (lib / floor) if lib and floor else "n/a"))
            self.out()

    def threads(self):
        self.out("## Calls from two threads against one (wall-clock throughput, medians)")
        self.out()
        self.out("| modules | 1 thread, calls/s | 2 threads, calls/s | speed-up |")
        self.out("|---|---|---|---|")
        for label, name in (("two modules (storage, presence)", "two_modules"),
                            ("one module (storage twice)", "one_module"),
                            ("no library: the JSON floor", "json_floor")):
            one = self.m.get("scaling/%s/real_time/threads:1" % name, {}).get("items")
            two = self.m.get("scaling/%s/real_time/threads:2" % name, {}).get("items")
            self.out("| %s | %s | %s | %s |" % (
                label, "%.0f" % one if one else "n/a", "%.0f" % two if two else "n/a",
                "%.2f" % (two / one) if one and two else "n/a"))
        self.out()

    def everything(self):
        self.out("## Every median")
        self.out()
        self.out("| benchmark | CPU time | wall time | CV of CPU time |")
        self.out("|---|---|---|---|")
        for name in sorted(self.m):
            cv = self.cvs.get(name)
            self.out("| %s | %s | %s | %s |" % (
                name, fmt_ns(self.m[name]["cpu"]), fmt_ns(self.m[name]["real"]),
                "%.1f%%" % (cv * 100) if cv is not None else "n/a"))
        self.out()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("results", help="velmo_bench --benchmark_out JSON")
    parser.add_argument("--conditions", help="text file describing the run conditions")
    args = parser.parse_args()

    context, medians, cvs = load(args.results)
    if not medians:
        sys.exit("no medians in %s: run with --benchmark_repetitions of 2 or more" % args.results)
    report = Report(medians, cvs)
    report.out("# Benchmark report")
    report.out()
    report.out("Run: %s, %s CPUs at %s MHz, library build %s." % (
        context.get("date", "?"), context.get("num_cpus", "?"), context.get("mhz_per_cpu", "?"),
        context.get("velmo_build_type", "?")))
    if "load_average_at_start" in context:
        report.out("Load average at start: %s." % context["load_average_at_start"])
    if args.conditions:
        with open(args.conditions) as f:
            report.out()
            report.out("```")
            report.out(f.read().rstrip())
            report.out("```")
    report.out()
    report.calls()
    report.events()
    report.design()
    report.scaling()
    report.threads()
    report.everything()
    print("\n".join(report.lines))


if __name__ == "__main__":
    main()
