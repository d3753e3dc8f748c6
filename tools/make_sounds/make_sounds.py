#!/usr/bin/env python3
"""Generates the trainer's six sound cues as 16-bit PCM mono WAV files at 22050 Hz.

OK1..OK3 (right answer): bright, rising, short chimes.
NO1..NO3 (wrong answer): soft, low, falling tones; no noise, no hard attack.

Every tone is built by phase accumulation, so pitch glides have no jumps; each note has a soft
attack and an exponential decay, and the whole cue fades in over 5 ms and out over 40 ms to
exactly zero, so nothing clicks at the start or end. The output is deterministic: running the
script again gives the same bytes.

usage: make_sounds.py [OUTPUT_DIR]   (default: resources/sounds of the repository)
"""
import math
import pathlib
import struct
import sys
import wave

RATE = 22050  # samples per second
FADE_IN_S = 0.005
FADE_OUT_S = 0.040
DEFAULT_OUT = pathlib.Path(__file__).resolve().parent.parent.parent / "resources" / "sounds"


def note_hz(name):
    """Frequency of a note such as "C6" or "F#3" (equal temperament, A4 = 440 Hz)."""
    steps = {"C": -9, "C#": -8, "D": -7, "D#": -6, "E": -5, "F": -4, "F#": -3, "G": -2,
             "G#": -1, "A": 0, "A#": 1, "B": 2}
    pitch, octave = name[:-1], int(name[-1])
    return 440.0 * 2 ** ((steps[pitch] + 12 * (octave - 4)) / 12)


class Note:
    """One tone: starts at `start` s, lasts `length` s, glides from f0 to f1 Hz.

    harmonics: relative amplitudes of partials 1, 2, 3, ...; attack in s; decay: time
    constant of the exponential fall in s.
    """

    def __init__(self, start, length, f0, f1=None, gain=1.0, harmonics=(1.0,), attack=0.005,
                 decay=0.15):
        self.start, self.length = start, length
        self.f0, self.f1 = f0, f1 if f1 is not None else f0
        self.gain, self.harmonics = gain, harmonics
        self.attack, self.decay = attack, decay

    def render(self, out):
        first = int(round(self.start * RATE))
        count = int(round(self.length * RATE))
        phase = 0.0
        release = min(0.03, self.length / 4)
        for i in range(count):
            t = i / RATE
            # Exponential glide: equal musical steps per unit of time.
            freq = self.f0 * (self.f1 / self.f0) ** (t / self.length)
            phase += 2 * math.pi * freq / RATE
            if t < self.attack:
                env = 0.5 - 0.5 * math.cos(math.pi * t / self.attack)
            else:
                env = math.exp(-(t - self.attack) / self.decay)
            left = self.length - t
            if left < release:
                env *= 0.5 - 0.5 * math.cos(math.pi * left / release)
            value = sum(a * math.sin(k * phase) for k, a in enumerate(self.harmonics, start=1))
            if first + i < len(out):
                out[first + i] += self.gain * env * value


BRIGHT = (1.0, 0.3, 0.12, 0.05)  # a bell-like, clear timbre
SOFT = (1.0, 0.18, 0.04)         # rounder, almost a pure tone

CUES = {
    # Two notes up a fifth.
    "OK1.WAV": (0.30, 0.45, [
        Note(0.00, 0.14, note_hz("C6"), harmonics=BRIGHT, decay=0.08),
        Note(0.09, 0.21, note_hz("G6"), harmonics=BRIGHT, decay=0.09),
    ]),
    # A quick major arpeggio.
    "OK2.WAV": (0.34, 0.42, [
        Note(0.00, 0.12, note_hz("C6"), harmonics=BRIGHT, decay=0.07),
        Note(0.07, 0.12, note_hz("E6"), harmonics=BRIGHT, decay=0.07),
        Note(0.14, 0.20, note_hz("G6"), harmonics=BRIGHT, decay=0.08),
    ]),
    # A short upward sweep that settles on a chime.
    "OK3.WAV": (0.26, 0.42, [
        Note(0.00, 0.10, note_hz("A5"), note_hz("E6"), harmonics=BRIGHT, decay=0.2),
        Note(0.08, 0.18, note_hz("A6"), harmonics=BRIGHT, decay=0.07),
    ]),
    # Two low notes falling a minor third.
    "NO1.WAV": (0.36, 0.34, [
        Note(0.00, 0.17, note_hz("A3"), harmonics=SOFT, attack=0.02, decay=0.25),
        Note(0.15, 0.21, note_hz("F#3"), harmonics=SOFT, attack=0.02, decay=0.2),
    ]),
    # One soft tone sliding down.
    "NO2.WAV": (0.34, 0.36, [
        Note(0.00, 0.34, note_hz("E4"), note_hz("A3"), harmonics=SOFT, attack=0.025, decay=0.3),
    ]),
    # "Uh-oh": a fourth down.
    "NO3.WAV": (0.36, 0.34, [
        Note(0.00, 0.15, note_hz("D4"), harmonics=SOFT, attack=0.02, decay=0.3),
        Note(0.14, 0.22, note_hz("A3"), harmonics=SOFT, attack=0.02, decay=0.22),
    ]),
}


def render_cue(length, peak, notes):
    samples = [0.0] * int(round(length * RATE))
    for note in notes:
        note.render(samples)
    loudest = max(abs(s) for s in samples) or 1.0
    fade_in, fade_out = int(FADE_IN_S * RATE), int(FADE_OUT_S * RATE)
    n = len(samples)
    for i in range(n):
        gain = peak / loudest
        if i < fade_in:
            gain *= 0.5 - 0.5 * math.cos(math.pi * i / fade_in)
        left = n - 1 - i
        if left < fade_out:
            gain *= 0.5 - 0.5 * math.cos(math.pi * left / fade_out)
        samples[i] *= gain
    return [int(round(max(-1.0, min(1.0, s)) * 32767)) for s in samples]


def write_wav(path, samples):
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))


def main():
    out_dir = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else DEFAULT_OUT
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, (length, peak, notes) in CUES.items():
        path = out_dir / name
        write_wav(path, render_cue(length, peak, notes))
        print(f"{name}: {length:.2f} s, {path.stat().st_size} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
