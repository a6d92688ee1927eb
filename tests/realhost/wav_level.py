#!/usr/bin/env python3
"""wav_level.py FILE.wav START END : peak of a 32-bit float WAV between two times in seconds."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from wav_samples import read_wav  # noqa: E402

rate, channels, samples = read_wav(sys.argv[1])
start, end = int(float(sys.argv[2]) * rate) * channels, int(float(sys.argv[3]) * rate) * channels
print('%.6f' % max((abs(s) for s in samples[start:end]), default=0.0))
