#!/usr/bin/env python3
"""The one table of figures that ends `make bench`, in Markdown for the README.

Usage: tools/bench-summary.py OUT_DIR

OUT_DIR holds what tools/bench.sh kept of each part's run: `commands.tsv` (part, command as
run), the Google Benchmark JSON files (`koralith-bench-ai.json`, `koralith-bench-levels.json`,
`koralith-bench-game.json`), and the printed lines of `game-figures.txt`, `load.txt`,
`load-floor.txt` and `load-hashing.txt`. Every figure is read from there; one that cannot be
found is shown as "not measured" and the exit status is 1, so a renamed line or a failed part
never passes for a result.
"""
import datetime
import json
import os
import re
import subprocess
import sys

out = sys.argv[1]
missing = []


def read(name):
    try:
        with open(os.path.join(out, name), encoding="utf-8") as f:
            return f.read()
    except OSError:
        return ""


commands = dict(line.split("\t", 1) for line in read("commands.tsv").splitlines() if "\t" in line)


def benchmarks(part):
    try:
        data = json.loads(read(part + ".json"))
    except ValueError:
        return {}, {}
    runs = data.get("benchmarks", [])
    found = {b["run_name"]: b for b in runs if b.get("run_type") == "iteration"}
    # A benchmark repeated against the machine's noise is shown by its median.
    found.update({re.sub(r"/repeats:\d+$", "", b["run_name"]): b
                  for b in runs if b.get("aggregate_name") == "median"})
    return found, data.get("context", {})


def duration(run):
    unit = {"ns": "ns", "us": "µs", "ms": "ms", "s": "s"}[run["time_unit"]]
    return f"{run['cpu_time']:.3g} {unit}"


def printed(text, label):
    """The rest of the printed line that starts with `label`."""
    for line in text.splitlines():
        if line.startswith(label):
            return line[len(label):].strip()
    return None


def number(text, label):
    """The number that starts the rest of that line."""
    found = re.match(r"[\d.]+", printed(text, label) or "")
    return float(found.group()) if found else None


rows = []


def row(figure, value, *parts):
    if value is None:
        missing.append(figure)
        value = "not measured"
    run = [commands.get(part) for part in parts]
    where = " and ".join(f"`{c.strip()}`" for c in run) if all(run) else "not run"
    rows.append(f"| {figure} | {value} | {where} |")


# The computer's move: each depth on the three positions, with that depth's move checksum.
ai, ai_context = benchmarks("koralith-bench-ai")
for depth in range(3):
    times = []
    for name, run in sorted(ai.items()):
        m = re.match(r"BM_ChooseMove/position:(\d+)/depth:(\d+)", name)
        if m and int(m.group(2)) == depth:
            times.append(f"{run.get('label', m.group(1))} {duration(run)}")
    checksum = ai_context.get(f"move checksum depth {depth}")
    value = f"{', '.join(times)}; checksum `{checksum}`" if len(times) == 3 and checksum else None
    row(f"computer's move, depth {depth} (CPU time per move)", value, "koralith-bench-ai")

# The levels against each other over a fixed seeded set of openings, and each level's time per
# move over every move of those games.
_, levels_context = benchmarks("koralith-bench-levels")
pairs = [levels_context.get(k) for k in ("hard vs normal", "normal vs easy")]
row("computer levels: Hard's wins against Normal, Normal's against Easy",
    f"Hard {pairs[0]}; Normal {pairs[1]}" if all(pairs) else None, "koralith-bench-levels")
levels = ("easy", "normal", "hard")
times = [levels_context.get(f"{level} move") for level in levels]
row("computer levels: CPU time per move in those games",
    "; ".join(f"{level} {t}" for level, t in zip(levels, times)) if all(times) else None,
    "koralith-bench-levels")

figures = read("game-figures.txt")
for label, figure in [
    ("start to first frame", "game: start to first frame"),
    ("idle CPU, main menu", "game: idle CPU, main menu (share of one core)"),
    ("idle CPU, single-player game", "game: idle CPU, single-player game (share of one core)"),
    ("resident memory, main menu", "game: resident memory, main menu"),
    ("resident memory, single-player game", "game: resident memory, single-player game"),
]:
    row(figure, printed(figures, label), "game-figures")

# The engine's frame beside the floor: SDL alone blitting the same pictures, scaled beforehand.
frames, _ = benchmarks("koralith-bench-game")
frame, floor = frames.get("FullBoardFrame"), frames.get("FullBoardFloor")
row("game: full-board frame (225 stones), draw time (CPU) against SDL alone drawing it",
    frame and floor and f"{duration(frame)} against {duration(floor)} "
    f"(ratio {frame['cpu_time'] / floor['cpu_time']:.2f})", "koralith-bench-game")

load = read("load.txt")
floor_load = read("load-floor.txt")
relay = re.search(r"p99 (\d+) us", printed(load, "relay latency") or "")
echo = re.search(r"p99 (\d+) us", printed(load, "bare echo round trip") or "")
ratio = printed(load, "relay p99 / echo p99")
row("server: connections held", printed(load, "connections held"), "load")
row("server: moves relayed per second", printed(load, "moves per second"), "load")
row("server: move relay p99 against a bare TCP echo's p99",
    relay and echo and ratio and
    f"{relay.group(1)} µs against {echo.group(1)} µs (ratio {ratio})", "load")

# The server's CPU time per move beside the floor relay's under the same bots, and both relays'
# heap allocations per move (koralith-malloc-count.so preloaded).
cpu = [number(text, "server cpu per move") for text in (load, floor_load)]
row("server: CPU time per relayed move, against a bare relay of the same protocol",
    f"{cpu[0]:.1f} µs against {cpu[1]:.1f} µs (ratio {cpu[0] / cpu[1]:.2f})"
    if all(cpu) else None, "load", "load-floor")
allocations = [number(text, "server allocations per move") for text in (load, floor_load)]
row("server: heap allocations per relayed move, against the bare relay",
    f"{allocations[0]:.2f} against {allocations[1]:.2f}" if None not in allocations else None,
    "load", "load-floor")

# The web face under wrk (bench/web/run-web.sh), and the relay while it serves.
web = read("web.txt") or ""
for kind, goal in (("leaderboard", "p99 <= 5 ms"), ("player", "p99 <= 10 ms"),
                   ("game", "p99 <= 5 ms")):
    cells = re.search(rf"^\| {kind} +\| +(\S+) \| +(\S+) \| +(\S+) \| +(\S+) \|", web, re.M)
    row(f"web: {kind} pages, 100,000 players and 1,000,000 games, wrk 8 connections "
        f"(goal {goal}, >= 2000 requests/s)",
        cells and f"{cells.group(1)} requests/s, p50 {cells.group(2)}, p99 {cells.group(3)}, "
        f"{cells.group(4)} of CPU a request", "web")
with_web = read("load-web.txt")
cpu_web = number(with_web, "server cpu per move") if with_web else None
row("server: CPU time per relayed move while the web face serves from its database, "
    "against without", cpu_web and cpu[0] and f"{cpu_web:.1f} µs against {cpu[0]:.1f} µs "
    f"({printed(with_web, 'web requests during the load:')} web requests meanwhile)",
    "load-web", "load")

# Logins at the server's real hash cost (HashingRun.h).
hashing = read("load-hashing.txt")
alone = re.match(r"p50 (\d+) ms", printed(hashing, "one login alone") or "")
at_once = re.search(r"p99 (\d+) ms", printed(hashing, "16 logins at once") or "")
flooded = re.match(r"p50 (\d+) ms, p99 (\d+) ms", printed(hashing, "login under flood") or "")
stop = printed(hashing, "stop under flood")
row("server: 16 logins at once, p99, against one login alone (real hash cost)",
    at_once and alone and f"{at_once.group(1)} ms against {alone.group(1)} ms", "load-hashing")
row("server: login from a clean address under a registration flood from 4 addresses "
    "x 64 connections (real hash cost), p50 / p99",
    flooded and f"{flooded.group(1)} ms / {flooded.group(2)} ms", "load-hashing")
row("server: stop (SIGTERM) under that flood", stop, "load-hashing")

# The machine and the commit the figures belong to.
with open("/proc/cpuinfo", encoding="utf-8") as f:
    cpuinfo = f.read()
cores = len(re.findall(r"^processor\s*:", cpuinfo, re.M))
model = re.search(r"^model name\s*:\s*(.*)$", cpuinfo, re.M)
repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def git(*args):
    run = subprocess.run(["git", "-C", repo, *args], capture_output=True, text=True)
    return run.stdout.strip() if run.returncode == 0 else ""


commit = git("rev-parse", "--short=12", "HEAD") or "unknown"
if git("status", "--porcelain", "--untracked-files=no"):
    commit += " with uncommitted changes"
load_avg = ai_context.get("load_avg")
print(f"Figures from `make bench`, "
      f"{datetime.datetime.now().astimezone().strftime('%Y-%m-%d %H:%M %Z')}: "
      f"{cores} cores, {model.group(1) if model else 'unknown CPU'}; commit `{commit}`"
      + (f"; load average {load_avg[0]:.2f} at the start" if load_avg else "") + ".")
print()
print("| figure | value | measured by |")
print("|---|---|---|")
print("\n".join(rows))
if missing:
    print(f"\nbench-summary: not measured: {'; '.join(missing)}", file=sys.stderr)
    sys.exit(1)
