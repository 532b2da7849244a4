#!/usr/bin/env python3
"""Writes the seed corpus of every harness from the link's test vectors.

    fuzz/make_seeds.py OUT     creates OUT/<harness>/seed-<n>

A new harness adds its entry to SEEDS.
"""
import os
import sys


def crc16_xmodem(data):
    crc = 0
    for byte in data:
        crc ^= byte << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else crc << 1
            crc &= 0xFFFF
    return crc


def frame(kind, payload=b""):
    body = bytes([len(payload) + 4, kind]) + bytes(payload)
    crc = crc16_xmodem(body)
    return b"\xdf" + body + bytes([crc >> 8, crc & 0xFF, 0xFD])


def pattern(block_id, length):
    return bytes([block_id] + [(block_id * 7 + i) & 0xFF for i in range(length - 1)])


# Block answers as the panel sends them (block id first), at every length
# the tool accepts.
BLOCKS = [
    bytes([1, 200, 44, 255, 1, 0x11, 0x70]) + bytes(12) + bytes([10, 0, 0, 1, 0xFF, 0xFF]),
    bytes([2, 0x00, 0x3C, 0x00, 0x0A]),
    pattern(3, 3), pattern(3, 4),
    bytes([6, 4]) + b"casa" + bytes([6]) + b"s\xe9nh@1",
    bytes([12, 0, 0, 0x0E, 0x10]),
    pattern(17, 3), pattern(17, 5),
    pattern(23, 21), pattern(23, 31),
    pattern(24, 6), pattern(25, 3), bytes([26, 1]),
    bytes([38, 0, 30, 1]), bytes([39, 3]), pattern(40, 9),
    bytes([41, 0x7D, 0x5A, 1, 0x04, 0xE2, 0x82, 0x26, 10, 5, 0x01, 0x2C]),
    bytes([42, 0x7D, 0x5A]),
]
IDENTIFICATION = bytes([51, 0x12, 0x78, 0xA4, 0x6D, 0x2D])
# The harnesses' update run serves an image of firmware id 0x22 and 8
# packets: requests for packet 1, the last, one past it; results; the
# enrolment's two matching sensor reports.
UPDATE_FRAMES = [frame(9, bytes([0x22, 0, 1])), frame(9, bytes([0x22, 0, 8])), frame(9, bytes([0x22, 0, 9])),
                 frame(10, bytes([1])), frame(10, bytes([5]))]
PANEL_FRAMES = (
    [frame(7, IDENTIFICATION), frame(134), frame(149), frame(1, bytes([0x01, 0x10, 0x20])),
     frame(9, bytes([0, 1])), frame(10, bytes([0])), frame(16, pattern(16, 12)), frame(19, pattern(19, 5)),
     frame(19, bytes([0x12, 0x34, 0x56]))]
    + UPDATE_FRAMES
    + [frame(2, block) for block in BLOCKS]
)
TOOL_FRAMES = (
    [frame(140), frame(130, bytes([1])), frame(130, bytes([99])), frame(160, bytes([0x65, 0x9A, 0x3C, 0x00]))]
    + [frame(131, block) for block in BLOCKS]
)
# A status payload's header: page, model, version, serial, CPU time.
STATUS_HEADER = bytes([0, 51, 0x12, 0x78, 0xA4, 0x6D, 0x2D, 0x69, 0x39, 0x8D, 0x00])
LOG_HEADER = b"QVDLOG\r\n" + bytes([0, 1])


def log_record(received_ms, payload):
    return received_ms.to_bytes(8, "big") + len(payload).to_bytes(2, "big") + bytes(payload)


KNOWN_TYPES = [1, 2, 7, 9, 10, 16, 19, 134, 149, 129, 130, 131, 140, 144, 145, 147, 159, 160, 167, 171, 172]


def description(kind, payload, flags=0):
    """One frame description of the structure-aware harness."""
    return bytes([flags, KNOWN_TYPES.index(kind), len(payload)]) + bytes(payload)


SEEDS = {
    "receive_path_fuzzer": [bytes([0]) + f for f in PANEL_FRAMES]
    + [bytes([1]) + b"\x00\x13" + frame(134) + b"\xfd\xdf" + frame(7, IDENTIFICATION),
       bytes([7]) + b"".join(PANEL_FRAMES), bytes([0]) + b"".join(UPDATE_FRAMES)],
    "frame_sequence_fuzzer": [description(2, block, 0x20) for block in BLOCKS]
    + [description(7, IDENTIFICATION) + description(134, b"", 0x01) + description(149, b"", 0x80),
       description(140, b"") + description(131, BLOCKS[1], 0x40) + description(130, b"\x02", 0xC0),
       description(9, bytes([0x22, 0, 1])) + description(9, bytes([0x22, 0, 2]), 0x80)
       + description(19, bytes([0x12, 0x34, 0x56])) + description(19, bytes([0x12, 0x34, 0x56]), 0x40)
       + description(10, bytes([1]))],
    "block_codec_fuzzer": BLOCKS + [block[1:] for block in BLOCKS],
    "text_fuzzer": [b"12", b"  -7", b"$1F", b"0x7fffffff", b"-2147483648", b"-55.0", b"125,0", b"2.3",
                    b"1e2", b"a\xe7\x80\x81\x9d", b"\x04\xe2", b"\x82\x26"],
    "status_page_fuzzer": [STATUS_HEADER + bytes(40), STATUS_HEADER + bytes(range(1, 120)), bytes(range(60))],
    "diagnostic_log_fuzzer": [LOG_HEADER, LOG_HEADER + log_record(1765400000000, STATUS_HEADER + bytes(20))
                              + log_record(1765400001000, STATUS_HEADER), LOG_HEADER + b"\x00" * 9],
    "image_file_fuzzer": [b"", bytes(28), bytes(28) + bytes(202), b"\x38" + bytes(27)],
    "rf_record_fuzzer": [bytes([0x12, 0x34, 0x5A, 1, 255, 255, 255, 255, 0, 1, 0, 1, 0, 0, 0, 0]),
                         bytes(16), b"\xff" * 16, b"\x12\x34\x5a", bytes([3, 1, 2]), bytes([3, 1, 2, 3])],
    "virtual_panel_fuzzer": [bytes([m, 1]) + f for m in (0, 1, 2, 3) for f in TOOL_FRAMES[:4]]
    + [bytes([0xFF, 9]) + b"".join(TOOL_FRAMES), bytes([4, 2]) + b"\x00\xdf\x05" + frame(131, pattern(3, 3))],
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    for harness, seeds in SEEDS.items():
        folder = os.path.join(sys.argv[1], harness)
        os.makedirs(folder, exist_ok=True)
        for n, seed in enumerate(seeds):
            with open(os.path.join(folder, "seed-%d" % n), "wb") as f:
                f.write(seed)


if __name__ == "__main__":
    main()
