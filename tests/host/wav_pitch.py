#!/usr/bin/env python3
"""wav_pitch.py FILE.wav HZ... : the strongest of the given frequencies in the left channel of a
32-bit float WAV, by the Goertzel filter over the whole file."""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from wav_samples import read_wav  # noqa: E402


def power(samples, rate, hz):
    k = 2.0 * math.cos(2.0 * math.pi * hz / rate)
    s1 = s2 = 0.0
    for v in samples:
        s1, s2 = v + k * s1 - s2, s1
    return s1 * s1 + s2 * s2 - k * s1 * s2


rate, channels, samples = read_wav(sys.argv[1])
left = samples[0::channels]
print('%g' % max((float(f) for f in sys.argv[2:]), key=lambda hz: power(left, rate, hz)))
