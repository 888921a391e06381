#!/usr/bin/env python3
"""Times a command as a whole process, alone or in turn with a second one.

    side_by_side.py [-n RUNS] [--timeout SECONDS] [--vs 'COMMAND B'] [--] COMMAND A...

Each command runs RUNS times after one warm-up run, A B A B ..., so that
both see the same machine (a shared one drifts). COMMAND A is the words
given (one word is run by sh -c); COMMAND B is a shell command. Output is
thrown away. Printed: the minimum, median and maximum of user, system and
CPU seconds, wall seconds and peak resident MiB of each, and for a pair
the ratios A/B of the pairs' CPU and wall times (the median of the pairs'
ratios). A command that fails, or a run past the timeout, stops the call
with status 1.
"""
import argparse
import os
import resource
import statistics
import subprocess
import sys
import time


def run_once(command, shell, deadline):
    start = time.monotonic()
    with open(os.devnull, "wb") as devnull:
        child = subprocess.Popen(command, shell=shell, stdout=devnull)
    while True:
        pid, status, usage = os.wait4(child.pid, os.WNOHANG)
        if pid:
            break
        if time.monotonic() > deadline:
            child.kill()
            os.wait4(child.pid, 0)
            sys.exit("side_by_side.py: the time bound ended the runs")
        time.sleep(0.002)
    wall = time.monotonic() - start
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit(f"side_by_side.py: {command!r} failed with status {code}")
    return {
        "user s": usage.ru_utime,
        "sys s": usage.ru_stime,
        "cpu s": usage.ru_utime + usage.ru_stime,
        "wall s": wall,
        "peak MiB": usage.ru_maxrss / 1024.0,
    }


def main():
    parser = argparse.ArgumentParser(add_help=True)
    parser.add_argument("-n", type=int, default=5)
    parser.add_argument("--timeout", type=float, default=600)
    parser.add_argument("--vs")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")
    a = (command[0], True) if len(command) == 1 else (command, False)
    sides = [("A", a)] + ([("B", (args.vs, True))] if args.vs else [])
    deadline = time.monotonic() + args.timeout
    print(f"A = {' '.join(command)}")
    if args.vs:
        print(f"B = {args.vs}")
    for _, (cmd, shell) in sides:  # warm-up, not counted
        run_once(cmd, shell, deadline)
    figures = {name: [] for name, _ in sides}
    for _ in range(args.n):
        for name, (cmd, shell) in sides:
            figures[name].append(run_once(cmd, shell, deadline))
    print(f"{'':18} {'min':>10} {'median':>11} {'max':>11}   n: {args.n} each; whole process")
    for name, _ in sides:
        for key in ("user s", "sys s", "cpu s", "wall s", "peak MiB"):
            values = [run[key] for run in figures[name]]
            digits = 1 if key == "peak MiB" else 3
            print(f"{name + ' ' + key:18} {min(values):10.{digits}f} "
                  f"{statistics.median(values):11.{digits}f} {max(values):11.{digits}f}")
    if args.vs:
        for key in ("cpu", "wall"):
            ratios = [x[key + " s"] / y[key + " s"] if y[key + " s"] > 0 else float("nan")
                      for x, y in zip(figures["A"], figures["B"])]
            print(f"{'A/B ' + key:18} {min(ratios):10.4f} {statistics.median(ratios):11.4f} "
                  f"{max(ratios):11.4f}")


if __name__ == "__main__":
    main()
