"""The benchmark's table: the median of every figure per program, ours against the floor and
each peer, the goals and whether they hold; with the date, machine and versions."""

import os
import platform
import statistics
import subprocess
import time

PEERS = ["falkon", "surf", "netsurf"]
COLUMNS = ["ours", "floor"] + PEERS

# key, label, number format, others' figure to set ours against (None: ours only), goal
# (text, test(ours, med) where med(program, key) gives a median) or None, and whether ours
# should be below every peer on this row. The row with the splash has no verdict: the splash
# is part of the design, and the row after it is the one that compares.
FIGURES = [
    ("load", "1. start → page loaded (s)", "{:.3f}", "load", None, False),
    ("first_window", "1. ours: start → first browser window (s)", "{:.3f}", None,
     ("≤ 1.55 s", lambda o, med: o <= 1.55), False),
    ("tick_to_window", "1. ours: splash's tick → first browser window shown (s)", "{:.3f}", None,
     None, False),
    ("shown_to_loaded", "1. ours: window shown → page loaded (s)", "{:.3f}", None,
     ("≤ 0.06 s", lambda o, med: o <= 0.06), False),
    ("load_nosplash", "1. ours: start → page loaded, less the 1.5 s splash (s)", "{:.3f}", "load",
     ("≤ 0.8 × floor", lambda o, med: o <= 0.8 * med("floor", "load")), True),
    ("mem", "2. memory of the tree, each page once (MiB)", "{:.1f}", "mem",
     ("≤ floor + 10", lambda o, med: o <= med("floor", "mem") + 10), True),
    ("pss", "2. (for reference) PSS of the tree (MiB)", "{:.1f}", "pss", None, False),
    ("idle_cpu", "3. idle CPU over 10 s after load (% of a core)", "{:.2f}", "idle_cpu",
     ("≤ 0.2 %", lambda o, med: o <= 0.2), True),
    ("new_window", "4. Ctrl+N → new window's page loaded (s; floor: a new view)", "{:.3f}",
     "new_window", ("≤ 1.3 × floor's new view", lambda o, med: o <= 1.3 * med("floor", "new_window")),
     False),
    ("second_window_mem", "4. memory the second window adds (MiB)", "{:.1f}",
     "second_window_mem", None, False),
    ("window_mem", "4. memory each further window adds, up to 10 (MiB)", "{:.1f}", "window_mem",
     ("≤ 1.10 × floor's 2nd view",
      lambda o, med: o <= 1.10 * med("floor", "second_window_mem")), False),
    ("kept_after_close", "4. memory kept after closing them (MiB)", "{:.1f}", "kept_after_close",
     None, False),
    ("typed", "5. typed address + Enter → loaded (s; floor: load())", "{:.3f}", "typed", None,
     False),
    ("typed_first", "5. ours: first typed address, off the built-in page (s)", "{:.3f}", None,
     None, False),
    ("handover", "6. ours: `quillon ADDRESS` while it runs → page shown in the new window (s)",
     "{:.3f}", None, ("≤ 0.3 s", lambda o, med: o <= 0.3), False),
    ("handover_mem", "6. ours: memory the running tree adds per handed-over window (MiB)", "{:.1f}",
     None, ("≤ 1.2 × a Ctrl+N window", lambda o, med: o <= 1.2 * med("ours", "window_mem")), False),
]


def _median(results, program, key):
    values = results.get(program, {}).get(key)
    return statistics.median(values) if values else None


def _cell(fmt, value):
    return "–" if value is None else fmt.format(value)


def _ratio(a, b):
    if a is None or b is None or b <= 0:
        return "–"
    return f"{a / b:.2f}"


def table(results):
    med = lambda program, key: _median(results, program, key)
    head = (["Figure"] + COLUMNS + [f"ours÷{c}" for c in ["floor"] + PEERS] + ["goal", "met"])
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for key, label, fmt, against, goal, versus_peers in FIGURES:
        ours = med("ours", key)
        others = {p: (med(p, against) if against else None) for p in COLUMNS[1:]}
        row = [label, _cell(fmt, ours)] + [_cell(fmt, others[p]) for p in COLUMNS[1:]]
        row += [_ratio(ours, others[p]) for p in ["floor"] + PEERS]
        verdicts = []
        if goal and ours is not None:
            try:
                verdicts.append("yes" if goal[1](ours, med) else "**no**")
            except TypeError:  # a median it needs is missing
                pass
        compared = [p for p in PEERS if ours is not None and others[p] is not None]
        if versus_peers and compared:
            worse = [p for p in compared if ours > others[p] or (ours == others[p] and ours > 0)]
            verdicts.append("below every peer" if not worse else "**not below " + ", ".join(worse) + "**")
        goals = [goal[0]] if goal else []
        if versus_peers:
            goals.append("below every peer")
        row += ["; ".join(goals), "; ".join(verdicts) or "–"]
        lines.append("| " + " | ".join(row) + " |")
    return "\n".join(lines)


def banner_table(results):
    lines = ["| Banner player alone (2 banners) | CPU (ms per s) | % of a core | goal | met |",
             "|---|---|---|---|---|"]
    for mode, goal, test in [("playing", "", None), ("hidden", "0", lambda v: v == 0)]:
        value = _median(results, "banners_" + mode, "cpu_ms_per_s")
        met = "–" if value is None or test is None else ("yes" if test(value) else "**no**")
        lines.append(f"| {mode} | {_cell('{:.2f}', value)} | "
                     f"{_cell('{:.3f}', None if value is None else value / 10)} | {goal} | {met} |")
    return "\n".join(lines)


def raw_table(results):
    lines = ["| Program | Figure | runs |", "|---|---|---|"]
    for program in sorted(results):
        for key, values in sorted(results[program].items()):
            lines.append(f"| {program} | {key} | " + ", ".join(f"{v:.3f}" for v in values) + " |")
    return "\n".join(lines)


def _out(argv):
    try:
        return subprocess.run(argv, capture_output=True, text=True, check=False).stdout.strip()
    except OSError:
        return ""


def machine():
    model = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo")
                  if l.startswith("model name")), platform.machine())
    mem = next(int(l.split()[1]) for l in open("/proc/meminfo") if l.startswith("MemTotal"))
    debian = open("/etc/debian_version").read().strip() if os.path.exists("/etc/debian_version") else "?"
    return (f"{model}, {os.cpu_count()} cores, {mem / 1048576:.1f} GiB RAM; "
            f"Linux {platform.release()}; Debian {debian}")


def versions(root):
    commit = _out(["git", "-C", root, "describe", "--always", "--dirty"])
    pkgs = _out(["dpkg-query", "-W", "-f", "${Package} ${Version}\n", "libqt6webenginecore6",
                 "libqt5webenginecore5", "falkon", "surf", "libwebkit2gtk-4.1-0", "netsurf-gtk",
                 "xvfb"])
    return [f"Quillon's Browser 1.0.0 ({commit or 'no git'})"] + pkgs.splitlines()


def write(results, meta, out):
    args = meta["args"]
    text = "\n".join([
        "# Benchmark results",
        "",
        f"- Date: {time.strftime('%Y-%m-%d %H:%M %Z')}",
        f"- Machine: {machine()}",
        "- Versions: " + "; ".join(versions(args.root)),
        f"- Load average (1, 5, 15 min) before: {' '.join(f'{v:.2f}' for v in meta['load_before'])}; "
        f"after: {' '.join(f'{v:.2f}' for v in meta['load_after'])}",
        f"- Runs per figure: {args.runs} (medians below); settle {args.settle} s after a load, "
        f"idle CPU over {args.idle} s, {args.windows} windows; whole run {meta['seconds'] / 60:.1f} min",
        "- One Xvfb (1280x1024x24), no window manager; every program gets the same page file "
        "(a copy of the built-in home page) and a fresh, empty home folder.",
        "",
        table(results),
        "",
        banner_table(results),
        "",
        "Ratios below 1 are ours doing better; `met` says whether the goal holds and whether "
        "ours is below every peer on the rows where that is asked. Peers: falkon (Qt 5 WebEngine), surf (WebKitGTK), "
        "netsurf (NetSurf's own engine). ‘–’: not measured for that program.",
        "",
        *(["Problems during the run:", ""] + [f"- {n}" for n in meta["notes"]] + [""]
          if meta["notes"] else []),
        "<details><summary>Every run</summary>",
        "",
        raw_table(results),
        "",
        "</details>",
        "",
    ])
    if out:
        os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
        with open(out, "w") as f:
            f.write(text)
    return text
