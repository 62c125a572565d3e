// A buffering data file save that fails half way leaves the file that was there unchanged.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "TempFolder.h"
#include "buffering/BufferingFile.h"

namespace zul {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs save with the process's file size limit lowered to limit bytes.
template <class Save>
int32_t WithFileSizeLimit(rlim_t limit, Save save) {
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &small);
    int32_t code = save();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    return code;
}

TEST(BufferingSaveSafety, FailedSaveLeavesTheOldFileUnchanged) {
    testing::TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    std::string path = folder.File("run.bfd");
    auto data = std::make_unique<BufferingData>();
    {
        std::lock_guard lock(data->mutex);
        data->header[kSlotBufferType] = kBufferTypeOut1;
        data->header[BufferingValueSet::FinalDataPoint(0)] = 3;
        data->outputs[0].values[0] = 1.5;
        data->outputs[0].values[1] = 1.25;
        data->outputs[0].values[2] = -0.5;
    }
    DataFileOptions options;
    ResultInfo info;
    ASSERT_EQ(SaveBufferingFile(*data, path, false, options, &info), ZUL_OK);
    std::string before = ReadAll(path);
    ASSERT_FALSE(before.empty());

    {
        std::lock_guard lock(data->mutex);
        data->header[BufferingValueSet::FinalDataPoint(0)] = kMaxBufferedValues;
        for (auto& v : data->outputs[0].values) {
            v = 123.456789;
        }
    }
    int32_t code = WithFileSizeLimit(
        64 * 1024, [&] { return SaveBufferingFile(*data, path, false, options, &info); });
    EXPECT_EQ(code, ZUL_ERR_OS_FILE_WRITE);
    EXPECT_EQ(ReadAll(path), before);

    // The old file still loads with its three values.
    auto loaded = std::make_unique<BufferingData>();
    ASSERT_EQ(LoadBufferingFile(*loaded, path, options, &info), ZUL_OK);
    std::lock_guard lock(loaded->mutex);
    EXPECT_EQ(loaded->HeldCount(0), 3);
    EXPECT_DOUBLE_EQ(loaded->outputs[0].values[2], -0.5);
}

TEST(BufferingSaveSafety, SaveStillDropsSectionsOfAnOlderFile) {
    testing::TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    std::string path = folder.File("old.bfd");
    {
        std::ofstream out(path, std::ios::binary);
        out << "[Stale]\r\n\t<Common>\r\n\t\tKey=1\r\n";
    }
    auto data = std::make_unique<BufferingData>();
    DataFileOptions options;
    ResultInfo info;
    ASSERT_EQ(SaveBufferingFile(*data, path, false, options, &info), ZUL_OK);
    EXPECT_EQ(ReadAll(path).find("Stale"), std::string::npos);
}

}  // namespace
}  // namespace zul
