#!/usr/bin/env python3
"""Instructions per Encode by stage, from callgrind: runs qrdesk_profile with 2 and 12
repetitions and divides the difference by 10, so that one-time costs (loading, the first
call's set-up) drop out. Instruction counts do not depend on the machine's load.

Usage: bench/callgrind_stages.py PATH/TO/qrdesk_profile PAYLOAD [fresh|scored]
Functions are put into stages by name (inlined code counts where it was inlined); under
valgrind the processor shows no AVX-512, so the portable path is the one counted.
"""
import collections
import os
import re
import subprocess
import sys
import tempfile

STAGES = [  # (stage, patterns of function names), first match wins
    ("search", ["SearchWithTable", "BackTrack", "GetStreamBitsAtLeast", "MeasureBits",
                "ChooseSegments", "segmentation::Search", "ByteStretchEnd", "ByteKinds"]),
    ("codewords", ["WriteDataCodewords", "WriteStream", "WriteSegments", "WriteEci", "SpreadByte", "PackByte"]),
    ("error correction", ["InterleaveWithErrorCorrection", "ErrorCorrection", "clsReedSolomon",
                          "DivisionStep", "clsFiniteField"]),
    ("matrix", ["BuildFunctionLines", "PlaceCodewords", "PlacePairs", "PlacePortable",
                "PlaceVector", "PlanPlacement", "PlacePieces", "Transpose", "MaskedSymbol",
                "MaskedRows", "PutFormat", "PutFormatAndVersion",
                "DrawFunctionPatterns", "ApplyMask", "WriteFormatInformation",
                "WriteVersionInformation", "GetBchRemainder", "MergeRow"]),
    ("penalty", ["Penalty", "ScaledFinder", "RunOf", "DirectionPenalty", "BlockPenalty",
                 "ScoreMasks", "ScorePortable", "ScoreVector", "ScanPlane", "LayOut",
                 "WideFinders", "RunFrom"]),
    ("picture", ["RowsToPicture", "SpreadRows", "MatrixToPicture", "BitmapToPicture",
                 "NewCanvas", "Picture::"]),
    ("allocation", ["malloc", "free", "_int_", "operator new", "operator delete", "cfree",
                    "unlink_chunk", "tcache"]),
    ("memset/memcpy", ["memset", "memcpy", "memmove"]),
]


def run(exe, payload, reps, extra):
    out = tempfile.mktemp(suffix=".callgrind")
    subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}", exe, payload,
                    str(reps)] + extra, check=True, capture_output=True)
    text = subprocess.run(["callgrind_annotate", "--threshold=100", "--auto=no", out],
                          capture_output=True, text=True).stdout
    os.unlink(out)
    total, stages = 0, collections.Counter()
    in_functions = False
    for line in text.splitlines():
        if "file:function" in line:
            in_functions = True  # the per-function list follows
            continue
        m = re.match(r"\s*([\d,]+)\s+(?:\([^)]*\)\s+)?(.*)$", line)
        if not m or (not in_functions and "PROGRAM TOTALS" not in line):
            continue
        count, name = int(m.group(1).replace(",", "")), m.group(2)
        if "PROGRAM TOTALS" in name:
            total = count
            continue
        for stage, patterns in STAGES:
            if any(p in name for p in patterns):
                stages[stage] += count
                break
        else:
            stages["other"] += count
    return total, stages


def main():
    exe, payload, extra = sys.argv[1], sys.argv[2], sys.argv[3:]
    t1, s1 = run(exe, payload, 2, extra)
    t2, s2 = run(exe, payload, 12, extra)
    print(f"instructions per Encode: {(t2 - t1) / 10:,.0f}")
    for stage in [s for s, _ in STAGES] + ["other"]:
        value = (s2[stage] - s1[stage]) / 10
        if abs(value) >= 1:
            print(f"  {stage:18} {value:12,.0f}")


if __name__ == "__main__":
    main()
