// SPDX-License-Identifier: GPL-3.0-or-later
// The splash picture shown while the main window starts: the icon and the product name.
#pragma once

#include <QImage>

namespace pictures {

inline constexpr int kSplashWidth = 480;
inline constexpr int kSplashHeight = 270;

QImage DrawSplash();

}  // namespace pictures
