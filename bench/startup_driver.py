#!/usr/bin/env python3
"""Times the start of Qt programs under an X server from outside, and samples their memory.

Run by bench/startup.sh, which starts the X server and cleans up. For each program: the time
from launching the process until its window is mapped, the time until a key sent to that
window has been acted on (the program exits on it), the peak resident memory of the main
process and the peak of the memory of the main process and all its descendants.
"""

import argparse
import os
import re
import selectors
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

PAGE_SIZE = os.sysconf("SC_PAGE_SIZE")
MIB = 1024 * 1024
KEY_RETRY_S = 0.050  # a key sent before the window listens may be lost: send it again
SAMPLE_S = 0.020  # memory sampling period
MAP_TIMEOUT_S = 60.0
KEY_TIMEOUT_S = 30.0
DRAIN_TIMEOUT_S = 10.0


class Failure(Exception):
    pass


def on_signal(signum, _frame):
    raise SystemExit(128 + signum)


class Program:
    def __init__(self, label, path, title):
        self.label = label
        self.path = os.path.abspath(path)
        self.title = title
        self.timings = []  # Start.timing() of each timing run
        self.memory = []  # Start.memory() of each memory run


class MapWatcher:
    """Reports the top-level windows as the X server maps them.

    xev listens to the root window's structure events, so a MapNotify arrives as soon as the
    server has mapped the window; without xev, xdotool is polled every 10 ms instead.
    """

    def __init__(self, env):
        self.env = env
        self.proc = None
        self.buffer = b""
        self.pending = []  # (window id, time seen) of each window mapped, oldest first
        self.in_map_event = False
        if shutil.which("xev"):
            self.proc = subprocess.Popen(
                ["xev", "-root", "-event", "substructure"],
                stdout=subprocess.PIPE,
                stderr=subprocess.DEVNULL,
                env=env,
                start_new_session=True,
            )
            os.set_blocking(self.proc.stdout.fileno(), False)

    @property
    def event_driven(self):
        return self.proc is not None

    def fileno(self):
        return self.proc.stdout.fileno()

    def read(self):
        """Reads what xev has printed, if anything; True if there was something."""
        now = time.monotonic()
        try:
            chunk = os.read(self.fileno(), 65536)
        except BlockingIOError:
            return False
        if not chunk:
            raise Failure("xev stopped")
        self.buffer += chunk
        *lines, self.buffer = self.buffer.split(b"\n")
        for line in lines:
            if line.startswith(b"MapNotify event"):
                self.in_map_event = True
            elif self.in_map_event:
                # "    event 0x..., window 0x..., override NO": the second id is the mapped one.
                match = re.search(rb"window (0x[0-9a-fA-F]+)", line)
                if match:
                    self.pending.append((int(match.group(1), 16), now))
                    self.in_map_event = False
        return True

    def forget(self):
        """Drops the windows mapped so far: they belong to earlier runs."""
        if self.event_driven:
            while self.read():
                pass
        self.pending.clear()

    def window_name(self, wid):
        result = subprocess.run(
            ["xdotool", "getwindowname", str(wid)],
            capture_output=True,
            env=self.env,
        )
        return result.stdout.decode("utf-8", "replace").rstrip("\n")

    def take_match(self, title):
        """The first mapped window with this exact title, as (id, time), or None."""
        while self.pending:
            wid, when = self.pending.pop(0)
            if self.window_name(wid) == title:
                return wid, when
        return None

    def poll(self, title):
        result = subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(title) + "$"],
            capture_output=True,
            env=self.env,
        )
        now = time.monotonic()
        ids = result.stdout.split()
        return (int(ids[-1]), now) if ids else None

    def close(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def read_stat(pid):
    """(ppid, session, rss bytes) of a live process, or None if it has gone or is a zombie."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            data = f.read()
    except OSError:
        return None
    fields = data[data.rfind(b")") + 2 :].split()
    if fields[0] == b"Z":
        return None
    return int(fields[1]), int(fields[3]), int(fields[21]) * PAGE_SIZE


def session_processes(sid):
    """Pid -> (ppid, rss) for every process of a session (the program and what it started)."""
    found = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            stat = read_stat(name)
            if stat and stat[1] == sid:
                found[int(name)] = (stat[0], stat[2])
    return found


def descendants(root, procs):
    tree = {root} if root in procs else set()
    grew = True
    while grew:
        grew = False
        for pid, (ppid, _rss) in procs.items():
            if ppid in tree and pid not in tree:
                tree.add(pid)
                grew = True
    return tree


def status_bytes(pid, field):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1]) * 1024
    except OSError:
        pass
    return 0


def pss_bytes(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1]) * 1024
    except OSError:
        pass
    return 0


class MemorySampler:
    def __init__(self, pid):
        self.pid = pid
        self.peak_rss_sum = 0
        self.peak_pss_sum = 0
        self.most_processes = 0

    def sample(self):
        procs = session_processes(self.pid)
        tree = descendants(self.pid, procs)
        if not tree:
            return
        self.peak_rss_sum = max(self.peak_rss_sum, sum(procs[p][1] for p in tree))
        self.peak_pss_sum = max(self.peak_pss_sum, sum(pss_bytes(p) for p in tree))
        self.most_processes = max(self.most_processes, len(tree))


class Runner:
    def __init__(self, args, watcher, x_env):
        self.args = args
        self.watcher = watcher
        self.x_env = x_env
        self.count = 0
        self.lingering = 0

    def program_env(self):
        """A fresh private HOME and XDG_RUNTIME_DIR for each start: no lock, no settings left."""
        self.count += 1
        home = tempfile.mkdtemp(prefix=f"home{self.count}-", dir=self.args.work)
        runtime = tempfile.mkdtemp(prefix=f"run{self.count}-", dir=self.args.work)
        os.chmod(runtime, 0o700)
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "DISPLAY": self.args.display,
            "HOME": home,
            "XDG_RUNTIME_DIR": runtime,
            "QT_QPA_PLATFORM": "xcb",
            "QTWEBENGINE_DISABLE_SANDBOX": "1",
        }
        for name in ("LANG", "LC_ALL", "LANGUAGE"):
            if name in os.environ:
                env[name] = os.environ[name]
        return env, [home, runtime]

    def send_key(self, wid):
        return subprocess.Popen(
            ["xdotool", "key", "--window", str(wid), self.args.key],
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            env=self.x_env,
        )

    def end_session(self, proc):
        """Waits for the program's helper processes to leave, killing any that stay."""
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        deadline = time.monotonic() + DRAIN_TIMEOUT_S
        while session_processes(proc.pid):
            if time.monotonic() > deadline:
                self.lingering += 1
                for pid in session_processes(proc.pid):
                    try:
                        os.kill(pid, signal.SIGKILL)
                    except ProcessLookupError:
                        pass
                deadline = time.monotonic() + DRAIN_TIMEOUT_S
            time.sleep(0.02)

    def run(self, program, memory):
        """One start of a program; returns its Start with what was observed."""
        env, folders = self.program_env()
        self.watcher.forget()
        start = Start(self, program, memory, env, folders)
        try:
            start.wait_for_window()
            start.key_from = start.maps[0][1]
            if memory:
                # Let the browser's processes come up before the key.
                start.wait_until(start.key_from + self.args.settle)
                start.main_hwm = status_bytes(start.proc.pid, "VmHWM")
                start.key_from = time.monotonic()
            start.type_until_exit()
        except BaseException:
            start.print_output()
            raise
        finally:
            start.close()
            self.end_session(start.proc)
            for folder in folders:
                shutil.rmtree(folder, ignore_errors=True)
        return start


class Start:
    """One start of a program, followed from outside: its process, its windows, its memory."""

    def __init__(self, runner, program, memory, env, folders):
        self.runner = runner
        self.watcher = runner.watcher
        self.program = program
        self.log_path = os.path.join(folders[0], "output.log")
        self.maps = []  # (window id, time) of each window mapped with the program's title
        self.keys = []  # (time, xdotool process) of each key sent
        self.key_from = None
        self.exited = None
        self.main_hwm = 0
        self.sampler = None
        with open(self.log_path, "wb") as log:
            self.t0 = time.monotonic()
            self.proc = subprocess.Popen(
                [program.path],
                cwd=folders[0],
                env=env,
                stdin=subprocess.DEVNULL,
                stdout=log,
                stderr=subprocess.STDOUT,
                start_new_session=True,
            )
        self.pidfd = os.pidfd_open(self.proc.pid)
        self.sel = selectors.DefaultSelector()
        self.sel.register(self.pidfd, selectors.EVENT_READ, "exit")
        if self.watcher.event_driven:
            self.sel.register(self.watcher.fileno(), selectors.EVENT_READ, "x")
        if memory:
            self.sampler = MemorySampler(self.proc.pid)

    def step(self, timeout):
        """Waits up to timeout for the exit or window events; True once the process has ended."""
        if self.sampler:
            timeout = min(timeout, SAMPLE_S)
        elif not self.watcher.event_driven:
            timeout = min(timeout, 0.010)
        for key, _ in self.sel.select(max(0.0, timeout)):
            if key.data == "exit":
                self.exited = time.monotonic()
            else:
                self.watcher.read()
        if self.exited is None:
            # A program may map more than one window with its title (one replacing another):
            # keys go to the newest.
            if self.watcher.event_driven:
                while found := self.watcher.take_match(self.program.title):
                    self.maps.append(found)
            elif found := self.watcher.poll(self.program.title):
                if not self.maps or found[0] != self.maps[-1][0]:
                    self.maps.append(found)
            if self.sampler:
                self.sampler.sample()
        return self.exited is not None

    def wait_for_window(self):
        while not self.maps:
            if time.monotonic() - self.t0 > MAP_TIMEOUT_S:
                raise Failure(f"{self.program.label}: no window after {MAP_TIMEOUT_S:.0f} s")
            if self.step(1.0):
                raise Failure(f"{self.program.label}: ended before showing its window")

    def wait_until(self, deadline):
        while time.monotonic() < deadline:
            if self.step(deadline - time.monotonic()):
                raise Failure(f"{self.program.label}: ended before the key")

    def type_until_exit(self):
        """Sends the key at once, then every 50 ms and to each newly mapped window, until the
        process ends on it."""
        target = None
        while True:
            now = time.monotonic()
            if now - self.key_from > KEY_TIMEOUT_S:
                raise Failure(
                    f"{self.program.label}: still running {KEY_TIMEOUT_S:.0f} s after the key"
                )
            wid = self.maps[-1][0]
            if wid != target or now - self.keys[-1][0] >= KEY_RETRY_S:
                self.keys.append((now, self.runner.send_key(wid)))
                target = wid
            if self.step(self.keys[-1][0] + KEY_RETRY_S - time.monotonic()):
                return

    def timing(self):
        """ms to the first map, ms to the last map, ms to the exit, keys sent, windows mapped."""
        return (
            (self.maps[0][1] - self.t0) * 1000,
            (self.maps[-1][1] - self.t0) * 1000,
            (self.exited - self.t0) * 1000,
            len(self.keys),
            len(self.maps),
        )

    def memory(self):
        """Main process VmHWM, peak RSS sum, peak PSS sum (bytes), ms from the key to the exit,
        most processes seen at once."""
        latency = (self.exited - self.key_from) * 1000
        peaks = (self.sampler.peak_rss_sum, self.sampler.peak_pss_sum)
        return self.main_hwm, *peaks, latency, self.sampler.most_processes

    def print_output(self):
        try:
            with open(self.log_path, "rb") as f:
                tail = f.read()[-2000:].decode("utf-8", "replace")
        except OSError:
            return
        if tail.strip():
            print(f"--- output of {self.program.label} ---\n{tail}", file=sys.stderr)

    def close(self):
        self.sel.close()
        os.close(self.pidfd)
        for _sent, xdotool in self.keys:
            if xdotool.poll() is None:
                xdotool.kill()
            xdotool.wait()
        if self.proc.poll() is None:
            self.proc.kill()
        status = self.proc.wait()
        if self.exited is not None and status != 0:
            print(f"note: {self.program.label} exited with status {status}", file=sys.stderr)


def spread(values, fmt="{:.0f}"):
    """Median [min-max] of a list of numbers."""
    med = fmt.format(statistics.median(values))
    return f"{med} [{fmt.format(min(values))}-{fmt.format(max(values))}]"


def report(args, programs, event_driven):
    how = "MapNotify seen by xev" if event_driven else "xdotool polled every 10 ms"
    print(
        f"Start-up: {args.runs} starts each, alternated, after {args.warmup} uncounted; "
        f"Xvfb {args.display}, {os.cpu_count()} cores; window mapped = {how}"
    )
    print(
        f"ms, median [min-max]; typing = process exit on {args.key}, sent at the first map, "
        "again every 50 ms and to any newer window"
    )
    width = max(len(p.label) for p in programs) + 2
    columns = ("to window mapped", "to last map", "to typing accepted")
    print(f"{'':{width}}" + "".join(f"{c:<21}" for c in columns) + "maps  keys (max)")
    for p in programs:
        cells = [spread([t[i] for t in p.timings]) for i in range(3)]
        maps = max(t[4] for t in p.timings)
        keys = max(t[3] for t in p.timings)
        print(f"{p.label:<{width}}" + "".join(f"{c:<21}" for c in cells) + f"{maps:<6}{keys}")
    reference = programs[args.reference]
    ref_typing = statistics.median(t[2] for t in reference.timings)
    for i, p in enumerate(programs):
        if i != args.reference:
            ratio = statistics.median(t[2] for t in p.timings) / ref_typing
            print(f"ratio {p.label} / {reference.label}, typing medians: {ratio:.2f}")
    if args.memory_runs == 0:
        return
    print(
        f"Peak memory, MiB, highest of {args.memory_runs} starts, key sent {args.settle:g} s "
        "after the first map; 'all' = main process and its descendants, sampled every 20 ms"
    )
    columns = ("main (VmHWM)", "all (RSS sum)", "all (PSS sum)", "processes")
    print(f"{'':{width}}" + "".join(f"{c:<15}" for c in columns) + "key to exit, ms")
    for p in programs:
        hwm, rss, pss = (max(m[i] for m in p.memory) / MIB for i in range(3))
        most = max(m[4] for m in p.memory)
        cells = (f"{hwm:.1f}", f"{rss:.1f}", f"{pss:.1f}", str(most))
        latency = spread([m[3] for m in p.memory])
        print(f"{p.label:<{width}}" + "".join(f"{c:<15}" for c in cells) + latency)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--display", required=True, help="X display to run on, e.g. :7")
    parser.add_argument("--work", required=True, help="scratch folder, removed by the caller")
    parser.add_argument(
        "--program",
        nargs=3,
        action="append",
        required=True,
        metavar=("LABEL", "PATH", "TITLE"),
        help="a program to start and the exact title of its main window (repeatable)",
    )
    parser.add_argument("--reference", type=int, default=1, help="index of the reference program")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--warmup", type=int, default=1)
    parser.add_argument("--memory-runs", type=int, default=3)
    parser.add_argument("--settle", type=float, default=3.0, help="seconds before the key")
    parser.add_argument("--key", default="ctrl+f")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)

    programs = [Program(*given) for given in args.program]
    x_env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DISPLAY": args.display}
    watcher = MapWatcher(x_env)
    try:
        runner = Runner(args, watcher, x_env)
        for _ in range(args.warmup):
            for p in programs:
                runner.run(p, memory=False)
        for i in range(args.runs):
            # Alternate, and alternate who goes first, so drift hits every program alike.
            order = programs if i % 2 == 0 else programs[::-1]
            for p in order:
                p.timings.append(runner.run(p, memory=False).timing())
        for i in range(args.memory_runs):
            for p in programs:
                p.memory.append(runner.run(p, memory=True).memory())
        report(args, programs, watcher.event_driven)
        if runner.lingering:
            print(f"note: {runner.lingering} runs left helper processes that had to be killed")
    except Failure as failure:
        print(f"error: {failure}", file=sys.stderr)
        return 1
    finally:
        watcher.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
