// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave data file (extension "lwd") and its CSV export: the frame histories of both
// heads and their six snapshots as CSV blocks.
#pragma once

#include <string_view>

#include "base/DataFileText.h"
#include "base/ResultInfo.h"
#include "lightwave/LightWaveData.h"

namespace zul {

// Frame fields a row stores: 1, 2, 3..10, 11..14 and the first 512 samples (16..527).
inline constexpr int32_t kStoredFrameFields = 526;
inline constexpr int32_t kStoredSamples = 512;

// Writes the data file, or with exportCsv only the rows (histories of Head A and B, then the
// six snapshots). Any existing file of that name is replaced. Takes the lock of data.
int32_t SaveLightWaveFile(LightWaveData& data, std::string_view path, bool exportCsv,
                          const DataFileOptions& options, ResultInfo* info);

// Reads a data file into data: at most 1024 history frames per head and the six snapshots.
// Rows are split with the file's own separator. The file must hold its settings section, as
// many frames as it states for each head, and only whole frames (every stored field a whole
// number); a frame or snapshot row that is cut short or holds text fails the load. A path that
// does not exist gives ZUL_ERR_FILE_READ (with ENOENT and the path); any other failure
// ZUL_ERR_FILE_READ (or the system's code) with the path in detail1 and the reason in detail2.
// On any failure data stays exactly as it was.
int32_t LoadLightWaveFile(LightWaveData& data, std::string_view path,
                          const DataFileOptions& options, ResultInfo* info);

}  // namespace zul
