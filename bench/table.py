#!/usr/bin/env python3
"""Turns qrdesk_bench's JSON output (every repetition kept) into the tables of
docs/performance.md.

Usage: qrdesk_bench --benchmark_repetitions=N --benchmark_out=out.json ...; bench/table.py out.json
Times are CPU time per symbol in microseconds: the median of the repetitions, then the
smallest and largest repetition. A ratio is the peer's median divided by this encoder's;
"worst" divides the peer's fastest repetition by this encoder's slowest.
"""
import json
import statistics
import sys

PAYLOADS = ["1-M HELLO WORLD", "M url 100 bytes", "40-L 2953 bytes", "40-L 7089 digits",
            "M mixed 1500 bytes"]
OWN = [("qrdesk_Encode", "Encode"), ("qrdesk_Encode_fresh", "Encode, fresh object"),
       ("qrdesk_Encode_scored", "Encode, scored mask")]
PEERS = [("qrencode_mask0", "libqrencode mask 0"), ("qrcodegen_mask0", "qrcodegen mask 0"),
         ("qrencode_default", "libqrencode"), ("zxing_default", "zxing-cpp"),
         ("qrcodegen_default", "qrcodegen")]
FIXED_MASK_PEERS = ["qrencode_mask0", "qrcodegen_mask0"]
STAGES = ["search", "codewords", "error_correction", "matrix", "penalty", "render"]


def load(path):
    with open(path) as f:
        data = json.load(f)
    times = {}
    for run in data["benchmarks"]:
        if run.get("run_type") != "iteration":
            continue
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[run["time_unit"]]
        times.setdefault(run["run_name"], []).append(run["cpu_time"] * scale)
    return data.get("context", {}), times


def spread(values):
    return statistics.median(values), min(values), max(values)


def cell(values):
    med, lo, hi = spread(values)
    return f"{med:,.2f} ({lo:,.2f}–{hi:,.2f})" if med < 10 else f"{med:,.1f} ({lo:,.1f}–{hi:,.1f})"


def main(path):
    context, times = load(path)
    reps = max((len(v) for v in times.values()), default=0)
    print(f"{reps} repetitions, interleaved; CPU time per symbol in µs, median (min–max).\n")

    print("| Payload | " + " | ".join(title for _, title in OWN + PEERS) + " |")
    print("|---" * (1 + len(OWN) + len(PEERS)) + "|")
    for payload in PAYLOADS:
        cells = [payload]
        for key, _ in OWN + PEERS:
            v = times.get(f"{key}/{payload}")
            cells.append(cell(v) if v else "–")
        print("| " + " | ".join(cells) + " |")

    print("\nRatios: peer's median / this encoder's median (worst case: peer's fastest "
          "repetition / this encoder's slowest).\n")
    head = ["Payload", "fastest fixed-mask peer"]
    head += [f"{title} vs it" for _, title in OWN]
    head += ["scored vs libqrencode mask 0"]
    print("| " + " | ".join(head) + " |")
    print("|---" * len(head) + "|")
    for payload in PAYLOADS:
        peers = {k: times[f"{k}/{payload}"] for k in FIXED_MASK_PEERS if f"{k}/{payload}" in times}
        if not peers:
            continue
        fastest = min(peers, key=lambda k: statistics.median(peers[k]))
        best = peers[fastest]
        cells = [payload, dict(PEERS)[fastest]]
        for key, _ in OWN:
            own = times.get(f"{key}/{payload}")
            cells.append(f"{statistics.median(best) / statistics.median(own):.2f}× "
                         f"({min(best) / max(own):.2f}×)" if own else "–")
        own = times.get(f"qrdesk_Encode_scored/{payload}")
        qr0 = peers.get("qrencode_mask0")
        cells.append(f"{statistics.median(qr0) / statistics.median(own):.2f}× "
                     f"({min(qr0) / max(own):.2f}×)" if own and qr0 else "–")
        print("| " + " | ".join(cells) + " |")

    if any(f"stage_{st}/{p}" in times for st in STAGES for p in PAYLOADS):
        print("\nStages of Encode, each on its own (µs, median (min–max)); penalty is the "
              "scoring of all eight masks, run only for the scored mask.\n")
        print("| Payload | " + " | ".join(STAGES) + " |")
        print("|---" * (len(STAGES) + 1) + "|")
        for payload in PAYLOADS:
            cells = [payload] + [cell(times[f"stage_{st}/{payload}"])
                                 if f"stage_{st}/{payload}" in times else "–" for st in STAGES]
            print("| " + " | ".join(cells) + " |")

    small, large = times.get("qrdesk_Encode/L 300 bytes"), times.get("qrdesk_Encode/40-L 2953 bytes")
    if small and large:
        print(f"\nPer byte: {statistics.median(large) / 2953 * 1000:.1f} ns at 2,953 bytes (40-L), "
              f"{statistics.median(small) / 300 * 1000:.1f} ns at 300 bytes (11-L).")
    if "load_avg" in context:
        print(f"\nLoad average reported by the benchmark at its start: {context['load_avg']}")


if __name__ == "__main__":
    main(sys.argv[1])
