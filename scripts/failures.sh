#!/usr/bin/env bash
# Prints, after a red test run, what each failed test case printed between its start and its
# failure: CI shows the head and the tail of a long log, so the cause of a red run must also
# stand at the end. The test log is ctest's record of the last run in the build tree.
#
# A case that printed much is cut: its last lines stay, and so does every failure report
# before them (from "file:line: Failure" to the empty line that ends it), so the expected and
# actual values are never among the lines left out.
set -euo pipefail
log="${1:?usage: failures.sh <LastTest.log>}"
[ -f "$log" ] || exit 0
echo
echo "==== What the failed test cases printed ===="
awk -v whole=80 -v tail=50 '
  function failure_start(text) {
    # GoogleTest built by GCC writes "file:line: Failure", by MSVC "file(line): error: ".
    return text ~ /:[0-9]+: Failure\r?$/ || text ~ /\([0-9]+\): error: /
  }
  # What the case printed: everything when it is short, otherwise its failure reports and its
  # last lines, each gap said with the number of lines left out.
  function report(header,   i, first, inFailure, left) {
    print "---- " header
    first = n > whole ? n - tail + 1 : 1
    left = 0
    inFailure = 0
    for (i = 1; i <= n; ++i) {
      if (i < first) {
        if (failure_start(lines[i]))
          inFailure = 1
        else if (lines[i] == "" || lines[i] == "\r") # the program writes CR LF
          inFailure = 0
        if (!inFailure) {
          ++left
          continue
        }
      }
      if (left > 0) {
        print "(" left " lines left out)"
        left = 0
      }
      print lines[i]
    }
    n = 0
    running = 0
  }
  # Wine warns of a volume it will not label: noise on every file dialog.
  /^wine: Read access denied for device/ { next }
  /^\[ RUN      \] / { name = $4; n = 0; running = 1; next }
  /^\[       OK \] / || /^\[  SKIPPED \] / { running = 0; next }
  running && /^\[  FAILED  \] / {
    report(name)
    print
    next
  }
  # The test program ended inside a test case (a crash, a timeout).
  running && /^<end of output>/ {
    report(name " (the test program ended inside it)")
    next
  }
  running { lines[++n] = $0 }
' "$log"
