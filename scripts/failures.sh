#!/usr/bin/env bash
# Prints, after a red test run, what each failed test case printed between its start and its
# failure: CI shows the head and the tail of a long log, so the cause of a red run must also
# stand at the end. The test log is ctest's record of the last run in the build tree.
set -euo pipefail
log="${1:?usage: failures.sh <LastTest.log>}"
[ -f "$log" ] || exit 0
echo
echo "==== What the failed test cases printed ===="
awk '
  # Wine warns of a volume it will not label: noise on every file dialog.
  /^wine: Read access denied for device/ { next }
  /^\[ RUN      \] / { name = $4; n = 0; kept = 0; buffer = ""; running = 1; next }
  /^\[       OK \] / || /^\[  SKIPPED \] / { running = 0; next }
  running && /^\[  FAILED  \] / {
    print "---- " name
    printf "%s", buffer
    if (n > kept) print "(" n - kept " more lines)"
    print
    running = 0
    next
  }
  # The test program ended inside a test case (a crash, a timeout).
  running && /^<end of output>/ {
    print "---- " name " (the test program ended inside it)"
    printf "%s", buffer
    if (n > kept) print "(" n - kept " more lines)"
    running = 0
    next
  }
  running {
    ++n
    if (kept < 80) { buffer = buffer $0 "\n"; ++kept }
  }
' "$log"
