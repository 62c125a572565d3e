// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a file that a Qt writer produces (a picture, a PDF) the way the data files are saved:
// the new file takes the place of the old one only when it is complete, so a failed save leaves
// no empty or partial file, and every failure names the file and the system's reason.
#pragma once

#include <functional>

#include <QString>

#include "base/ResultInfo.h"

namespace zul::ui {

// render writes the whole file to the scratch path it is given (a file of the same suffix in a
// private temporary folder) and returns false when it cannot. The result is then written to
// path through the atomic writer. Returns ZUL_OK or ZUL_ERR_FILE_WRITE / ZUL_ERR_OS_FILE_WRITE
// with the path in detail1 and the reason in detail2.
int32_t SaveRenderedFile(const QString& path, const std::function<bool(const QString&)>& render,
                         ResultInfo* info);

}  // namespace zul::ui
