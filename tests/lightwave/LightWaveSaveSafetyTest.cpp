// A light-wave data file save that fails half way leaves the file that was there unchanged.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "buffering/TempFolder.h"
#include "lightwave/LightWaveFile.h"

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

}  // namespace
}  // namespace zul
