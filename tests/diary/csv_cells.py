#!/usr/bin/env python3
"""Reads a CSV file with Python's own csv module and prints every cell as the hex of its UTF-8
bytes, one row a line, so that a test can compare cells without trusting a parser of its own.
    csv_cells.py FILE SEPARATOR"""
import csv
import sys

with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    for row in csv.reader(f, delimiter=sys.argv[2], quotechar='"', doublequote=True, strict=True):
        print(" ".join(cell.encode("utf-8").hex() or "-" for cell in row))
