"""Reads the sessions CSV the way a spreadsheet user's tools do (Python's csv module, UTF-8
with a byte order mark) and checks every column of the awkward row and the shape of the rest."""
import csv
import datetime
import os
import subprocess
import sys
import tempfile

with tempfile.TemporaryDirectory() as folder:
    path = os.path.join(folder, "sessions.csv")
    subprocess.run([sys.argv[1], path], check=True)
    raw = open(path, "rb").read()
    assert raw.startswith(b"\xef\xbb\xbf"), "no byte order mark"
    assert raw.count(b"\r\n") == 5, "expected CRLF line ends"
    with open(path, newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f))

header, *sessions = rows
assert header[0] == "日期" and header[-1] == "正确率（%）", header
assert len(sessions) == 4 and all(len(r) == len(header) == 10 for r in rows), rows
for r in sessions:
    datetime.datetime.strptime(r[0], "%Y-%m-%d %H:%M")
    for column in (4, 5, 9):
        float(r[column])
    for column in (6, 7, 8):
        int(r[column])
    assert 0.0 <= float(r[9]) <= 100.0
assert sessions[0][1] == "Koch 训练法" and sessions[0][2] == "2" and sessions[0][3] == "km"
awkward = sessions[3]
assert awkward[1] == "指定字符集, 自选", awkward
assert awkward[2] == "", awkward
assert awkward[3] == "'=,\"\\SK", awkward  # a formula is led by an apostrophe
assert awkward[4] == "18.4" and awkward[6] == "300", awkward
print("sessions CSV read back:", len(sessions), "rows")
