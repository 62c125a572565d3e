// SPDX-License-Identifier: GPL-3.0-or-later
// The profile file layer on arbitrary file content: the parser and writer of the model, the
// cached file reads (keys, values and CSV blocks of every sub-section), the direct reads, and
// the text rules. The first byte chooses the writer's layout.
//  - In the layouts with headers, writing what was read and reading it again gives the same
//    text once more (a file the tool wrote reads back to what it wrote).
//  - Escaping and quoting are undone exactly by unescaping and unquoting.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzFile.h"
#include "base/ProfileText.h"
#include "settings/DirectProfile.h"
#include "settings/ProfileFile.h"
#include "settings/ProfileModel.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::string Written(const zul::ProfileModel& model, int layout, std::string_view content) {
    std::string out;
    model.Write(
        layout, content,
        [&](std::string_view line) {
            out.append(line);
            out.append("\r\n");
            return true;
        },
        nullptr);
    return out;
}

void ReadThroughFile(const std::string& path) {
    zul::ProfileFile file;
    file.SetPath(path);
    if (file.Begin(false) != zul::ZUL_OK) {
        return;
    }
    std::vector<std::pair<std::string, std::string>> names;
    for (const auto& section : file.Model().Sections()) {
        for (const auto& sub : section->subSections) {
            names.emplace_back(section->name, sub->name);
        }
    }
    for (const auto& [section, sub] : names) {
        std::vector<std::string> keys;
        std::vector<std::string> values;
        file.GetKeyValueLists(section, sub, keys, values);
        Check(keys.size() == values.size());
        size_t lines = 0;
        file.ReadCsvBlocks(
            section, sub,
            [&](int64_t, int64_t, zul::ResultInfo&, int64_t& state, bool& done,
                const std::string& line) {
                Check(line.find('\n') == std::string::npos);
                ++state;
                done = ++lines > 100000;
            },
            0, 0);
        if (!keys.empty()) {
            file.GetString(section, sub, keys.front(), "");
            std::string direct;
            zul::ReadDirectValue(path, section, keys.front(), direct);
        }
    }
    file.End();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 1) {
        return 0;
    }
    static zul::fuzz::ScratchFile scratch(".zul");
    const int layout = bytes[0] % 5;
    std::string_view content(reinterpret_cast<const char*>(bytes + 1), size - 1);

    zul::ProfileModel first;
    first.Parse(content);
    std::string once = Written(first, layout, content);
    // The layouts of CSV exports write data lines only: they are not meant to be read back.
    if (layout != zul::kLayoutCsvOnly && layout != zul::kLayoutCsvExport) {
        zul::ProfileModel second;
        second.Parse(once);
        std::string twice = Written(second, layout, once);
        Check(once == twice);
    }

    scratch.Write(bytes + 1, size - 1);
    ReadThroughFile(scratch.Path());

    Check(zul::UnescapeText(zul::EscapeText(content)) == content);
    Check(zul::UnquoteText(zul::QuoteText(content)) == content ||
          content.find_first_of("\r\n") != std::string_view::npos);
    zul::SplitCommaList(content);
    zul::SplitProfileLine(content);
    return 0;
}
