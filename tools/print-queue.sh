#!/usr/bin/env bash
# Adds the CUPS queue "ZN-PDF" that the print test prints to: cups-pdf, which files every job as a
# PDF in the submitting user's ~/PDF. Starts cupsd in the background when none is running and then
# prints its process id, so that the caller can end it after the tests. Safe to run again.
# Where cupsd cannot run, says so on standard error and exits 0: the print test then skips.
set -euo pipefail
queue=ZN-PDF
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

note() { echo "print-queue: $*" >&2; }

if ! command -v cupsd >/dev/null || [ ! -f "$ppd" ]; then
    note "cups or printer-driver-cups-pdf is not installed; no print queue"
    exit 0
fi
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    cupsd -f </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 50); do
        lpstat -r 2>/dev/null | grep -q "is running" && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    if ! lpstat -r 2>/dev/null | grep -q "is running"; then
        note "cupsd does not run here; no print queue"
        exit 0
    fi
    echo "$pid"
fi
if ! lpstat -p "$queue" >/dev/null 2>&1; then
    lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" 2>/dev/null ||
        note "cannot add the queue $queue (needs root or the lpadmin group)"
fi
