#!/usr/bin/env python3
"""Helpers for the MPEG decoder fixtures (run by make_mpeg_fixtures.sh).

  layer1 OUT --rate HZ --kbps K --mode stereo|joint|mono [--crc] [--seconds S]
      A small MPEG-1/MPEG-2 layer I encoder. No Debian package writes layer I,
      so the fixtures get their streams from here. The audio is made directly
      in the subband domain (tones with envelopes in a few subbands, quiet
      noise in others); what matters is a valid stream that exercises bit
      allocation, scalefactors, padding, joint stereo and the CRC field.

  reference F32 S16 [D16]
      16-bit reference PCM from a float decoding: each sample s becomes
      round-half-even(clip(s * 32767)), with the product rounded to single
      precision first (S16), and optionally kept in double precision (D16).

  landing IN FIRST OUT SILENCED
      A layer III stream that starts at the first frame of IN from FIRST on
      whose main data begins in earlier frames (as after a seek),
      and a copy of it whose frames that reach back before the stream start
      have their side information cleared: decoding that copy gives what the
      first stream must decode to once those frames are refused.

  index IN OUT
      The frame index of a stream that starts on a frame (for the seek-table
      tests): the offset of every frame, then the end of the last.
"""
import argparse
import array
import math
import random
import struct
import sys

BITRATES = {
    (0, 1): [0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448],
    (0, 2): [0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384],
    (0, 3): [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    (1, 1): [0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256],
    (1, 2): [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
    (1, 3): [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
}
RATES = [44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000]


class bit_writer:
    def __init__(self):
        self.bits = []

    def put(self, value, n):
        for i in range(n - 1, -1, -1):
            self.bits.append((value >> i) & 1)

    def to_bytes(self):
        out = bytearray()
        for i in range(0, len(self.bits), 8):
            byte = 0
            for b in self.bits[i:i + 8]:
                byte = byte << 1 | b
            out.append(byte << (8 - len(self.bits[i:i + 8])))
        return bytes(out)


def crc16(bits):
    crc = 0xFFFF
    for b in bits:
        top = (crc >> 15) & 1
        crc = (crc << 1) & 0xFFFF
        if top ^ b:
            crc ^= 0x8005
    return crc


def layer1(args):
    parser = argparse.ArgumentParser(prog='layer1')
    parser.add_argument('out')
    parser.add_argument('--rate', type=int, required=True)
    parser.add_argument('--kbps', type=int, required=True)
    parser.add_argument('--mode', choices=['stereo', 'joint', 'mono'], required=True)
    parser.add_argument('--crc', action='store_true')
    parser.add_argument('--seconds', type=float, default=2.0)
    opts = parser.parse_args(args)
    out_path, rate, kbps, mode_name, crc, seconds = (opts.out, opts.rate, opts.kbps, opts.mode,
                                                     opts.crc, opts.seconds)
    sf_index = RATES.index(rate)
    lsf = 1 if sf_index >= 3 else 0
    if sf_index >= 6:
        raise SystemExit('layer I is not defined for MPEG-2.5')
    br_index = BITRATES[(lsf, 1)].index(kbps)
    mode = {'stereo': 0, 'joint': 1, 'mono': 3}[mode_name]
    mode_ext = 2 if mode == 1 else 0          # joint stereo: bound 12
    channels = 1 if mode == 3 else 2
    bound = 4 * (mode_ext + 1) if mode == 1 else 32
    rng = random.Random(7)
    frames = int(seconds * rate / 384)
    slots_exact = 12 * kbps * 1000 / rate
    out = bytearray()
    phase_total = 0.0
    for n in range(frames):
        padding = int((n + 1) * slots_exact) - int(n * slots_exact) - int(slots_exact)
        frame_bits = (int(slots_exact) + padding) * 32
        # subband samples [ch][sb][12]
        x = [[[0.0] * 12 for _ in range(32)] for _ in range(channels)]
        for ch in range(channels):
            for sb in range(32):
                if sb in (1, 2, 5) or (ch == 1 and sb == 3):
                    env = 0.16 + 0.12 * math.sin(2 * math.pi * (n / 20.0 + sb / 7.0 + ch / 3.0))
                    f = 0.11 + 0.05 * sb + 0.03 * ch
                    for t in range(12):
                        x[ch][sb][t] = env * math.cos(phase_total * f + 2 * math.pi * f * t)
                elif sb < 20 and (n + sb + ch) % 3 == 0:
                    for t in range(12):
                        x[ch][sb][t] = rng.uniform(-0.05, 0.05)
            if mode == 1:
                for sb in range(bound, 32):   # above the bound both channels share the samples
                    x[ch][sb] = list(x[0][sb])
        phase_total += 2 * math.pi * 12
        # bit allocation by level, trimmed to the frame
        alloc = [[0] * 32 for _ in range(channels)]
        for ch in range(channels):
            for sb in range(32):
                peak = max(abs(v) for v in x[ch][sb])
                if peak > 0.08:
                    alloc[ch][sb] = 9
                elif peak > 0.0:
                    alloc[ch][sb] = 3

        def used_bits():
            total = 32 + (16 if crc else 0)
            for sb in range(32):
                chans = range(channels) if sb < bound else [0]
                total += 4 * len(chans)
                for ch in range(channels):
                    if (alloc[ch][sb] if sb < bound else alloc[0][sb]):
                        total += 6
                for ch in chans:
                    if alloc[ch][sb]:
                        total += 12 * (alloc[ch][sb] + 1)
            return total
        while used_bits() > frame_bits:
            ch, sb = max(((c, s) for c in range(channels) for s in range(32)), key=lambda k: alloc[k[0]][k[1]])
            alloc[ch][sb] -= 1
        if mode == 1:
            for sb in range(bound, 32):
                alloc[1][sb] = alloc[0][sb]
        # scalefactors
        scf = [[0] * 32 for _ in range(channels)]
        for ch in range(channels):
            for sb in range(32):
                peak = max(abs(v) for v in x[ch][sb])
                i = 0
                while i < 62 and 2.0 * 2 ** (-(i + 1) / 3.0) >= peak:
                    i += 1
                scf[ch][sb] = i
        w = bit_writer()
        header = (0x7FF << 21) | (1 << 20) | ((0 if lsf else 1) << 19) | (3 << 17) | ((0 if crc else 1) << 16)
        header |= br_index << 12 | (sf_index % 3) << 10 | padding << 9 | mode << 6 | mode_ext << 4 | 1 << 2
        w.put(header, 32)
        if crc:
            w.put(0, 16)
        alloc_start = len(w.bits)
        for sb in range(32):
            for ch in (range(channels) if sb < bound else [0]):
                w.put(alloc[ch][sb], 4)
        alloc_end = len(w.bits)
        for sb in range(32):
            for ch in range(channels):
                if alloc[ch][sb]:
                    w.put(scf[ch][sb], 6)
        for t in range(12):
            for sb in range(32):
                for ch in (range(channels) if sb < bound else [0]):
                    nb = alloc[ch][sb] + 1 if alloc[ch][sb] else 0
                    if nb:
                        scale = 2.0 * 2 ** (-scf[ch][sb] / 3.0)
                        v = x[ch][sb][t] / scale
                        code = int(round(v * ((1 << nb) - 1) / 2 + (1 << (nb - 1)) - 1))
                        w.put(min(max(code, 0), (1 << nb) - 2), nb)
        if crc:
            check = crc16(w.bits[16:32] + w.bits[alloc_start:alloc_end])
            w.bits[32:48] = [(check >> (15 - i)) & 1 for i in range(16)]
        w.bits.extend([0] * (frame_bits - len(w.bits)))
        out += w.to_bytes()
    open(out_path, 'wb').write(out)


def reference(args):
    samples = array.array('f')
    with open(args[0], 'rb') as f:
        samples.frombytes(f.read())
    scaled = [s * 32767.0 for s in samples]                  # exact in double
    single = struct.unpack('<%df' % len(scaled), struct.pack('<%df' % len(scaled), *scaled))

    def to16(values):
        return array.array('h', (max(-32768, min(32767, int(round(v)))) for v in values))
    with open(args[1], 'wb') as f:
        f.write(to16(single).tobytes())
    if len(args) > 2:
        with open(args[2], 'wb') as f:
            f.write(to16(scaled).tobytes())


def split_frames(data):
    pos, frames = 0, []
    while pos + 4 <= len(data):
        h = struct.unpack('>I', data[pos:pos + 4])[0]
        if h >> 21 != 0x7FF:
            break
        mpeg25 = not (h >> 20) & 1
        lsf = 1 if mpeg25 else 1 - ((h >> 19) & 1)
        layer = 4 - ((h >> 17) & 3)
        rate = RATES[(6 if mpeg25 else 3 * lsf) + ((h >> 10) & 3)]
        kbps = BITRATES[(lsf, layer)][(h >> 12) & 15]
        pad = (h >> 9) & 1
        if layer == 1:
            size = (kbps * 12000 // rate + pad) * 4
        elif layer == 2:
            size = kbps * 144000 // rate + pad
        else:
            size = kbps * 144000 // (rate << lsf) + pad
        frames.append(data[pos:pos + size])
        pos += size
    return frames


def layer3_fields(frame):
    """(main_data_begin, side-information start, side-information size) of a layer III frame."""
    h = struct.unpack('>I', frame[:4])[0]
    lsf = 0 if (h >> 19) & 1 else 1
    mono = (h >> 6) & 3 == 3
    start = 4 + (0 if (h >> 16) & 1 else 2)
    side = (9 if mono else 17) if lsf else (17 if mono else 32)
    mdb = frame[start] if lsf else (frame[start] << 1 | frame[start + 1] >> 7)
    return mdb, start, side


def landing(args):
    frames = split_frames(open(args[0], 'rb').read())
    first = int(args[1])
    while first < len(frames) and layer3_fields(frames[first])[0] == 0:
        first += 1
    frames = frames[first:]
    silenced, received, refused = [], 0, 0
    for f in frames:
        mdb, start, side = layer3_fields(f)
        main = len(f) - start - side
        if received < 65536 and mdb > received:
            f = f[:start] + bytes(side) + f[start + side:]
            refused += 1
        received += max(main, 0)
        silenced.append(f)
    if refused == 0:
        raise SystemExit('landing: no frame reaches back; pick another first frame')
    open(args[2], 'wb').write(b''.join(frames))
    open(args[3], 'wb').write(b''.join(silenced))


def index(args):
    """The byte offset of every frame of IN, then the end of the last, one per line."""
    offsets, pos = [], 0
    for f in split_frames(open(args[0], 'rb').read()):
        offsets.append(pos)
        pos += len(f)
    offsets.append(pos)
    open(args[1], 'w').write(''.join('%d\n' % o for o in offsets))


if __name__ == '__main__':
    {'layer1': layer1, 'reference': reference, 'landing': landing,
     'index': index}[sys.argv[1]](sys.argv[2:])
