#!/usr/bin/env python3
"""The service's command line for a minute against the simulator, read as a historian would.

Runs the ExecStart of packaging/znctl-monitor@.service.in, with an options file as an admin writes
one, for 60 s at --interval 1 against two simulated lines of two instruments each, under a
Japanese locale: one line to CSV files, the other to JSON lines. Each instrument must have 60 +-1
rows on the second grid; Python's csv module must read the CSV with its header and find no column
without a name; the JSON lines must carry the keys a C-locale run gives. A sensor break steered
through the simulator's control socket must leave PV empty while the overscale flag is set.

usage: service_run.py ZNCTL ZN8P_SIM UNIT_FILE
"""

import csv
import datetime
import glob
import json
import os
import shlex
import socket
import subprocess
import sys
import tempfile
import time

SECONDS = 60
JSON_KEYS = {"time", "port", "instrument", "pv", "sv", "mv1", "mv2", "units", "lamps", "alarms"}


def fail(text):
    print("service_run: " + text, file=sys.stderr)
    sys.exit(1)


def start_simulator(sim, folder, name):
    link = os.path.join(folder, name)
    process = subprocess.Popen(
        [sim, "--link", link, "--stations", "1,2", "--speed", "19200",
         "--control", link + ".control"],
        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True)
    if not process.stdout.readline():
        fail("zn8p-sim did not start")
    return process, link


def control(path, command):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as connection:
        connection.connect(path)
        connection.sendall((command + "\n").encode())
        answer = connection.makefile().readline().strip()
    if answer != "ok":
        fail(f"the simulator answered '{answer}' to '{command}'")


def options_file(folder, name, port, out, row_format):
    path = os.path.join(folder, name + ".conf")
    with open(path, "w", encoding="utf-8") as file:
        file.write(f"# the line {name}\nport = {port}\nspeed = 19200\nstation = 1-2\n"
                   f"interval = 1\nformat = {row_format}\nout = {out}/\nrotate = daily\n")
    return path


def service_command(unit, znctl, config):
    """ExecStart of the unit with this build's znctl and the test's options file."""
    with open(unit, encoding="utf-8") as file:
        line = next(l for l in file if l.startswith("ExecStart="))
    words = shlex.split(line[len("ExecStart="):])
    words = [znctl if w == "@ZNCTL@" else config if w == "/etc/zn-monitor/%i.conf" else w
             for w in words]
    if "--quiet" not in words or config not in words:
        fail(f"unexpected ExecStart: {line}")
    return words


def environment(folder, lang):
    env = dict(os.environ, LANG=lang, LC_ALL=lang, TZ="Asia/Tokyo",
               XDG_CONFIG_HOME=os.path.join(folder, "config"))
    env.pop("LANGUAGE", None)
    return env


def rows_of(out, extension):
    """Each instrument's files (a run may cross midnight) in order of their names."""
    files = {}
    for path in sorted(glob.glob(os.path.join(out, "*." + extension))):
        instrument = os.path.basename(path).split("_")[0].rsplit("-", 1)[1]
        files.setdefault(instrument, []).append(path)
    return files


def check_grid(instrument, times):
    if not SECONDS - 1 <= len(times) <= SECONDS + 1:
        fail(f"instrument {instrument}: {len(times)} rows in {SECONDS} s at --interval 1")
    first = times[0]
    steps = []
    for at in times:
        if at.utcoffset() != datetime.timedelta(hours=9):
            fail(f"instrument {instrument}: {at.isoformat()} is not local time with its offset")
        seconds = (at - first).total_seconds()
        steps.append(round(seconds))
        # On the grid of whole seconds: the same part of a second in every row.
        if abs(seconds - round(seconds)) > 0.5:
            fail(f"instrument {instrument}: {at.isoformat()} is off the grid of {first.isoformat()}")
    if len(set(steps)) != len(steps) or steps != sorted(steps):
        fail(f"instrument {instrument}: two rows on one point of the grid: {steps}")


def check_csv(files):
    if sorted(files) != ["01", "02"]:
        fail(f"CSV files of instruments {sorted(files)}")
    broken = 0
    for instrument, paths in files.items():
        rows = []
        for path in paths:
            with open(path, newline="", encoding="utf-8") as file:
                reader = csv.DictReader(file)
                header = reader.fieldnames
                if not header or any(not name for name in header):
                    fail(f"{path}: a column without a name in {header}")
                for name in ("time", "port", "instrument", "PV (°C)", "SV (°C)", "MV1 (%)",
                             "overscale"):
                    if name not in header:
                        fail(f"{path}: no column '{name}' in {header}")
                for row in reader:
                    if None in row or None in row.values():
                        fail(f"{path}: a row of another length than its header: {row}")
                    rows.append(row)
        check_grid(instrument, [datetime.datetime.fromisoformat(r["time"]) for r in rows])
        for row in rows:
            if row["overscale"] == "1":
                broken += 1
                if row["PV (°C)"] != "":
                    fail(f"a PV of {row['PV (°C)']} during a sensor break: {row}")
            elif row["overscale"] == "0":
                float(row["PV (°C)"])
    if broken == 0:
        fail("no row shows the sensor break")


def check_json(files, keys):
    if sorted(files) != ["01", "02"]:
        fail(f"JSON line files of instruments {sorted(files)}")
    for instrument, paths in files.items():
        records = []
        for path in paths:
            with open(path, encoding="utf-8") as file:
                records += [json.loads(line) for line in file]
        for record in records:
            if set(record) != keys:
                fail(f"keys {sorted(record)} under a Japanese locale, {sorted(keys)} under C")
            if record["units"] != {"pv": "°C", "sv": "°C", "mv1": "%", "mv2": "%"}:
                fail(f"units {record['units']}")
        check_grid(instrument, [datetime.datetime.fromisoformat(r["time"]) for r in records])


def main():
    znctl, sim, unit = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as folder:
        simulators = []
        try:
            sim_csv, tty_csv = start_simulator(sim, folder, "ttyCSV")
            simulators.append(sim_csv)
            sim_json, tty_json = start_simulator(sim, folder, "ttyJSON")
            simulators.append(sim_json)
            csv_out, json_out, c_out = (os.path.join(folder, n) for n in ("csv", "json", "c"))

            # The keys of a short run under the C locale.
            short = service_command(unit, znctl,
                                    options_file(folder, "c", tty_json, c_out, "jsonl"))
            done = subprocess.run(short + ["--seconds", "3"], env=environment(folder, "C.UTF-8"),
                                  capture_output=True, text=True, timeout=60)
            if done.returncode != 0:
                fail(f"the C-locale run ended with {done.returncode}: {done.stderr}")
            with open(rows_of(c_out, "jsonl")["01"][0], encoding="utf-8") as file:
                keys = set(json.loads(file.readline()))
            if keys != JSON_KEYS:
                fail(f"JSON keys {sorted(keys)}")

            japanese = environment(folder, "ja_JP.UTF-8")
            runs = [subprocess.Popen(
                service_command(unit, znctl, options_file(folder, name, tty, out, row_format)) +
                ["--seconds", str(SECONDS)], env=japanese, stdout=subprocess.PIPE,
                stderr=subprocess.PIPE, text=True)
                for name, tty, out, row_format in (("csv", tty_csv, csv_out, "csv"),
                                                   ("json", tty_json, json_out, "jsonl"))]
            time.sleep(20)
            control(tty_csv + ".control", "sensor-break on")
            time.sleep(10)
            control(tty_csv + ".control", "sensor-break off")
            for run in runs:
                out, err = run.communicate(timeout=SECONDS + 60)
                if run.returncode != 0:
                    fail(f"the service's run ended with {run.returncode}: {err}")
                if out:
                    fail(f"--quiet, and yet on standard output: {out[:200]}")
            check_csv(rows_of(csv_out, "csv"))
            check_json(rows_of(json_out, "jsonl"), keys)
        finally:
            for process in simulators:
                process.terminate()
                process.wait()
    print("service_run: passed")


if __name__ == "__main__":
    main()
