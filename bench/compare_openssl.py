#!/usr/bin/env python3
"""Whole processes against OpenSSL: `lockwarden-cli ls` of a passwords file of 100,000 accounts and
`lockwarden-cli decrypt` of a 16 MiB text, each paired with `openssl enc -d -des-cbc -nopad` (legacy
provider) over a file of the same size, run after run, so that both see the same machine load.
Prints the median wall time of each, their ratio, and the peak memory of the tool against the file.

DES-CBC without padding takes the same time whatever the bytes and the key are, so OpenSSL reads the
document file itself, rotated words and all, under a fixed key.

    bench/compare_openssl.py [--cli build/release/src/cli/lockwarden-cli] [--runs 5]
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

PASSWORD = "correct horse battery staple"


def run(command, stdin_text=None):
    """Wall seconds and peak resident kilobytes of one process; its output is thrown away.

    The peak comes from GNU time: a child forked from this script would count the script's own
    memory until it starts the program."""
    start = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, input=(stdin_text or "").encode(),
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=False)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit(f"failed ({result.returncode}): {' '.join(command)}: {result.stderr.decode()}")
    return elapsed, int(result.stderr.decode().strip().splitlines()[-1])


def make_passwords_file(cli, folder, accounts):
    notes = "Notes for the account, first line {}\r\nsecond line: a < b & c > d\r\nthird line, café"
    data = {"web": [], "mail": [], "other": []}
    for i in range(accounts):
        if i % 3 == 0:
            data["web"].append({"NAME": f"Web shop {i}", "ADDRESS": f"https://www.example.com/login?user= {i}",
                                "USERID": f"user {i}", "PASSWORD": f"S3cr3t&pw {i}", "NOTES": notes.format(i)})
        elif i % 3 == 1:
            data["mail"].append({"NAME": f"Mailbox {i}", "ADDRESS": f"someone@example.org {i}",
                                 "WEBINTERFACE": f"https://mail.example.org {i}", "USERID": f"someone {i}",
                                 "PASSWORD": f"p<a>ss {i}", "SMTPSERVER": f"smtp.example.org {i}",
                                 "POPSERVER": f"pop.example.org {i}", "NOTES": notes.format(i)})
        else:
            data["other"].append({"NAME": f"Bank card {i}", "USERID": f"4111 1111 1111 {i}",
                                  "PASSWORD": f"PIN {i}", "NOTES": notes.format(i)})
    source = os.path.join(folder, "accounts.json")
    with open(source, "w", encoding="utf-8") as f:
        json.dump(data, f, ensure_ascii=False)
    target = os.path.join(folder, "accounts.kvd")
    run([cli, "import", source, target], f"{PASSWORD}\n{PASSWORD}\n")
    return target


def make_text_file(cli, folder, size):
    line = "Account number 12345678, PIN 0000 - café über naïve\r\n".encode()
    text = (line * (size // len(line) + 1))[:size]
    source = os.path.join(folder, "text.txt")
    with open(source, "wb") as f:
        f.write(text)
    target = os.path.join(folder, "text.etx")
    run([cli, "encrypt", source, target], f"{PASSWORD}\n{PASSWORD}\n")
    return target


def compare(name, cli_command, document, runs):
    openssl = ["openssl", "enc", "-d", "-des-cbc", "-nopad", "-provider", "legacy", "-provider", "default",
               "-K", "0123456789ABCDEF", "-iv", "0000000000000000", "-in", document, "-out", os.devnull]
    ours, theirs, peaks = [], [], []
    for _ in range(runs):
        seconds, peak = run(cli_command, PASSWORD + "\n")
        ours.append(seconds)
        peaks.append(peak)
        theirs.append(run(openssl)[0])
    size = os.path.getsize(document)
    ours_median, theirs_median = statistics.median(ours), statistics.median(theirs)
    print(f"{name}: file {size / 1e6:.1f} MB, median of {runs}: lockwarden-cli {ours_median:.3f} s, "
          f"openssl {theirs_median:.3f} s, ratio {ours_median / theirs_median:.2f}x; "
          f"peak memory {statistics.median(peaks) * 1024 / size:.2f}x the file")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default="build/release/src/cli/lockwarden-cli")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--accounts", type=int, default=100000)
    parser.add_argument("--text-bytes", type=int, default=16 << 20)
    args = parser.parse_args()
    cli = os.path.abspath(args.cli)
    base = "/dev/shm" if os.access("/dev/shm", os.W_OK) else None
    with tempfile.TemporaryDirectory(prefix="lockwarden-compare-", dir=base) as folder:
        passwords = make_passwords_file(cli, folder, args.accounts)
        text = make_text_file(cli, folder, args.text_bytes)
        compare(f"ls, {args.accounts} accounts", [cli, "ls", passwords], passwords, args.runs)
        compare(f"decrypt, {args.text_bytes >> 20} MiB text", [cli, "decrypt", text], text, args.runs)
    print(f"load average while measuring: {os.getloadavg()[0]:.2f} on {os.cpu_count()} cores")


if __name__ == "__main__":
    main()
