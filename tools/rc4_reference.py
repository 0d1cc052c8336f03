#!/usr/bin/env python3
"""Independent RC4 reference for the credential-encryption tests.

The key is the first 16 bytes of the SHA-1 of a pass phrase, which is what
CryptoAPI's CryptDeriveKey(CALG_RC4, 128-bit) makes of a SHA-1 hash. Each
plain text (hex) is encrypted with a fresh key schedule; the cipher texts are
written as hex, one per line, in argument order.

  rc4_reference.py --phrase ZELBeacon --out FILE HEX...

FILE is written atomically (through FILE.tmp), so a reader that waits for it
never sees half of it. An empty plain text is given as "-".
"""
import argparse
import hashlib
import os
import sys


def rc4(key, data):
    state = list(range(256))
    j = 0
    for i in range(256):
        j = (j + state[i] + key[i % len(key)]) & 0xFF
        state[i], state[j] = state[j], state[i]
    i = j = 0
    out = bytearray()
    for byte in data:
        i = (i + 1) & 0xFF
        j = (j + state[i]) & 0xFF
        state[i], state[j] = state[j], state[i]
        out.append(byte ^ state[(state[i] + state[j]) & 0xFF])
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--phrase", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("plain", nargs="*", help="plain texts in hex; '-' for an empty one")
    args = parser.parse_args()
    key = hashlib.sha1(args.phrase.encode("ascii")).digest()[:16]
    lines = []
    for text in args.plain:
        data = b"" if text == "-" else bytes.fromhex(text)
        lines.append(rc4(key, data).hex() or "-")
    with open(args.out + ".tmp", "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(args.out + ".tmp", args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
