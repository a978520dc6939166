#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo with the freedesktop tools, offline.
# Exits 77 (the test is then reported as skipped) when a tool is not installed.
set -uo pipefail
desktop=$1
metainfo=$2

for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

status=0
# desktop-file-validate exits 0 on some errors ("will be fatal in the future"), so its report is
# read as well; hints are advice and pass.
report=$(desktop-file-validate "$desktop" 2>&1) || status=1
echo "$report"
grep -q "error:" <<<"$report" && status=1
appstreamcli validate --no-net "$metainfo" || status=1
exit $status
