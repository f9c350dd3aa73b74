#!/usr/bin/env python3
"""Largest sample difference between two renders, in dB of full scale.

    tools/render-diff.py A.wav B.wav        one pair
    tools/render-diff.py DIR_A DIR_B        every .wav of DIR_A against the
                                            file of the same name in DIR_B

Reads 32-bit float and 16-bit PCM WAV files (any channel count). Renders
of different lengths compare over the shorter one and say so. Prints one
line per pair and, for folders, the largest difference of all; exits 1
when a file is missing or unreadable.
"""
import math
import os
import struct
import sys
from array import array


def read_wav(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 12 or data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError("not a WAV file")
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        body = data[pos + 8:pos + 8 + size]
        if cid == b"fmt ":
            fmt = struct.unpack_from("<HHIIHH", body, 0)
        elif cid == b"data":
            if fmt is None:
                raise ValueError("data before fmt")
            tag, _, _, _, _, bits = fmt
            if tag == 0xFFFE and len(body) >= 0:
                tag = 3 if bits == 32 else 1
            if tag == 3 and bits == 32:
                samples = array("f")
                samples.frombytes(body[: len(body) // 4 * 4])
            elif tag == 1 and bits == 16:
                pcm = array("h")
                pcm.frombytes(body[: len(body) // 2 * 2])
                samples = array("f", (v / 32768.0 for v in pcm))
            else:
                raise ValueError("unsupported sample format %d/%d bits" % (tag, bits))
            if sys.byteorder != "little":
                samples.byteswap()
        pos += 8 + size + (size & 1)
    if samples is None:
        raise ValueError("no data chunk")
    return samples


def db(x):
    return -math.inf if x <= 0.0 else 20.0 * math.log10(x)


def compare(a_path, b_path):
    a, b = read_wav(a_path), read_wav(b_path)
    n = min(len(a), len(b))
    worst = 0.0
    for i in range(n):
        d = abs(a[i] - b[i])
        if d > worst or d != d:
            worst = d if d == d else math.inf
    note = "" if len(a) == len(b) else " (lengths differ: %d and %d samples)" % (len(a), len(b))
    return worst, note


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    a, b = argv[1], argv[2]
    if os.path.isdir(a):
        pairs = [(os.path.join(a, f), os.path.join(b, f)) for f in sorted(os.listdir(a)) if f.endswith(".wav")]
    else:
        pairs = [(a, b)]
    overall, failed = 0.0, False
    for pa, pb in pairs:
        try:
            worst, note = compare(pa, pb)
        except (OSError, ValueError) as e:
            print("%s: %s" % (os.path.basename(pa), e))
            failed = True
            continue
        overall = max(overall, worst)
        print("%-20s largest difference %8.1f dB FS%s" % (os.path.basename(pa), db(worst), note))
    if len(pairs) > 1:
        print("%-20s largest difference %8.1f dB FS" % ("all", db(overall)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
