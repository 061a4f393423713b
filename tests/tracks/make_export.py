#!/usr/bin/env python3
"""Writes the exports the import tests read into the folder given:

strava.zip     activities.csv with the header as the service writes it (names repeated, the
               second Distance in metres), gzipped FIT and GPX, a plain TCX, a run, a ride
               without a track, a Filename naming no member, a track of one point, and the
               ride without a track listed twice.
garmin.zip     the FIT fixtures deep inside a zip inside the zip, beside files that are no
               tracks.
bomb.zip       one member of zeros that packs a thousand to one.
paths.zip      members named with an absolute path and with "../", and one good track.
truncated.zip  strava.zip cut in half.
strava/        strava.zip unpacked, as a folder chosen instead of the archive.

The FIT files are the fixtures of tests/tracks/fit (the official SDK's own encoder made them);
all three are the same ride, 2024-05-17 22:30:00 UTC.
"""
import gzip
import io
import os
import sys
import zipfile

FIT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fit")

HEADER = [
    "Activity ID", "Activity Date", "Activity Name", "Activity Type", "Activity Description",
    "Elapsed Time", "Distance", "Max Heart Rate", "Relative Effort", "Commute",
    "Activity Private Note", "Activity Gear", "Filename", "Athlete Weight", "Bike Weight",
    "Elapsed Time", "Moving Time", "Distance", "Max Speed", "Average Speed", "Elevation Gain",
    "Elevation Loss", "Calories", "Media",
]


def row(ident, date, name, kind, gear, filename, km="", seconds="", moving="", metres="",
        description=""):
    cells = dict.fromkeys(range(len(HEADER)), "")
    cells.update({0: ident, 1: date, 2: name, 3: kind, 4: description, 5: seconds, 6: km,
                  11: gear, 12: filename, 15: seconds, 16: moving, 17: metres})
    return [cells[i] for i in range(len(HEADER))]


def gpx(start_hour, points, speed=5.0):
    """A ride north along 14.4 E from 49.2 N, one point a second at `speed` m/s."""
    out = ['<?xml version="1.0"?><gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1">'
           "<trk><name>z GPX</name><trkseg>"]
    for i in range(points):
        lat = 49.2 + i * speed / 111200.0
        out.append('<trkpt lat="%.7f" lon="14.4"><time>2025-07-01T%02d:%02d:%02dZ</time></trkpt>'
                   % (lat, start_hour + i // 3600, i // 60 % 60, i % 60))
    out.append("</trkseg></trk></gpx>")
    return "".join(out).encode()


def tcx(points):
    out = ['<?xml version="1.0"?><TrainingCenterDatabase><Activities><Activity Sport="Biking">'
           "<Lap><Track>"]
    for i in range(points):
        out.append("<Trackpoint><Time>2025-07-02T16:%02d:%02dZ</Time><DistanceMeters>%d"
                   "</DistanceMeters></Trackpoint>" % (i // 60, i % 60, i * 6))
    out.append("</Track></Lap></Activity></Activities></TrainingCenterDatabase>")
    return "".join(out).encode()


def csv_text(rows):
    out = io.StringIO()
    import csv
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(HEADER)
    writer.writerows(rows)
    return out.getvalue().encode()


def zip_bytes(members):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in members:
            z.writestr(zipfile.ZipInfo(name, (2025, 7, 1, 0, 0, 0)), data,
                       compress_type=zipfile.ZIP_DEFLATED)
    return buf.getvalue()


def fit(name):
    with open(os.path.join(FIT, name), "rb") as f:
        return f.read()


def main(folder):
    rows = [
        row("1001", "May 17, 2024, 10:30:00 PM", "Noční", "Ride", "Favorit",
            "activities/1001.fit.gz", description='S čelovkou, "poprvé"\nzpět přes Brno'),
        row("1002", "Jul 1, 2025, 6:30:00 AM", "Ráno, okruh", "Ride", "Author",
            "activities/1002.gpx.gz"),
        row("1003", "Jul 2, 2025, 4:00:00 PM", "", "E-Bike Ride", "Author", "activities/1003.tcx"),
        row("1004", "Jul 3, 2025, 5:00:00 AM", "Běh", "Run", "", "activities/1004.gpx.gz"),
        row("1005", "Jul 4, 2025, 7:15:00 PM", "Trenažér", "Virtual Ride", "Zwift", "",
            "25.30", "3600", "3500.0", "25300.0"),
        row("1006", "Jul 5, 2025, 9:00:00 AM", "Bez souboru", "Ride", "Favorit",
            "activities/1006.fit.gz", "12.00", "2400", "2400.0", "12000.0"),
        row("1007", "Jul 6, 2025, 9:00:00 AM", "Jeden bod", "Ride", "", "activities/1007.gpx"),
        row("1008", "Jul 4, 2025, 7:15:00 PM", "Trenažér znovu", "Virtual Ride", "Zwift", "",
            "25.35", "3600", "3560.0", "25350.0"),
    ]
    strava = zip_bytes([
        ("activities.csv", csv_text(rows)),
        ("activities/1001.fit.gz", gzip.compress(fit("ride.fit"), mtime=0)),
        ("activities/1002.gpx.gz", gzip.compress(gpx(6, 600), mtime=0)),
        ("activities/1003.tcx", tcx(300)),
        ("activities/1004.gpx.gz", gzip.compress(gpx(5, 60, 3.0), mtime=0)),
        ("activities/1007.gpx", gpx(9, 1)),
        ("profile.csv", b"Email\nx@example.org\n"),
    ])
    inner = zip_bytes([
        ("12345_ACTIVITY.fit", fit("positions.fit")),
        ("12346_ACTIVITY.fit", fit("bigendian.fit")),
        ("notes.json", b"{}"),
    ])
    garmin = zip_bytes([
        ("DI_CONNECT/DI-Connect-Uploaded-Files/UploadedFiles_0-_Part1.zip", inner),
        ("DI_CONNECT/DI-Connect-User/user_profile.json", b"{}"),
    ])
    outputs = {
        "strava.zip": strava,
        "garmin.zip": garmin,
        "bomb.zip": zip_bytes([("bomb.fit", bytes(8 << 20))]),
        "paths.zip": zip_bytes([("/etc/cron.d/x.gpx", gpx(6, 10)), ("../../up.gpx", gpx(6, 10)),
                                ("ok/ride.gpx", gpx(7, 120))]),
        "truncated.zip": strava[: len(strava) // 2],
    }
    for name, data in outputs.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    with zipfile.ZipFile(io.BytesIO(strava)) as z:
        z.extractall(os.path.join(folder, "strava"))


if __name__ == "__main__":
    main(sys.argv[1])
