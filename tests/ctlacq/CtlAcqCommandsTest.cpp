// SPDX-License-Identifier: GPL-3.0-or-later
// The acquisition commands of qvm8ctl, run as a program against the emulator: output shapes,
// files and exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Simulator.h"
#include "acqsupport/SimApplication.h"
#include "ctl/TamperedController.h"

namespace zul {
namespace {

struct RunResult {
    int status = -1;
    std::string out;
};

// Runs qvm8ctl on device with the block check on; its standard error goes to errPath.
RunResult RunCtl(const std::string& device, const std::string& arguments,
                 const std::string& errPath) {
    const std::string command = std::string(QVM8CTL_PROGRAM) + " --device " + device + " --bcc " +
                                arguments + " 2>" + errPath;
    RunResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.out.append(buffer, n);
    }
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class CtlAcqTest : public ::testing::Test {
protected:
    void SetUp() override {
        link_ = folder_.File("ctl-tty");
        ResultInfo info;
        ASSERT_EQ(sim_.StartPty(&info, link_), ZUL_OK) << info.detail1;
    }
    void TearDown() override { sim_.Stop(); }

    RunResult Run(const std::string& arguments) {
        return RunCtl(link_, arguments, folder_.File("stderr"));
    }
    std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines.push_back(line);
        }
        return lines;
    }
    std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    test::PrivateFolder folder_;
    sim::Simulator sim_;
    std::string link_;
};

TEST_F(CtlAcqTest, MeasurePrintsOneJsonObjectPerCycle) {
    sim_.WriteWords(2807, {0xFFFF, 0xFFFF});
    RunResult r = Run("--json measure --count 2");
    ASSERT_EQ(r.status, 0) << ReadAll(folder_.File("stderr"));
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.front(), '{');
        for (const char* key :
             {"\"out1\": {", "\"out2\": {",
              "\"headA\": {\"laser_off\": ", "\"headB\": {\"laser_off\": ", "\"value\": ",
              "\"strobe\": ", "\"hi\": ", "\"go\": ", "\"low\": ", "\"extension\": ", "\"alarm\": ",
              "\"zero_set\": ", "\"timing\": ", "\"reset\": ", "\"alarm_code\": "}) {
            EXPECT_NE(line.find(key), std::string::npos) << key;
        }
        EXPECT_NE(line.find("\"zero_set_value\": -0.000001"), std::string::npos) << line;
    }
}

TEST_F(CtlAcqTest, PlainMeasureFormatsTheValues) {
    RunResult r = Run("measure");
    ASSERT_EQ(r.status, 0) << ReadAll(folder_.File("stderr"));
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[0].rfind("out1: +", 0) == 0 || lines[0].rfind("out1: -", 0) == 0, true)
        << lines[0];
    EXPECT_EQ(lines[2].rfind("headA: laser_off=", 0), 0u);
}

TEST_F(CtlAcqTest, BufferRunReadAndStatuses) {
    // Nothing buffered yet.
    EXPECT_EQ(Run("buffer read -o " + folder_.File("none.csv")).status, ZUL_ERR_NO_BUFF_DATA);
    // Started without waiting, the controller buffers: a read is refused.
    ASSERT_EQ(Run("buffer start").status, 0) << ReadAll(folder_.File("stderr"));
    EXPECT_EQ(Run("buffer read -o " + folder_.File("busy.csv")).status, ZUL_ERR_BUFFERING_BUSY);
    ASSERT_EQ(Run("buffer stop").status, 0);

    RunResult run = Run("--json buffer start --wait");
    ASSERT_EQ(run.status, 0) << ReadAll(folder_.File("stderr"));
    EXPECT_NE(run.out.find("\"state\": 3"), std::string::npos) << run.out;
    RunResult state = Run("buffer state");
    ASSERT_EQ(state.status, 0);
    EXPECT_NE(state.out.find("out1: state=3"), std::string::npos) << state.out;

    std::string csv = folder_.File("values.csv");
    RunResult read = Run("--json buffer read -o " + csv);
    ASSERT_EQ(read.status, 0) << ReadAll(folder_.File("stderr"));
    std::vector<std::string> rows = Lines(ReadAll(csv));
    ASSERT_GT(rows.size(), 2u);
    EXPECT_EQ(rows[0], "0,Output1,Output2");
    EXPECT_EQ(rows[1].rfind("1,", 0), 0u);
    std::vector<int64_t> stored =
        sim_.WithController([](sim::SimController& c) { return c.Buffering().Values(0); });
    EXPECT_EQ(rows.size(), stored.size() + 1);
    EXPECT_NE(read.out.find("\"out1_values\": " + std::to_string(stored.size())), std::string::npos)
        << read.out;

    std::string bfd = folder_.File("values.bfd");
    ASSERT_EQ(Run("buffer read -o " + bfd).status, 0);
    EXPECT_NE(ReadAll(bfd).find("StoreNum"), std::string::npos);
}

TEST_F(CtlAcqTest, LightWaveSavesTheCapturedFrames) {
    std::string path = folder_.File("wave.lwd");
    RunResult r = Run("--json lightwave --frames 3 -o " + path);
    ASSERT_EQ(r.status, 0) << ReadAll(folder_.File("stderr"));
    EXPECT_NE(r.out.find("\"frames\": 3"), std::string::npos) << r.out;
    EXPECT_FALSE(ReadAll(path).empty());
    EXPECT_EQ(Run("lightwave -o " + folder_.File("wave.txt")).status, 64);
}

TEST_F(CtlAcqTest, OutputFileThatCannotBeWrittenIsRefusedBeforeAnyRequest) {
    const std::string folderNamedLikeAFile = folder_.File("values.bfd");
    std::filesystem::create_directory(folderNamedLikeAFile);
    for (const std::string& command :
         {"buffer read -o " + folder_.File("missing/values.bfd"),
          "buffer read -o " + folderNamedLikeAFile,
          "lightwave --frames 2 -o " + folder_.File("missing/wave.lwd")}) {
        RunResult r = Run(command);
        EXPECT_EQ(r.status, ZUL_ERR_FILE_WRITE)
            << command << ": " << ReadAll(folder_.File("stderr"));
        EXPECT_TRUE(r.out.empty()) << command;
    }
    // Only the words that every connection reads reached the controller.
    for (const std::string& frame : sim_.ReceivedFrames()) {
        EXPECT_EQ(frame.rfind("%EE#RDD", 0), 0u) << frame;
    }
    EXPECT_FALSE(std::filesystem::exists(folder_.File("missing")));
}

TEST_F(CtlAcqTest, ScalingStatuses) {
    EXPECT_EQ(Run("scale --out 1 1.0 5.0 -1.0 -5.0").status, 0) << ReadAll(folder_.File("stderr"));
    EXPECT_EQ(Run("scale --out 2 1.0 5.0 1.0 -5.0").status, ZUL_ERR_BAD_SCALING);
    EXPECT_EQ(Run("scale --out 3 1 2 3 4").status, 64);
    EXPECT_EQ(Run("scale --out 1 1 x 3 4").status, 64);
    // Numbers are taken only when the whole word is one: no exponent, infinity or hex form.
    EXPECT_EQ(Run("scale --out 1 1 5 inf -5").status, 64);
    EXPECT_EQ(Run("scale --out 1 1 5 0x1 -5").status, 64);
    EXPECT_EQ(Run("scale --out 0x1 1 5 -1 -5").status, 64);
    size_t cancels = 0;
    for (const std::string& frame : sim_.ReceivedFrames()) {
        cancels += frame.rfind("%EE#WAS400002", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(cancels, 1u);
}

TEST_F(CtlAcqTest, CalibrateAndFloodLight) {
    EXPECT_EQ(Run("calibrate --head B 0.2 0.25 0.8 0.75").status, 0)
        << ReadAll(folder_.File("stderr"));
    RunResult flood = Run("--json floodlight --head A");
    ASSERT_TRUE(flood.status == 0 || flood.status == ZUL_ERR_FLOOD_LIGHT_SEARCH)
        << ReadAll(folder_.File("stderr"));
    EXPECT_NE(flood.out.find("\"flood_light\": "), std::string::npos) << flood.out;
}

// Replies with a valid block check whose data does not decode: the command exits with
// ZUL_ERR_COMM_RES, prints no values and writes no file.
class CtlAcqMalformedTest : public ::testing::Test {
protected:
    RunResult Run(const std::string& arguments) {
        return RunCtl(controller_.DevicePath(), arguments, folder_.File("stderr"));
    }
    std::string Err() {
        std::ifstream in(folder_.File("stderr"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Damages the reply to every request that starts with the prefix.
    void Damage(const std::string& prefix, std::function<std::string(std::string)> damage) {
        controller_.SetTamper([=](const std::string& request, std::string reply) {
            return request.rfind(prefix, 0) == 0 ? damage(std::move(reply)) : reply;
        });
    }
    static std::vector<std::pair<std::string, std::function<std::string(std::string)>>> Damages() {
        using test::TamperedController;
        return {{"two short", TamperedController::TwoShort},
                {"letter", [](std::string r) { return TamperedController::LetterAt(r, 9); }},
                {"no data", TamperedController::NoData}};
    }

    test::PrivateFolder folder_;
    test::TamperedController controller_;
};

TEST_F(CtlAcqMalformedTest, MeasurePrintsNoInventedValues) {
    ASSERT_EQ(Run("measure").status, 0) << Err();  // the undamaged controller answers
    for (const char* prefix : {"%EE#RMB5", "%EE#RZS3", "%EE#RDD02807", "%EE#ROA4"}) {
        for (const auto& [name, damage] : Damages()) {
            Damage(prefix, damage);
            RunResult r = Run("--json measure");
            EXPECT_EQ(r.status, ZUL_ERR_COMM_RES) << prefix << " " << name << ": " << Err();
            EXPECT_TRUE(r.out.empty()) << prefix << " " << name << ": " << r.out;
            EXPECT_NE(Err().find("ZUL_ERR_COMM_RES"), std::string::npos) << Err();
        }
    }
}

TEST_F(CtlAcqMalformedTest, BufferReadWritesNoFileFromABadReply) {
    RunResult started = Run("buffer start --wait");
    ASSERT_EQ(started.status, 0) << Err();
    int n = 0;
    // A value block is a run of differences of no fixed width: losing the last digits of the
    // last difference leaves a well-formed block, so its shortening drops a whole difference.
    auto lastValueShort = [](std::string r) {
        size_t sign = r.find_last_of("+-");
        r.resize(sign != std::string::npos && sign > 18 ? sign : r.size());
        return r;
    };
    auto damages = Damages();
    damages.emplace_back("one value short", lastValueShort);
    for (const char* prefix : {"%EE#RLB3", "%EE#RLD3", "%EE#RTL5", "%EE#RBD5"}) {
        for (const auto& [name, damage] : damages) {
            const bool block = std::string(prefix) == "%EE#RLB3";
            if ((name == "two short" && block) || (name == "one value short" && !block)) {
                continue;
            }
            Damage(prefix, damage);
            const std::string path = folder_.File("values" + std::to_string(++n) + ".bfd");
            RunResult r = Run("buffer read -o " + path);
            EXPECT_EQ(r.status, ZUL_ERR_COMM_RES) << prefix << " " << name << ": " << Err();
            EXPECT_FALSE(std::filesystem::exists(path)) << prefix << " " << name;
        }
    }
    Damage("%EE#RLB", [](std::string r) { return r; });
    const std::string good = folder_.File("good.bfd");
    EXPECT_EQ(Run("buffer read -o " + good).status, 0) << Err();
    EXPECT_TRUE(std::filesystem::exists(good));
}

TEST_F(CtlAcqMalformedTest, LightWaveWritesNoFileFromABadReply) {
    int n = 0;
    for (const char* prefix : {"%EE#RDD17201", "%EE#RDD00044"}) {
        for (const auto& [name, damage] : Damages()) {
            Damage(prefix, damage);
            const std::string path = folder_.File("wave" + std::to_string(++n) + ".lwd");
            RunResult r = Run("lightwave -o " + path);
            EXPECT_EQ(r.status, ZUL_ERR_COMM_RES) << prefix << " " << name << ": " << Err();
            EXPECT_FALSE(std::filesystem::exists(path)) << prefix << " " << name;
        }
    }
}

}  // namespace
}  // namespace zul
