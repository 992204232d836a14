#!/usr/bin/env python3
"""Turns qrdesk_bench's JSON output (with repetitions) into the README's comparison table.

Usage: qrdesk_bench --benchmark_format=json ... > out.json; bench/table.py out.json
Times are the medians of the CPU time per symbol in microseconds; a ratio is the peer's
time divided by this encoder's.
"""
import json
import sys

PAYLOADS = ["1-M HELLO WORLD", "M url 100 bytes", "40-L 2953 bytes", "40-L 7089 digits",
            "M mixed 1500 bytes"]
PEERS = [("qrencode_default", "libqrencode"), ("qrencode_mask0", "libqrencode mask 0"),
         ("zxing_default", "zxing-cpp"), ("qrcodegen_default", "qrcodegen"),
         ("qrcodegen_mask0", "qrcodegen mask 0")]


def main(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    median = {}
    for run in runs:
        if run.get("aggregate_name") == "median":
            scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[run["time_unit"]]
            median[run["run_name"]] = run["cpu_time"] * scale
    head = ["Payload", "qrdesk Encode (µs)"] + [f"{title} (µs, ×)" for _, title in PEERS]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for payload in PAYLOADS:
        own = median.get(f"qrdesk_Encode/{payload}")
        cells = [payload, f"{own:,.1f}" if own else "–"]
        for key, _ in PEERS:
            t = median.get(f"{key}/{payload}")
            cells.append(f"{t:,.1f} ({t / own:,.1f}×)" if t and own else "–")
        print("| " + " | ".join(cells) + " |")
    stages = ["measure", "write", "reed_solomon", "matrix", "render"]
    if any(f"stage_{st}/{p}" in median for st in stages for p in PAYLOADS):
        print("\n| Payload | " + " | ".join(f"{st} (µs)" for st in stages) + " |")
        print("|" + "---|" * (len(stages) + 1))
        for payload in PAYLOADS:
            cells = [payload] + [f"{median[f'stage_{st}/{payload}']:,.1f}"
                                 if f"stage_{st}/{payload}" in median else "–" for st in stages]
            print("| " + " | ".join(cells) + " |")
    small, large = median.get("qrdesk_Encode/L 300 bytes"), median.get("qrdesk_Encode/40-L 2953 bytes")
    if small and large:
        print(f"\nPer byte: {large / 2953 * 1000:.1f} ns at 2,953 bytes (40-L), "
              f"{small / 300 * 1000:.1f} ns at 300 bytes (11-L).")


if __name__ == "__main__":
    main(sys.argv[1])
