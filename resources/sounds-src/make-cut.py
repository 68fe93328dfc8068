#!/usr/bin/env python3
"""Writes ../sounds/cut.wav, the short sound of the notification box.

A soft snip: a very short bright click followed by a small two-tone chime that dies away,
0.3 s long, 8-bit unsigned PCM, 2 channels, 22050 Hz. The right channel starts a little
later than the left, which widens the sound without making it louder. Everything is
computed, so running the script again gives the same bytes.
"""
import math
import os
import random
import struct

RATE = 22050
SECONDS = 0.3
FRAMES = int(RATE * SECONDS)


def sample(t):
    # The click: noise, differentiated so only its high part remains, gone after 6 ms.
    click = 0.0
    if t < 0.006:
        click = (rng_noise[int(t * RATE)] - rng_noise[max(int(t * RATE) - 1, 0)]) * 0.35
        click *= math.exp(-t / 0.0015)
    # The chime: two partials a fifth apart, a 3 ms rise and an exponential fall.
    rise = min(t / 0.003, 1.0)
    fall = math.exp(-t / 0.055)
    chime = 0.55 * math.sin(2 * math.pi * 1568.0 * t) + 0.25 * math.sin(2 * math.pi * 2352.0 * t)
    # The last 20 ms fade to silence so the end never clicks.
    tail = min((SECONDS - t) / 0.02, 1.0)
    return (click + chime * rise * fall) * tail


random.seed(949)
rng_noise = [random.uniform(-1.0, 1.0) for _ in range(FRAMES)]


def to_u8(v):
    v = max(-1.0, min(1.0, v))
    return int(round(128 + 127 * v))


DELAY = 0.0004  # right channel, seconds
frames = bytearray()
for i in range(FRAMES):
    t = i / RATE
    left = sample(t)
    right = sample(t - DELAY) if t >= DELAY else 0.0
    frames += bytes((to_u8(left * 0.8), to_u8(right * 0.8)))

channels, bits = 2, 8
block = channels * bits // 8
header = b"RIFF" + struct.pack("<I", 36 + len(frames)) + b"WAVE"
header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, channels, RATE, RATE * block, block, bits)
header += b"data" + struct.pack("<I", len(frames))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sounds", "cut.wav")
os.makedirs(os.path.dirname(out), exist_ok=True)
with open(out, "wb") as f:
    f.write(header + frames)
