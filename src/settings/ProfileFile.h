// SPDX-License-Identifier: GPL-3.0-or-later
// Reads and writes the tool's sections-and-keys files.
//
// Direct mode (the default): every GetString/SetString reads or rewrites the file at once. A
// non-empty sub-section is addressed as the section "<section>_<sub-section>", names compare
// without regard to ASCII case, values are cut to 260 bytes, and a missing key gives the
// default.
//
// Cache mode: Begin reads the whole file into an ordered model; reads and writes then act on
// the model; End writes the model back (when begun for writing) and leaves cache mode. Cache
// mode also carries CSV blocks: runs of raw data lines in a sub-section named "CSV" that are
// handed to, or taken from, a caller's line callback.
//
// Files are UTF-8, written with CR LF line ends; LF and CR LF are both read. A file is never
// rewritten in place: the new content goes to a temporary file in the same folder that replaces
// the old one only when everything was written, so a failed write leaves the old file as it
// was. Between Begin for writing and End the file is locked against a second writer.
//
// Every operation takes an optional ResultInfo, cleared on entry, and returns its code.
// A ProfileFile has no lock of its own; its owner serialises access.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/ResultInfo.h"
#include "settings/ProfileModel.h"

namespace zul {

class FileWriteLock;

class ProfileFile {
public:
    // The path starts as the program's executable path with the extension "zul".
    ProfileFile();
    // Copies only the path and the layout mode.
    ProfileFile(const ProfileFile& other);
    ProfileFile& operator=(const ProfileFile& other);
    // Ends cache mode (writing when begun for writing); results are discarded.
    ~ProfileFile();

    // A path that starts with "/" or "\" or has a drive letter ("X:") is kept; any other is
    // taken relative to the folder of the program's executable.
    void SetPath(std::string_view path);
    const std::string& Path() const { return path_; }

    // Layout of the lines End writes (kLayoutSettings .. kLayoutCsvExport); 0 by default.
    void SetLayoutMode(int mode) { layoutMode_ = mode; }
    int LayoutMode() const { return layoutMode_; }

    bool IsCached() const { return cached_; }
    bool IsForWrite() const { return forWrite_; }

    std::string GetString(std::string_view section, std::string_view subSection,
                          std::string_view key, std::string_view defaultValue,
                          ResultInfo* info = nullptr);
    int32_t SetString(std::string_view section, std::string_view subSection, std::string_view key,
                      std::string_view value, ResultInfo* info = nullptr);
    // GetString with the default as "%d", converted like atoi (saturated to the int32 range).
    int32_t GetInt(std::string_view section, std::string_view subSection, std::string_view key,
                   int32_t defaultValue, ResultInfo* info = nullptr);
    int32_t SetInt(std::string_view section, std::string_view subSection, std::string_view key,
                   int32_t value, ResultInfo* info = nullptr);
    // The value as "%lf" (six decimals).
    int32_t SetDouble(std::string_view section, std::string_view subSection, std::string_view key,
                      double value, ResultInfo* info = nullptr);

    // Enters cache mode. Already cached: only the write flag changes (taking the write lock when
    // it becomes set). A missing file is an empty model (created when forWrite).
    int32_t Begin(bool forWrite, ResultInfo* info = nullptr);
    // Enters cache mode for writing with an empty model: the file is rebuilt from nothing, but
    // the old file stays in place (and readable) until End has written the new one completely.
    // A cache already begun is dropped without writing.
    int32_t BeginRewrite(ResultInfo* info = nullptr);
    // Leaves cache mode; writes the file first when begun for writing.
    int32_t End(ResultInfo* info = nullptr);

    // Cache mode only (else ZUL_ERR): appends a CSV block whose lines writer produces at End.
    int32_t AddCsvBlock(std::string_view section, std::string_view subSection, CsvWriteLine writer,
                        int64_t context1, int64_t context2, ResultInfo* info = nullptr);
    // Cache mode only (else ZUL_ERR): hands every data line of every CSV block of the
    // sub-section, as read from the file, to reader. The reader's error is returned.
    int32_t ReadCsvBlocks(std::string_view section, std::string_view subSection,
                          const CsvReadLine& reader, int64_t context1, int64_t context2,
                          ResultInfo* info = nullptr);
    // Cache mode only (else ZUL_ERR): the keys and values of the sub-section, in order.
    int32_t GetKeyValueLists(std::string_view section, std::string_view subSection,
                             std::vector<std::string>& keys, std::vector<std::string>& values,
                             ResultInfo* info = nullptr);
    // Cache mode only (else ZUL_ERR): replaces every record of the sub-section by one record per
    // pair, for as many pairs as the shorter list has.
    int32_t SetKeyValueLists(std::string_view section, std::string_view subSection,
                             const std::vector<std::string>& keys,
                             const std::vector<std::string>& values, ResultInfo* info = nullptr);

    // While cached: true when the file read has content and its last line has no line end.
    bool EndsMidLine() const { return !content_.empty() && content_.back() != '\n'; }

    // The model while cached (for inspection by owners and tests).
    const ProfileModel& Model() const { return *model_; }

private:
    // Begin without its log line on failure.
    int32_t EnterCache(bool forWrite, ResultInfo* info);
    int32_t WriteCache(ResultInfo* info);
    void LeaveCache();

    std::string path_;
    int layoutMode_ = kLayoutSettings;
    bool cached_ = false;
    bool forWrite_ = false;
    std::unique_ptr<ProfileModel> model_;
    std::unique_ptr<FileWriteLock> lock_;
    std::string content_;  // the file as read by Begin; CSV block offsets point into it
};

// The program's own executable path ("/proc/self/exe"), empty when it cannot be read.
std::string ExecutablePath();

}  // namespace zul
