// SPDX-License-Identifier: GPL-3.0-or-later
// A light-wave data file save that fails half way leaves the file that was there unchanged.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "buffering/TempFolder.h"
#include "lightwave/LightWaveFile.h"
#include "settings/MessageBox.h"
#include "settings/UiDefinition.h"

namespace zul {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(LightWaveSaveSafety, FailedSaveLeavesTheOldFileUnchanged) {
    testing::TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    std::string path = folder.File("wave.lwd");
    auto data = std::make_unique<LightWaveData>();
    LightWaveFrame frame;
    frame.Sample(1) = 17;
    data->StoreCurrentFrames(frame, frame);
    data->AppendCurrentToHistory();
    DataFileOptions options;
    ResultInfo info;
    ASSERT_EQ(SaveLightWaveFile(*data, path, false, options, &info), ZUL_OK);
    std::string before = ReadAll(path);
    ASSERT_FALSE(before.empty());

    for (int i = 0; i < 200; ++i) {
        frame.Sample(2) = 40000 + i;
        data->StoreCurrentFrames(frame, frame);
        data->AppendCurrentToHistory();
    }
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    int32_t code = SaveLightWaveFile(*data, path, false, options, &info);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(code, ZUL_ERR_OS_FILE_WRITE);
    EXPECT_EQ(ReadAll(path), before);
    auto loaded = std::make_unique<LightWaveData>();
    ASSERT_EQ(LoadLightWaveFile(*loaded, path, options, &info), ZUL_OK);
    EXPECT_EQ(loaded->HistorySize(0), 1u);
}

TEST(LightWaveSaveSafety, FailureTextNamesTheFileAndTheReason) {
    testing::TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    auto data = std::make_unique<LightWaveData>();
    LightWaveFrame frame;
    data->StoreCurrentFrames(frame, frame);
    data->AppendCurrentToHistory();
    DataFileOptions options;
    ResultInfo info;
    const std::string nowhere = folder.File("missing/wave.lwd");
    EXPECT_NE(SaveLightWaveFile(*data, nowhere, false, options, &info), ZUL_OK);
    UiDefinition ui;
    ASSERT_EQ(ui.Load(std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs"), ZUL_OK);
    const std::string text = ResultText(ui, info);
    EXPECT_NE(text.find("File: " + nowhere + "\n" + std::strerror(ENOENT)), std::string::npos)
        << text;

    // A folder at the path is refused and stays a folder.
    const std::string sub = folder.File("sub.lwd");
    std::filesystem::create_directory(sub);
    EXPECT_NE(SaveLightWaveFile(*data, sub, true, options, &info), ZUL_OK);
    EXPECT_EQ(info.detail1, sub);
    EXPECT_EQ(info.detail2, std::strerror(EISDIR));
    EXPECT_TRUE(std::filesystem::is_directory(sub));
}

}  // namespace
}  // namespace zul
