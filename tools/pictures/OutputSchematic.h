// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of one output's configuration: the head, how its light meets the target (diffuse
// or specular reflection), the target's surfaces numbered from the near or the far side, and
// the surface or thickness that is measured.
#pragma once

#include <QImage>

#include "PictureNames.h"

namespace pictures {

inline constexpr int kOutputWidth = 256;
inline constexpr int kOutputHeight = 192;

QImage DrawOutputSchematic(const OutputView& view);

}  // namespace pictures
