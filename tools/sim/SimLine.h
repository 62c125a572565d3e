// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of a serial line: how long one character takes at the configured speed and format.
#pragma once

#include <termios.h>

#include <cstdint>

namespace zul::sim {

// Bits per second of a termios speed constant, 0 for B0 or an unknown constant.
int64_t BaudOf(speed_t speed);
// Start bit, data bits, parity bit and stop bits of one character.
int BitsPerCharacter(const termios& settings);
// Nanoseconds one character occupies the line; 0 when the speed is unknown.
int64_t CharacterTimeNs(int64_t baud, int bitsPerCharacter);

// Sets a descriptor to raw 8-bit mode, keeping its speed.
bool MakeRaw(int fd);

}  // namespace zul::sim
