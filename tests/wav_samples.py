"""Reading the samples of a 32-bit float WAV file, with a plain or an extensible format chunk."""
import struct


def read_wav(path):
    """Returns (sample rate, channel count, interleaved samples)."""
    data = open(path, 'rb').read()
    pos, channels, rate, body = 12, 2, 48000, b''
    while pos + 8 <= len(data):
        chunk, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        if chunk == b'fmt ':
            channels, rate = struct.unpack('<HI', data[pos + 10:pos + 16])
        if chunk == b'data':
            body = data[pos + 8:pos + 8 + size]
        pos += 8 + size + (size & 1)
    return rate, channels, struct.unpack('<%df' % (len(body) // 4), body)
