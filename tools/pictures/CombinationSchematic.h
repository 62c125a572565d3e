// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of the output pattern combination: for OUT1 and OUT2 side by side, the heads the
// output reads (unused heads greyed), the pattern number, and whether chosen surfaces of a
// layered target are measured.
#pragma once

#include <QImage>

#include "PictureNames.h"

namespace pictures {

inline constexpr int kCombinationWidth = 256;
inline constexpr int kCombinationHeight = 192;

QImage DrawCombinationSchematic(const CombinationView& view);

}  // namespace pictures
