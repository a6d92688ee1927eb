#!/usr/bin/env python3
"""wav_pitch.py WAV HZ... : prints which of the candidate frequencies is the strongest in the left
channel of a 32-bit float WAV (plain or extensible), by Goertzel over the whole file."""
import math
import struct
import sys


def samples(path):
    data = open(path, 'rb').read()
    pos, rate, frames = 12, None, None
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        if tag == b'fmt ':
            channels, rate = struct.unpack('<HI', data[pos + 10:pos + 16])
        elif tag == b'data':
            body = data[pos + 8:pos + 8 + size]
            values = struct.unpack('<%df' % (len(body) // 4), body)
            return rate, values[0::channels]
        pos += 8 + size + (size & 1)
    raise SystemExit('no data chunk in ' + path)


def power(x, rate, hz):
    k = 2.0 * math.cos(2.0 * math.pi * hz / rate)
    s1 = s2 = 0.0
    for v in x:
        s1, s2 = v + k * s1 - s2, s1
    return s1 * s1 + s2 * s2 - k * s1 * s2


rate, left = samples(sys.argv[1])
candidates = [float(f) for f in sys.argv[2:]]
print('%g' % max(candidates, key=lambda hz: power(left, rate, hz)))
