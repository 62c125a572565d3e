// SPDX-License-Identifier: GPL-3.0-or-later
// A buffering data file save that fails half way leaves the file that was there unchanged.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempFolder.h"
#include "buffering/BufferingFile.h"
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

std::unique_ptr<BufferingData> ThreeValues() {
    auto data = std::make_unique<BufferingData>();
    std::lock_guard lock(data->mutex);
    data->header[kSlotBufferType] = kBufferTypeOut1;
    data->header[BufferingValueSet::FinalDataPoint(0)] = 3;
    data->outputs[0].values[0] = 1.5;
    data->outputs[0].values[1] = 1.25;
    data->outputs[0].values[2] = -0.5;
    return data;
}

TEST(BufferingSaveSafety, FailedSaveOfANewFileLeavesNothingAndTheTextNamesFileAndReason) {
    testing::TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    auto data = ThreeValues();
    {
        std::lock_guard lock(data->mutex);
        data->header[BufferingValueSet::FinalDataPoint(0)] = kMaxBufferedValues;
    }
    const std::string path = folder.File("new.bfd");
    DataFileOptions options;
    ResultInfo info;
    int32_t code = WithFileSizeLimit(
        16 * 1024, [&] { return SaveBufferingFile(*data, path, false, options, &info); });
    EXPECT_EQ(code, ZUL_ERR_OS_FILE_WRITE);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("")),
                            std::filesystem::directory_iterator()),
              0);

    UiDefinition ui;
    ASSERT_EQ(ui.Load(std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs"), ZUL_OK);
    const std::string text = ResultText(ui, info);
    EXPECT_NE(text.find("File: " + path), std::string::npos) << text;
    EXPECT_NE(text.find(std::strerror(EFBIG)), std::string::npos) << text;

    // A folder that does not exist is named as well.
    const std::string nowhere = folder.File("missing/run.csv");
    EXPECT_EQ(SaveBufferingFile(*data, nowhere, true, options, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.detail1, nowhere);
    EXPECT_EQ(info.detail2, std::strerror(ENOENT));
}

TEST(BufferingSaveSafety, CsvOntoAFifoIsWrittenThroughNeverReplaced) {
    testing::TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    const std::string fifo = folder.File("live.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto data = ThreeValues();
    DataFileOptions options;
    ResultInfo info;
    // No reader: refused at once, not blocked.
    EXPECT_EQ(SaveBufferingFile(*data, fifo, true, options, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.osError, ENXIO);

    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(SaveBufferingFile(*data, fifo, true, options, &info), ZUL_OK);
    char text[256] = {};
    ssize_t n = ::read(reader, text, sizeof text - 1);
    ::close(reader);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(text, static_cast<size_t>(n)),
              "0,Output1,Output2\r\n1,1.500000,\r\n2,1.250000,\r\n3,-0.500000,\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace zul
