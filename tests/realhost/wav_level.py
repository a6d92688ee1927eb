#!/usr/bin/env python3
"""wav_level.py FILE.wav START END : peak of a 32-bit float WAV between two times in seconds."""
import struct
import sys

data = open(sys.argv[1], 'rb').read()
pos, channels, rate, frames = 12, 2, 48000, b''
while pos + 8 <= len(data):
    chunk, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
    if chunk == b'fmt ':
        channels, rate = struct.unpack('<HI', data[pos + 10:pos + 16])
    if chunk == b'data':
        frames = data[pos + 8:pos + 8 + size]
    pos += 8 + size + (size & 1)
samples = struct.unpack('<%df' % (len(frames) // 4), frames)
start, end = int(float(sys.argv[2]) * rate) * channels, int(float(sys.argv[3]) * rate) * channels
print('%.6f' % max((abs(s) for s in samples[start:end]), default=0.0))
