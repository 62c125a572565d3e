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
// to 0..65000. The file must state both outputs' numbers of values and give each of those values
// as a plain number within +-1000; a file that does not (empty, not a data file, another
// encoding, a value missing or not a number, fewer values than stated) fails with
// ZUL_ERR_FILE_READ, the path in detail1 and the reason in detail2, and data stays exactly as it
// was. options give the separator and decimal-comma defaults. Takes the lock of data only to copy
// from it and to take the loaded block in.
int32_t LoadBufferingFile(BufferingData& data, std::string_view path,
                          const DataFileOptions& options, ResultInfo* info);

}  // namespace zul
