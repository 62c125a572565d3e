// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering data file (extension "bfd") and its CSV export: the settings of the run, the
// statistics of both outputs and the values as one CSV block.
#pragma once

#include <string_view>

#include "base/DataFileText.h"
#include "base/ResultInfo.h"
#include "buffering/BufferingData.h"

namespace zul {

// Writes the data file, or with exportCsv only the title and value rows (values scaled by the
// micron factor when options.micronMode). Any existing file of that name is replaced. Takes the
// lock of data for the whole save.
int32_t SaveBufferingFile(BufferingData& data, std::string_view path, bool exportCsv,
                          const DataFileOptions& options, ResultInfo* info);

// Reads a data file into data. Rows are placed by their number; numbers of values are bounded
// to 0..65000. On any failure both outputs hold no values (the settings read so far stay).
// options give the separator and decimal-comma defaults. Takes the lock for the whole load.
int32_t LoadBufferingFile(BufferingData& data, std::string_view path,
                          const DataFileOptions& options, ResultInfo* info);

}  // namespace zul
