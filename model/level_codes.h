#pragma once

// Conversions between a slider's value in dB and the amplifier's codes.
// Level code (volume and speakers): 0..15 = +0..+15 dB, 16..95 = 0..-79 dB, 96..127 muted.
// Tone code (equalizer gains): 0..15 = 0..-15 dB, 16..31 = 0..+15 dB.
// Anything outside a domain maps to a fixed safe code: 95 (-79 dB) or 0 (0 dB).

int level_to_db(unsigned code);
int db_to_level(int db);
int tone_to_db(unsigned code);
int db_to_tone(int db);
