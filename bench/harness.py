"""Runs every program of the benchmark on the one X display it is given and measures each the
same black-box way: windows and titles through X, memory and CPU through /proc.
bench/run.sh builds and starts it under Xvfb; report.py writes the table."""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import procs  # noqa: E402
import report  # noqa: E402
from xwin import Display  # noqa: E402

PAGE_TITLE = "Quillon's Home"
TYPED_TITLE = "Quillon's Home, typed"
TYPED_FIRST_TITLE = "Quillon's Home, typed first"
OURS_SUFFIX = "   --  Quillon 's Browser"
SPLASH_SECONDS = 1.5
LOAD_TIMEOUT = 60.0


class Bench:
    def __init__(self, args):
        self.args = args
        self.x = Display()
        self.tmp = tempfile.mkdtemp(prefix="quillon-bench.")
        self.results = {}  # program -> figure -> [values]
        self.notes = []
        self.window_size = "563x421"  # our window, until a run of ours says otherwise
        self._make_pages()

    # -- set-up ------------------------------------------------------------------------
    def _make_pages(self):
        with open(os.path.join(self.args.root, "resources", "pages", "home.html")) as f:
            home = f.read()
        self.page = os.path.join(self.tmp, "page", "home.html")
        self.typed = os.path.join(self.tmp, "page", "typed.html")
        self.typed_first = os.path.join(self.tmp, "page", "typed-first.html")
        os.makedirs(os.path.dirname(self.page))
        with open(self.page, "w") as f:
            f.write(home)
        # The typed page says it is loaded from its load event, the moment the engine
        # reports the download complete, so the caption marks that moment.
        for path, title in ((self.typed, TYPED_TITLE), (self.typed_first, TYPED_FIRST_TITLE)):
            marker = ("<script>addEventListener('load', function () { document.title = "
                      f"\"{title}\"; }});</script>\n</head>")
            with open(path, "w") as f:
                f.write(home.replace(f"<title>{PAGE_TITLE}</title>", "<title>typed</title>", 1)
                            .replace("</head>", marker, 1))

    def _env(self, run_dir, bus=None):
        """A fresh home for every run: no profile, no first-run state, no session to restore;
        no session bus, unless the run is given one of its own."""
        env = dict(os.environ)
        for var in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                    "XDG_RUNTIME_DIR"):
            path = os.path.join(run_dir, var.lower())
            os.makedirs(path, mode=0o700, exist_ok=True)
            env[var] = path
        env.update(NO_AT_BRIDGE="1", GTK_A11Y="none", GSETTINGS_BACKEND="memory",
                    DBUS_SESSION_BUS_ADDRESS=bus or "disabled:", LC_ALL=self.args.locale)
        if os.geteuid() == 0:  # Chromium will not run its sandbox as root
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        return env

    def record(self, program, figure, value):
        if value is not None:
            self.results.setdefault(program, {}).setdefault(figure, []).append(value)

    # -- one program, one run ----------------------------------------------------------
    def start(self, name, argv, stdin=None, bus=None):
        run_dir = tempfile.mkdtemp(prefix=name + ".", dir=self.tmp)
        log = open(os.path.join(run_dir, "stderr.log"), "wb")
        env = self._env(run_dir, bus)
        t0 = time.monotonic()
        proc = subprocess.Popen(argv, cwd=run_dir, env=env, stdin=stdin,
                                stdout=subprocess.DEVNULL, stderr=log, start_new_session=True)
        log.close()
        proc.run_dir, proc.t0 = run_dir, t0
        return proc

    def stop(self, proc):
        pids = procs.tree(proc.pid)
        def reap():
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                pass

        try:
            os.killpg(proc.pid, signal.SIGTERM)
        except OSError:
            pass
        reap()
        for pid in pids + procs.tree(proc.pid):
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        reap()
        self.x.wait(lambda ws: not ws, 5)

    def fail(self, name, proc, what):
        path = os.path.join(proc.run_dir, "stderr.log")
        tail = open(path, errors="replace").read().strip().splitlines()[-3:] if os.path.exists(path) else []
        self.notes.append(f"{name}: {what}" + (f" (stderr: {' / '.join(tail)})" if tail else ""))
        print(f"  {name}: {what}", file=sys.stderr)

    def memory(self, proc):
        """The tree's memory, every page counted once (PSS where page frames are hidden)."""
        unique = procs.unique_mib(proc.pid)
        return unique if unique is not None else procs.pss_mib(proc.pid)

    def settle_and_cost(self, name, proc):
        time.sleep(self.args.settle)
        if self.args.shots:  # to see what each program showed
            os.makedirs(self.args.shots, exist_ok=True)
            subprocess.run(["import", "-window", "root", os.path.join(self.args.shots, name + ".png")],
                           check=False)
        self.record(name, "pss", procs.pss_mib(proc.pid))
        self.record(name, "mem", self.memory(proc))
        c0, t0 = procs.cpu_seconds(proc.pid), time.monotonic()
        time.sleep(self.args.idle)
        c1, t1 = procs.cpu_seconds(proc.pid), time.monotonic()
        self.record(name, "idle_cpu", 100.0 * (c1 - c0) / (t1 - t0))

    def wait_titles(self, proc, test):
        """Seconds from the program's exec until test(windows) holds."""
        waited, hit = self.x.wait(test, LOAD_TIMEOUT)
        return (time.monotonic() - proc.t0 if waited is not None else None), hit

    # -- ours ---------------------------------------------------------------------------
    def run_ours(self):
        # A session bus of the run's own, for the starts that hand their address over.
        daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        bus = daemon.stdout.readline().strip()
        try:
            self._run_ours(bus)
        finally:
            daemon.kill()
            daemon.wait()

    def _run_ours(self, bus):
        proc = self.start("ours", [os.path.join(self.args.build, "quillon")], bus=bus)
        first = loaded = None
        deadline = proc.t0 + LOAD_TIMEOUT
        while loaded is None and time.monotonic() < deadline:
            ws = self.x.windows()
            now = time.monotonic() - proc.t0
            if first is None and any(w.title.endswith("Quillon 's Browser") for w in ws):
                first = now
            if any(w.title == PAGE_TITLE + OURS_SUFFIX for w in ws):
                loaded = now
            time.sleep(0.004)
        if loaded is None:
            self.fail("ours", proc, "the home page never showed")
            return self.stop(proc)
        self.record("ours", "first_window", first)
        self.record("ours", "tick_to_window", first - SPLASH_SECONDS)
        self.record("ours", "shown_to_loaded", loaded - first)
        self.record("ours", "load", loaded)
        self.record("ours", "load_nosplash", loaded - SPLASH_SECONDS)
        window = self._find(PAGE_TITLE + OURS_SUFFIX)
        self.window_size = f"{window.width}x{window.height}"
        self.settle_and_cost("ours", proc)
        self.typed_ours(proc, window)
        self.more_windows("ours", proc, PAGE_TITLE + OURS_SUFFIX,
                          lambda: (self.x.focus(window), self.x.key("ctrl+n")))
        self.handed_over(proc, bus)
        self.stop(proc)

    def handed_over(self, proc, bus):
        """`quillon ADDRESS` while the program runs, as a link from another program: from that
        start until the page shows in the window the running program opens for it, and what
        the running program's tree adds per such window (the start itself ends at once)."""
        title = TYPED_TITLE + OURS_SUFFIX
        count = lambda ws: sum(1 for w in ws if w.title == title and w.pid == proc.pid)
        have = count(self.x.windows())
        base = before = self.memory(proc)
        times, added = [], []
        for _ in range(self.args.windows - 1):
            second = self.start("handover", [os.path.join(self.args.build, "quillon"), self.typed], bus=bus)
            waited, _ = self.x.wait(lambda ws: count(ws) > have, LOAD_TIMEOUT)
            shown = time.monotonic()  # the start's own ending is not part of it
            try:
                status = second.wait(timeout=10)
            except subprocess.TimeoutExpired:
                status = None
            if waited is None or status != 0:
                self.fail("ours", second, "a second start did not hand its address over")
                self.stop(second)
                break
            times.append(shown - second.t0)
            have += 1
            time.sleep(self.args.window_settle)
            now = self.memory(proc)
            added.append(now - before)
            before = now
        if not added:
            return
        self.record("ours", "handover", statistics.median(times))
        self.record("ours", "handover_mem", (before - base) / len(added))

    def _find(self, title):
        return next((w for w in self.x.windows() if w.title == title), None)

    def typed_ours(self, proc, window):
        """Two typed addresses: the first leaves the built-in page (a new renderer, as the
        address's site differs); the second, a page beside it, is the one set against the
        floor, which starts on a local file too."""
        first = self.type_address(proc, window, self.typed_first, TYPED_FIRST_TITLE)
        self.record("ours", "typed_first", first)
        self.record("ours", "typed", self.type_address(proc, window, self.typed, TYPED_TITLE))
        time.sleep(self.args.settle)

    def type_address(self, proc, window, path, title):
        # Where the address box lies in the window: 100 px in, under the menu bar and toolbar.
        ax, ay = (int(v) for v in self.args.address_at.split(","))
        self.x.focus(window)
        self.x.click(window.x + ax, window.y + ay)
        self.x.key("End")
        self.x.key("shift+Home")
        subprocess.run(["xdotool", "type", "--delay", "2", path], check=False)
        time.sleep(0.3)
        t0 = time.monotonic()
        self.x.key("Return")
        waited, _ = self.x.wait(lambda ws: any(w.title == title + OURS_SUFFIX for w in ws),
                                LOAD_TIMEOUT)
        if waited is None:
            self.fail("ours", proc, f"the typed address {path} never loaded")
            return None
        return time.monotonic() - t0

    # -- windows, for ours and the floor -------------------------------------------------
    def more_windows(self, name, proc, home_title, open_one):
        count = lambda ws: sum(1 for w in ws if w.title == home_title)
        have = count(self.x.windows())
        base = pss = self.memory(proc)
        times, added = [], []
        for _ in range(self.args.windows - 1):
            t0 = time.monotonic()
            open_one()
            waited, _ = self.x.wait(lambda ws: count(ws) > have, LOAD_TIMEOUT)
            if waited is None:
                self.fail(name, proc, "a new window never loaded its home page")
                break
            times.append(time.monotonic() - t0)
            have += 1
            time.sleep(self.args.window_settle)
            now = self.memory(proc)
            added.append(now - pss)
            pss = now
        if not added:
            return
        self.record(name, "new_window", statistics.median(times))
        self.record(name, "second_window_mem", added[0])
        self.record(name, "window_mem", (pss - base) / len(added))
        for w in self.x.windows():
            if w.title == home_title:
                self.x.close(w)
        self.x.wait(lambda ws: count(ws) == 0, 20)
        time.sleep(self.args.settle)
        self.record(name, "kept_after_close", self.memory(proc) - base)

    # -- the floor and the peers ---------------------------------------------------------
    def run_floor(self):
        argv = [os.path.join(self.args.build, "bare_view"), "--size", self.window_size, self.page]
        proc = self.start("floor", argv, stdin=subprocess.PIPE)
        loaded, _ = self.wait_titles(proc, lambda ws: any(w.title == PAGE_TITLE for w in ws))
        if loaded is None:
            self.fail("floor", proc, "the page never showed")
            return self.stop(proc)
        self.record("floor", "load", loaded)
        self.settle_and_cost("floor", proc)

        def send(line):
            proc.stdin.write(line.encode() + b"\n")
            proc.stdin.flush()

        send("load " + self.typed_first)  # as ours does, so both go file to file after
        self.x.wait(lambda ws: any(w.title == TYPED_FIRST_TITLE for w in ws), LOAD_TIMEOUT)
        t0 = time.monotonic()
        send("load " + self.typed)
        waited, _ = self.x.wait(lambda ws: any(w.title == TYPED_TITLE for w in ws), LOAD_TIMEOUT)
        self.record("floor", "typed", None if waited is None else time.monotonic() - t0)
        time.sleep(self.args.settle)
        self.more_windows("floor", proc, PAGE_TITLE, lambda: send("new"))
        self.stop(proc)

    def run_peer(self, name, argv):
        proc = self.start(name, argv)
        loaded, _ = self.wait_titles(proc, lambda ws: any(PAGE_TITLE in w.title for w in ws))
        if loaded is None:
            self.fail(name, proc, "the page never showed")
            return self.stop(proc)
        self.record(name, "load", loaded)
        self.settle_and_cost(name, proc)
        self.stop(proc)

    def run_banners(self, mode):
        name = "banners_" + mode
        proc = self.start(name, [os.path.join(self.args.build, "banner_cpu"), mode])
        shown, _ = self.wait_titles(proc, lambda ws: any(w.title == "banner_cpu " + mode for w in ws))
        if shown is None:
            self.fail(name, proc, "the banner window never showed")
            return self.stop(proc)
        time.sleep(self.args.settle)
        c0, t0 = procs.cpu_seconds(proc.pid), time.monotonic()
        time.sleep(self.args.idle)
        c1, t1 = procs.cpu_seconds(proc.pid), time.monotonic()
        self.record(name, "cpu_ms_per_s", 1000.0 * (c1 - c0) / (t1 - t0))
        self.stop(proc)

    # -- the whole run -------------------------------------------------------------------
    def programs(self):
        url = "file://" + self.page
        return [
            ("ours", self.run_ours),
            ("floor", self.run_floor),
            ("falkon", lambda: self.run_peer("falkon", ["falkon", "--no-extensions",
                                                         "--no-remote", url])),
            ("surf", lambda: self.run_peer("surf", ["surf", url])),
            ("netsurf", lambda: self.run_peer("netsurf", ["netsurf-gtk", url])),
            ("banners", lambda: (self.run_banners("playing"), self.run_banners("hidden"))),
        ]

    def run(self):
        only = set(self.args.only.split(",")) if self.args.only else None
        load_before = os.getloadavg()
        started = time.time()
        for n in range(self.args.runs):
            for name, run_one in self.programs():
                if only and name not in only:
                    continue
                print(f"run {n + 1}/{self.args.runs}: {name}", file=sys.stderr, flush=True)
                run_one()
        meta = dict(load_before=load_before, load_after=os.getloadavg(),
                    seconds=time.time() - started, args=self.args, notes=self.notes)
        text = report.write(self.results, meta, self.args.out)
        print(text)
        if not self.args.keep:
            shutil.rmtree(self.tmp, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description="Quillon's Browser benchmark (run by bench/run.sh)")
    parser.add_argument("--root", required=True, help="the repository")
    parser.add_argument("--build", required=True, help="the Release build directory")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--windows", type=int, default=10, help="windows to open in figure 4")
    parser.add_argument("--settle", type=float, default=3.0, help="seconds after a load")
    parser.add_argument("--window-settle", type=float, default=1.5)
    parser.add_argument("--idle", type=float, default=10.0, help="seconds of idle CPU")
    parser.add_argument("--address-at", default="160,68", help="x,y of our address box")
    parser.add_argument("--only", help="comma list: ours,floor,falkon,surf,netsurf,banners")
    parser.add_argument("--out", help="results file (markdown)")
    parser.add_argument("--shots", help="folder for a screenshot of each program once loaded")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    parser.add_argument("--locale", default="C.UTF-8",
                        help="the locale every program runs in (de_DE.UTF-8: spelling and languages in German)")
    Bench(parser.parse_args()).run()


if __name__ == "__main__":
    main()
