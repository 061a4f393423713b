#!/usr/bin/env python3
"""Turns the JSON of diary_bench and app_bench into one table with the ratios we aim for."""
import json
import os
import platform
import subprocess
import sys

SIZES = [1000, 10000, 100000]

ROWS = [
    ("Floor: read + split with memchr", "BM_FloorReadSplit"),
    ("Open: file to list model rows", "BM_OpenModel"),
    ("Floor: the same read + split, beside the list's open", "BM_FloorBesideOpen"),
    ("Open: file to the list's table, values read (core only)", "BM_OpenRows"),
    ("Open: the same, rides with bikes (core only)", "BM_OpenRowsBikes"),
    ("Peer: QSettings IniFormat, every key", "BM_PeerQSettings"),
    ("Sort by number (column 0)", "BM_SortNumber"),
    ("Sort by decimal number (Ujeto)", "BM_SortDecimal"),
    ("Sort by date (Datum)", "BM_SortDate"),
    ("Sort by text (Odkud)", "BM_SortText"),
    ("Search, 3 conditions under A", "BM_Search"),
    ("Search, every ride a hit (core)", "BM_SearchEveryHit"),
    ("Search window: Vyhledat to list shown, every ride a hit", "BM_SearchWindow"),
    ("Statistics", "BM_Statistics"),
    ("Overview: totals, charts, records", "BM_Overview"),
    ("Overview: of which reading the rows", "BM_OverviewRead"),
    ("Saved edit checked under the lock", "BM_SaveEditLocked"),
    ("… and the list's rows from the saved bytes", "BM_SaveEditRows"),
    ("… and the list's rows from a second read", "BM_SaveEditReread"),
    ("Floor: write temp + fsync + rename", "BM_FloorSave"),
    ("A 2 GB sparse file refused (one figure)", "BM_RefuseHugeFile"),
    ("Floor: the same + fsync of the folder", "BM_FloorSaveFolder"),
    ("Conflict copy: merge planned, 1 % of rides changed on each side", "BM_MergePlan"),
    ("Conflict copy: merge planned and the merged diary's bytes made", "BM_MergeCopy"),
    ("Start-up to main window shown", "BM_Startup"),
    ("Header click (Ujeto) to list reordered", "BM_HeaderClick"),
    ("Nový údaj OK to row shown and file saved", "BM_NewRideOk"),
    ("Smazat (first ride) to list renumbered", "BM_DeleteFirst"),
    ("Statistika to window shown", "BM_StatisticsWindow"),
    ("Přehled to window shown with charts", "BM_OverviewWindow"),
    ("Cíle to window shown with every goal", "BM_GoalsWindow"),
    ("Otevřít: diary to list shown", "BM_OpenInWindow"),
    ("Outside change to list reloaded", "BM_OutsideReload"),
]
# Tracks (the columns count points) and the CSV export (rides), from tracks_bench.
ROWS += [
    ("Floor: GPX parsed by pugixml (points)", "BM_FloorXmlParse"),
    ("GPX track to a ride (points)", "BM_TrackGpx"),
    ("Floor: FIT read + checksum scan (points)", "BM_FloorFitScan"),
    ("FIT read + byte sum, for scale (points)", "BM_FloorFitRead"),
    ("FIT track to a ride (points)", "BM_TrackFit"),
    ("CSV export (atomic, fsync)", "BM_CsvExport"),
    ("Floor: CSV-sized write + fsync + rename", "BM_FloorSaveCsv"),
]

# Figures through the real widgets, measured at 1,000 (the smoke run) and 100,000 rides only,
# with what each may take at 100,000 rides (ms).
END_TO_END = {"BM_HeaderClick": 100, "BM_NewRideOk": 100, "BM_DeleteFirst": 100,
              "BM_StatisticsWindow": 100, "BM_OverviewWindow": 150,
              "BM_GoalsWindow": 50,
              "BM_OpenInWindow": 100, "BM_OutsideReload": 100}


def load(paths):
    times, counters = {}, {}
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        for b in data["benchmarks"]:
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                continue
            parts = b["name"].replace("/manual_time", "").split("/")
            key = (parts[0], int(parts[1].split("_")[0]))
            unit = {"ms": 1.0, "us": 1e-3, "ns": 1e-6, "s": 1e3}[b.get("time_unit", "ns")]
            times[key] = b["real_time"] * unit
            counters[key] = b
    return times, counters


def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    try:
        mem = subprocess.run(["free", "-h"], capture_output=True, text=True).stdout.split("\n")[1].split()[1]
    except Exception:
        mem = "?"
    try:
        fs = subprocess.run(["df", "-T", "/tmp"], capture_output=True, text=True).stdout.split("\n")[1].split()[1]
    except Exception:
        fs = "?"
    import os
    return f"{cpu}, {os.cpu_count()} cores, {mem} memory, /tmp on {fs}, {platform.system()} {platform.release()}"


def main():
    times, counters = load(sys.argv[1:])
    # bench/run leaves tracks_bench's figures beside the others.
    tracks_json = os.path.join(os.path.dirname(sys.argv[1]), "tracks.json") if len(sys.argv) > 1 else ""
    if tracks_json and tracks_json not in sys.argv[1:] and os.path.exists(tracks_json):
        more_times, more_counters = load([tracks_json])
        times.update(more_times)
        counters.update(more_counters)
    out = []
    out.append(f"Machine: {machine()}\n")
    out.append("| Figure (ms) | " + " | ".join(f"{s:,} rides" for s in SIZES) + " |")
    out.append("|---|" + "---:|" * len(SIZES))
    for label, name in ROWS:
        cells = []
        for s in SIZES:
            t = times.get((name, s))
            cells.append("—" if t is None else (f"{t:.3f}" if t < 10 else f"{t:.1f}"))
        out.append(f"| {label} | " + " | ".join(cells) + " |")
    cells = []
    for s in SIZES:
        b = counters.get(("BM_PeakMemory", s))
        if b is None:
            cells.append("—")
        else:
            peak, size = b.get("peak_added_bytes", 0), b.get("file_bytes", 1)
            cells.append(f"{peak / 1e6:.1f} MB ({peak / size:.1f} × file of {size / 1e6:.1f} MB)")
    out.append("| Peak memory added by the open diary | " + " | ".join(cells) + " |")

    def t(name, s):
        return times.get((name, s))

    def ratio(a, b):
        return None if a is None or b is None or b == 0 else a / b

    big, mid = 100000, 10000
    checks = [
        ("open / floor at 100,000", ratio(t("BM_OpenModel", big), t("BM_FloorBesideOpen", big)), "≤ 2.2", lambda r: r <= 2.2),
        ("open with bikes / floor at 100,000", ratio(t("BM_OpenRowsBikes", big), t("BM_FloorReadSplit", big)), "≤ 3", lambda r: r <= 3),
        ("open with bikes / without at 100,000", ratio(t("BM_OpenRowsBikes", big), t("BM_OpenRows", big)), "≤ 1.2", lambda r: r <= 1.2),
        ("peer / open at 100,000", ratio(t("BM_PeerQSettings", big), t("BM_OpenModel", big)), "≥ 10", lambda r: r >= 10),
    ]
    for label, name in [("number", "BM_SortNumber"), ("decimal", "BM_SortDecimal"), ("date", "BM_SortDate"), ("text", "BM_SortText")]:
        checks.append((f"sort by {label} / open at 100,000", ratio(t(name, big), t("BM_OpenModel", big)), "≤ 0.5", lambda r: r <= 0.5))
    checks += [
        ("search / open at 100,000", ratio(t("BM_Search", big), t("BM_OpenModel", big)), "≤ 1.5", lambda r: r <= 1.5),
        ("search, every ride a hit / open at 100,000", ratio(t("BM_SearchEveryHit", big), t("BM_OpenModel", big)), "≤ 0.7", lambda r: r <= 0.7),
        ("statistics / open at 100,000", ratio(t("BM_Statistics", big), t("BM_OpenModel", big)), "≤ 0.2", lambda r: r <= 0.2),
        ("overview / open (core) at 100,000", ratio(t("BM_Overview", big), t("BM_OpenRows", big)), "≤ 0.3", lambda r: r <= 0.3),
        ("search window / core search, every ride a hit, at 100,000", ratio(t("BM_SearchWindow", big), t("BM_SearchEveryHit", big)), "≤ 2", lambda r: r <= 2),
        ("outside change reloaded / Otevřít at 100,000", ratio(t("BM_OutsideReload", big), t("BM_OpenInWindow", big)), "≤ 1", lambda r: r <= 1),
        ("conflict copy merged (plan + bytes) / open at 100,000", ratio(t("BM_MergeCopy", big), t("BM_OpenModel", big)), "≤ 3", lambda r: r <= 3),
        ("conflict copy merged (plan + bytes) / open (core) at 100,000", ratio(t("BM_MergeCopy", big), t("BM_OpenRows", big)), "≤ 3", lambda r: r <= 3),
        ("search window at 100,000 (ms)", t("BM_SearchWindow", big), "≤ 200", lambda r: r <= 200),
        ("a 2 GB sparse file refused (ms)", t("BM_RefuseHugeFile", big), "≤ 50", lambda r: r <= 50),
        ("checked edit under the lock / save floor at 10,000", ratio(t("BM_SaveEditLocked", mid), t("BM_FloorSave", mid)), "≤ 1.5", lambda r: r <= 1.5),
        ("checked edit under the lock / floor with folder fsync at 10,000", ratio(t("BM_SaveEditLocked", mid), t("BM_FloorSaveFolder", mid)), "≤ 1.5", lambda r: r <= 1.5),
    ]
    checks += [
        ("GPX track / pugixml parse at 100,000 points", ratio(t("BM_TrackGpx", big), t("BM_FloorXmlParse", big)), "≤ 2", lambda r: r <= 2),
        ("FIT track / read + checksum at 100,000 records", ratio(t("BM_TrackFit", big), t("BM_FloorFitScan", big)), "≤ 3", lambda r: r <= 3),
        ("CSV export / CSV save floor at 100,000", ratio(t("BM_CsvExport", big), t("BM_FloorSaveCsv", big)), "≤ 2", lambda r: r <= 2),
        ("export of 2,000 FIT activities to the preview / unpack + checksum", ratio(t("BM_ImportExport", 2000), t("BM_FloorExportScan", 2000)), "≤ 2", lambda r: r <= 2),
    ]
    e = counters.get(("BM_ImportExport", 2000))
    if e:
        checks.append(("export of 2,000 FIT activities: peak memory added (MB)", e.get("peak_added_bytes", 0) / 1e6, "≤ 200", lambda r: r <= 200))
    for label, name in ROWS:
        if name in END_TO_END:
            limit = END_TO_END[name]
            checks.append((f"{label} at 100,000 (ms)", t(name, big), f"≤ {limit}", lambda r, l=limit: r <= l))
    for label, name in ROWS[1:]:
        limit = 12
        if name in ("BM_FloorReadSplit", "BM_FloorBesideOpen", "BM_FloorSave", "BM_PeerQSettings", "BM_OpenRows", "BM_OpenRowsBikes") or name in END_TO_END:
            continue
        if name in ("BM_FloorSaveFolder", "BM_RefuseHugeFile"):
            continue
        checks.append((f"growth 10,000 → 100,000: {label}", ratio(t(name, big), t(name, mid)), f"≤ {limit}", lambda r, l=limit: r <= l))
    b = counters.get(("BM_PeakMemory", big))
    if b:
        checks.append(("peak memory / file size at 100,000", b.get("peak_added_bytes", 0) / b.get("file_bytes", 1), "≤ 3", lambda r: r <= 3))
    out.append("")
    out.append("| Ratio | Measured | Target | Met |")
    out.append("|---|---:|---|---|")
    for label, r, target, ok in checks:
        if r is None:
            out.append(f"| {label} | — | {target} | — |")
        else:
            out.append(f"| {label} | {r:.2f} | {target} | {'yes' if ok(r) else 'NO'} |")
    print("\n".join(out))


if __name__ == "__main__":
    main()
