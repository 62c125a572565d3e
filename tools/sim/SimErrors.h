// SPDX-License-Identifier: GPL-3.0-or-later
// Error numbers the emulated controller answers with ("%EE!" + two digits).
#pragma once

namespace zul::sim {

inline constexpr int kErrNone = 0;
inline constexpr int kErrBcc = 40;        // block check does not match
inline constexpr int kErrFormat = 41;     // a field has the wrong length or characters
inline constexpr int kErrCommand = 42;    // unknown command
inline constexpr int kErrLimit = 43;      // frame longer than 512 bytes or block over 8122 words
inline constexpr int kErrParameter = 60;  // target digit or value out of its range
inline constexpr int kErrData = 61;       // the values do not form a usable set
inline constexpr int kErrBusy = 63;       // not possible in the present state
inline constexpr int kErrAddress = 66;    // address outside the memory

}  // namespace zul::sim
