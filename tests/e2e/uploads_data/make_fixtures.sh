#!/bin/sh
# Regenerates the sound fixtures of uploads_e2e_test with SoX (Debian package
# sox): 8 kHz, 8-bit unsigned, mono PCM, the module's format.
set -e
cd "$(dirname "$0")"
fmt="-b 8 -c 1 -e unsigned-integer"
# 2000 samples of a 440 Hz tone driven into clipping, so that full-scale
# samples (0xFF) occur in the full blocks and in the last one.
sox -r 8000 -n $fmt tone.wav synth 2000s sine 440 gain 6 2>/dev/null
# A WAV file's sizes are even (an odd data chunk gets a pad byte), so after
# the 45-byte skip an odd count always remains. A writer that leaves out the
# pad byte makes the count even: 514 samples with the last one cut off leave
# exactly two blocks after the skip.
sox -r 8000 -n $fmt boundary-full.wav synth 514s sine 300
head -c 557 boundary-full.wav > boundary.wav
rm boundary-full.wav
# The same tone as a Sun/NeXT audio file, which has no "data" tag.
sox -r 8000 -n $fmt tone.au synth 200s sine 440 2>/dev/null
