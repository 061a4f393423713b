#!/usr/bin/env python3
"""What a user waits for and what the process holds, measured from outside on a real X server.

    bench/process_times.py <vamo2001 executable> [rides] [runs]

Under Xvfb, with a diary of `rides` generated rides (default 100,000) and with an empty one:
start to main window shown, Ctrl+Q to the end of the process, and the resident memory after
the start and after 20 rides added with "Nový podle vybraného" (Ctrl+D, "OK"). Prints the
median of `runs` runs (default 5). The executable is copied to a folder of its own with a
vamo2001.ini beside it (a portable copy), so that its settings are the script's, never a
build's or the user's.
Needs Xvfb, xwininfo and xdotool (Debian: xvfb, x11-utils, xdotool).
"""

import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SEP = b"\xa7"
PLACES = ["Brno", "Tišnov", "Kuřim", "Blansko", "Žďár nad Sázavou", "Třebíč", "Velké Meziříčí"]


def make_diary(rides, seed=2001):
    rnd = random.Random(seed)
    lines = [b"[Data]\r\n"]
    km = 1000.0
    for n in range(1, rides + 1):
        day = 1 + n % 28
        month = 1 + (n // 28) % 12
        year = 2000 + n // 336
        dist = round(rnd.uniform(5, 120), 1)
        hours = dist / rnd.uniform(15, 30)
        fields = [
            f"{day}.{month}.{year}",
            rnd.choice(PLACES),
            rnd.choice(PLACES),
            rnd.choice(PLACES),
            f"{km:.1f}".replace(".", ","),
            f"{km + dist:.1f}".replace(".", ","),
            f"{dist}".replace(".", ","),
            f"{dist / hours:.1f}".replace(".", ","),
            f"{dist / hours * 1.8:.1f}".replace(".", ","),
            f"{int(hours)} h {int(hours % 1 * 60)} min",
            "pěkně" if n % 7 == 0 else "",
        ]
        km += dist
        line = SEP.join(f.encode("cp1250") for f in fields) + SEP
        lines.append(f"{n}=".encode() + line + b"\r\n")
    return b"".join(lines)


def window_tree(display):
    return subprocess.run(["xwininfo", "-root", "-tree"], env={**os.environ, "DISPLAY": display},
                          capture_output=True, text=True).stdout


def window_shown(display):
    return '"Vamo 2001 [' in window_tree(display)


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def xdotool(display, *args):
    subprocess.run(["xdotool", *args], env={**os.environ, "DISPLAY": display}, check=True,
                   capture_output=True)


def one_run(exe, display, add_rides):
    env = {**os.environ, "DISPLAY": display}
    env.pop("QT_QPA_PLATFORM", None)
    started = time.perf_counter()
    proc = subprocess.Popen([exe], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while not window_shown(display):
        if proc.poll() is not None:
            raise RuntimeError("the program ended before its window showed")
        time.sleep(0.002)
    shown = time.perf_counter() - started
    time.sleep(1.0)
    result = {"start_ms": shown * 1000, "rss_start_mib": rss_kib(proc.pid) / 1024}
    xdotool(display, "search", "--sync", "--name", r"Vamo 2001 \[", "windowfocus", "--sync")
    if add_rides:
        # A ride of the list selected by a click (there is no window manager to give the focus).
        xdotool(display, "mousemove", "400", "260", "click", "1")
        for _ in range(add_rides):
            xdotool(display, "key", "ctrl+d")
            xdotool(display, "search", "--sync", "--name", "Nový údaj", "windowfocus", "--sync")
            # The entry dialog has no default button: Tab from the date to "OK", then Space.
            xdotool(display, "key", "--delay", "20", *(["Tab"] * 12), "space")
            while '"Nový údaj"' in window_tree(display):
                time.sleep(0.05)
            xdotool(display, "search", "--name", r"Vamo 2001 \[", "windowfocus", "--sync")
        time.sleep(1.0)
        result["rss_after_mib"] = rss_kib(proc.pid) / 1024
    before = time.perf_counter()
    xdotool(display, "key", "ctrl+q")
    proc.wait(timeout=30)
    result["exit_ms"] = (time.perf_counter() - before) * 1000
    return result


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    exe_source = sys.argv[1]
    rides = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    work = tempfile.mkdtemp(prefix="vamo-times-")
    display = ":87"
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(100):
            if subprocess.run(["xwininfo", "-root"], env={**os.environ, "DISPLAY": display},
                              capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        exe = os.path.join(work, "bin", "vamo2001")
        os.makedirs(os.path.dirname(exe))
        shutil.copy2(exe_source, exe)
        for label, count, add in (("empty", 0, 0), (f"{rides} rides", rides, 20)):
            figures = []
            for _ in range(runs):
                diary = os.path.join(work, "diary.vam")
                with open(diary, "wb") as f:
                    f.write(make_diary(count) if count else b"[Data]\r\n")
                with open(os.path.join(work, "bin", "vamo2001.ini"), "wb") as f:
                    f.write(b"[soubor]\r\nfile=" + diary.encode() + b"\r\n")
                figures.append(one_run(exe, display, add))
            print(label + ":")
            for key in figures[0]:
                values = [f[key] for f in figures]
                print(f"  {key:14} median {statistics.median(values):8.1f}   "
                      + " ".join(f"{v:.1f}" for v in values))
    finally:
        xvfb.terminate()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
