#!/usr/bin/env python3
"""Writes resources/signal.wav (the bout clock's horn) and resources/beep.wav.

Standard library only, deterministic: running it again gives the same bytes.
The beep uses the same samples that SignalSound.cpp builds at run time.
"""

import math
import os
import struct
import wave

RATE = 44100


def write_wav(path, samples):
    frames = b"".join(struct.pack("<h", s) for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def to_pcm(v):
    # floor(x + 0.5) rather than round(): the C++ beep rounds the same way.
    return max(-32768, min(32767, int(math.floor(v * 32767.0 + 0.5))))


def envelope(i, count, attack, release):
    return min(1.0, i / attack, (count - 1 - i) / release)


def horn():
    # Two reedy tones a major third apart, like a car horn: odd harmonics strong (square-ish),
    # even ones weaker (sawtooth-ish), cut off well below Nyquist so nothing aliases.
    count = int(RATE * 1.2)
    attack, release = RATE * 0.03, RATE * 0.15
    tones = (311.0, 392.0)
    harmonics = [(k, (1.0 if k % 2 else 0.5) / k) for k in range(1, 13)]
    raw = []
    for i in range(count):
        t = i / RATE
        v = sum(a * math.sin(2.0 * math.pi * f * k * t) for f in tones for k, a in harmonics)
        raw.append(envelope(i, count, attack, release) * v)
    # Peak at 80 % of full scale: loud, with headroom for players that add a little gain.
    peak = max(abs(v) for v in raw)
    return [to_pcm(0.8 * v / peak) for v in raw]


def beep():
    count = RATE // 5
    ramp = RATE // 200
    return [to_pcm(0.5 * envelope(i, count, ramp, ramp) * math.sin(2.0 * math.pi * 880.0 * i / RATE))
            for i in range(count)]


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "resources")
    os.makedirs(folder, exist_ok=True)
    write_wav(os.path.join(folder, "signal.wav"), horn())
    write_wav(os.path.join(folder, "beep.wav"), beep())


if __name__ == "__main__":
    main()
