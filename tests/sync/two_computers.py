#!/usr/bin/env python3
"""One diary on two computers: two Syncthing instances on 127.0.0.1 share a folder, both change
the diary while the share is paused, the sync tool sets one version aside as a conflict copy,
the program's core merges it, and both sides end with the same diary holding every ride.

usage: two_computers.py DRIVER

DRIVER is the small program (sync_driver) that reads, changes and merges diaries through the
program's own core. Each instance has its own home, ports and API key; nothing leaves the
machine (no discovery, relays, NAT or reports)."""

import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request
import xml.etree.ElementTree as ET

FOLDER_ID = "denik"
DIARY = "denik.vam"
DEADLINE = 100  # seconds for the whole run; the stage must end within two minutes


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class SyncToolError(OSError):
    """The sync tool refused a request; waits go on, actions stop the run with its reason."""


class Instance:
    def __init__(self, work, name):
        self.name = name
        self.home = os.path.join(work, name, "home")
        self.folder = os.path.join(work, name, "sync")
        self.backups = os.path.join(work, name, "zalohy")
        os.makedirs(self.folder)
        self.gui_port, self.listen_port = free_port(), free_port()
        self.api_key = "vamo-test-" + name
        out = subprocess.run(["syncthing", "generate", "--home", self.home, "--no-default-folder",
                              "--skip-port-probing"], check=True, capture_output=True, text=True)
        self.device_id = next(line.split(":", 1)[1].strip() for line in
                              (out.stdout + out.stderr).splitlines() if "Device ID:" in line)
        self.process = None

    def configure(self, peer, dials):
        path = os.path.join(self.home, "config.xml")
        tree = ET.parse(path)
        root = tree.getroot()
        gui = root.find("gui")
        gui.find("address").text = f"127.0.0.1:{self.gui_port}"
        gui.find("apikey").text = self.api_key
        options = root.find("options")
        settings = {
            "listenAddress": f"tcp://127.0.0.1:{self.listen_port}",
            "globalAnnounceEnabled": "false", "localAnnounceEnabled": "false",
            "relaysEnabled": "false", "natEnabled": "false", "startBrowser": "false",
            "urAccepted": "-1", "autoUpgradeIntervalH": "0", "crashReportingEnabled": "false",
            "reconnectionIntervalS": "1",
        }
        for key, value in settings.items():
            node = options.find(key)
            if node is None:
                node = ET.SubElement(options, key)
            node.text = value
        # The sync tool stops a folder when the disk holding its database or the folder has less
        # than 1 % free; the run writes a few kilobytes, so a full build machine must not stop it.
        free = options.find("minHomeDiskFree")
        if free is None:
            free = ET.SubElement(options, "minHomeDiskFree")
        free.set("unit", "%")
        free.text = "0"
        device = ET.SubElement(root, "device", id=peer.device_id, name=peer.name,
                               compression="metadata", introducer="false")
        # One side dials, the other only answers: when both dial at once, each connection waits
        # for the other's greeting, and the tool gives up on both after 20 s before trying again.
        address = f"tcp://127.0.0.1:{peer.listen_port}" if dials else "dynamic"
        ET.SubElement(device, "address").text = address
        ET.SubElement(device, "paused").text = "false"
        folder = ET.Element("folder", id=FOLDER_ID, label=FOLDER_ID, path=self.folder,
                            type="sendreceive", rescanIntervalS="3600", fsWatcherEnabled="false",
                            fsWatcherDelayS="1", ignorePerms="false", autoNormalize="true")
        for device_id in (self.device_id, peer.device_id):
            ET.SubElement(folder, "device", id=device_id)
        ET.SubElement(folder, "paused").text = "false"
        # A folder written by hand gets none of the defaults, and no limit means no copies.
        ET.SubElement(folder, "maxConflicts").text = "10"
        ET.SubElement(folder, "minDiskFree", unit="%").text = "0"
        root.insert(0, folder)
        tree.write(path)

    def start(self, log):
        env = dict(os.environ, STNOUPGRADE="1", STNORESTART="1", HOME=self.home)
        self.process = subprocess.Popen(
            ["syncthing", "serve", "--home", self.home, "--no-browser", "--no-restart",
             "--no-upgrade", "--logflags=0"],
            stdout=log, stderr=subprocess.STDOUT, env=env)

    def api(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(f"http://127.0.0.1:{self.gui_port}{path}", data=data,
                                         method=method, headers={"X-API-Key": self.api_key})
        try:
            with urllib.request.urlopen(request, timeout=5) as response:
                text = response.read()
                return json.loads(text) if text.strip() else None
        except urllib.error.HTTPError as error:
            # The sync tool says why in the body ("folder is not running", disk space…).
            reason = error.read().decode(errors="replace").strip()
            raise SyncToolError(f"{self.name}: {method} {path}: {error.code} {reason}") from None

    def pause(self, peer, paused):
        # The peer is paused rather than the folder: a paused folder is not scanned, so the
        # change made meanwhile would be seen only as the peer's version arrives, and a pull
        # can then win the race against the scan. Apart, each side records its own change.
        self.api("PATCH", f"/rest/config/devices/{peer.device_id}", {"paused": paused})

    def scan(self):
        self.api("POST", f"/rest/db/scan?folder={FOLDER_ID}")

    def diary(self):
        return os.path.join(self.folder, DIARY)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()


class Run:
    def __init__(self, driver):
        self.driver = driver
        self.started = time.monotonic()

    def wait(self, what, condition, step=0.2):
        while not condition():
            if time.monotonic() - self.started > DEADLINE:
                raise SystemExit(f"two computers: gave up waiting for {what}")
            time.sleep(step)
        print(f"  {time.monotonic() - self.started:5.1f} s  {what}", flush=True)

    def core(self, *args):
        return subprocess.run([self.driver, *args], check=True, capture_output=True,
                              text=True).stdout


def rides(run, instance):
    if not os.path.exists(instance.diary()):
        return None
    return run.core("rides", instance.diary())


def conflict_copies(run, instance):
    return [p for p in run.core("conflicts", instance.diary()).splitlines() if p]


def api_ready(instance):
    try:
        instance.api("GET", "/rest/system/ping")
        return True
    except OSError:
        return False


def connected(a, b):
    try:
        return a.api("GET", "/rest/system/connections")["connections"][b.device_id]["connected"]
    except (OSError, KeyError):
        return False


def folder_state(instance):
    try:
        return instance.api("GET", f"/rest/db/status?folder={FOLDER_ID}")
    except OSError:
        return {}


def idle(instance):
    try:
        status = instance.api("GET", f"/rest/db/status?folder={FOLDER_ID}")
        return status["state"] == "idle" and status["needTotalItems"] == 0
    except OSError:
        return False


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    run = Run(os.path.abspath(sys.argv[1]))
    work = tempfile.mkdtemp(prefix="vamo-sync-")
    log = open(os.path.join(work, "syncthing.log"), "w")
    desk, laptop = Instance(work, "stul"), Instance(work, "notebook")
    ok = False
    try:
        desk.configure(laptop, dials=False)
        laptop.configure(desk, dials=True)
        desk.start(log)
        laptop.start(log)
        run.wait("both instances answer", lambda: api_ready(desk) and api_ready(laptop))
        run.wait("the instances see each other", lambda: connected(desk, laptop))

        # The diary starts on the desk and reaches the laptop.
        for day in range(1, 6):
            run.core("add", desk.diary(), f"{day}.12.2026", "Brno", "Tišnov", "30")
        desk.scan()
        run.wait("the diary reaches the laptop", lambda: rides(run, laptop) == rides(run, desk))
        # The state both share, kept on each side as the day's first change keeps it: the base
        # of the merge.
        for side in (desk, laptop):
            run.core("backup", side.diary(), side.backups)

        # Apart: both change the diary.
        desk.pause(laptop, True)
        laptop.pause(desk, True)
        run.wait("the share is paused", lambda: not connected(desk, laptop))
        run.core("add", desk.diary(), "7.12.2026", "Brno", "Blansko", "41")
        run.core("edit", desk.diary(), "2", "opravená poznámka ze stolu")
        time.sleep(1.1)  # the laptop's change is the later one by the clock
        run.core("add", laptop.diary(), "8.12.2026", "Brno", "Vranov", "25")
        run.core("add", laptop.diary(), "9.12.2026", "Brno", "Kuřim", "18")
        run.core("edit", laptop.diary(), "4", "poznámka z notebooku")

        for side in (desk, laptop):
            side.scan()
        run.wait("both sides recorded their change", lambda: idle(desk) and idle(laptop))

        # Together again: the sync tool keeps one version and sets the other aside.
        desk.pause(laptop, False)
        laptop.pause(desk, False)
        run.wait("the share runs again", lambda: connected(desk, laptop))
        run.wait("a conflict copy", lambda: conflict_copies(run, desk) or
                 conflict_copies(run, laptop), step=0.5)
        merging = desk if conflict_copies(run, desk) else laptop
        # The copy is set aside a moment before the winning version is in place.
        run.wait("the merging side holds the other's version", lambda: idle(merging))
        copy = conflict_copies(run, merging)[0]
        said = run.core("merge", merging.diary(), copy, merging.backups).strip()
        print("  merge:", said)
        if "base none" in said:
            raise SystemExit("two computers: the merge found no base among the backups")
        merging.scan()

        expected = {"1.12.2026", "2.12.2026", "3.12.2026", "4.12.2026", "5.12.2026",
                    "7.12.2026", "8.12.2026", "9.12.2026"}

        def settled():
            a, b = rides(run, desk), rides(run, laptop)
            return (a == b and a is not None and not conflict_copies(run, desk)
                    and not conflict_copies(run, laptop) and idle(desk) and idle(laptop))
        run.wait("both sides hold the merged diary", settled, step=0.5)
        merged = rides(run, desk).splitlines()
        dates = [line.split("§")[0] for line in merged]
        notes = "\n".join(merged)
        missing = expected - set(dates)
        if missing or len(dates) != len(expected):
            raise SystemExit(f"two computers: rides {dates}, expected {sorted(expected)}")
        for note in ("opravená poznámka ze stolu", "poznámka z notebooku"):
            if note not in notes:
                raise SystemExit(f"two computers: the change \"{note}\" was lost:\n{notes}")
        if not any(".sync-conflict-" in name for name in os.listdir(merging.backups)):
            raise SystemExit("two computers: the conflict copy is not in the backups folder")
        ok = True
        print(f"two computers: {len(dates)} rides on both sides after "
              f"{time.monotonic() - run.started:.1f} s")
    finally:
        desk.stop()
        laptop.stop()
        log.close()
        if ok:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print(f"two computers: failed; Syncthing's log and the folders are in {work}",
                  file=sys.stderr)


if __name__ == "__main__":
    main()
