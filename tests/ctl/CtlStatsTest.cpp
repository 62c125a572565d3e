// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8ctl stats: the program itself on buffering data files and CSV exports written by the
// buffering file layer, with results worked out by hand, and every refused input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/AppTestSupport.h"
#include "base/ChildProcess.h"
#include "buffering/BufferingFile.h"

namespace zul::test {
namespace {

struct StatsRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CtlStatsTest : public ::testing::Test {
protected:
    // Runs qvm8ctl with the words given, standard output and error into files of the home.
    StatsRun Ctl(std::vector<std::string> args) {
        const std::string outPath = home.Path("stdout");
        const std::string errPath = home.Path("stderr");
        args.insert(args.begin(), QVM8CTL_PROGRAM);
        StatsRun run;
        const pid_t pid = StartChild(
            args, {ChildStream{}, ChildStream::File(outPath), ChildStream::File(errPath)});
        if (pid == 0) {
            ADD_FAILURE() << "cannot start qvm8ctl";
            return run;
        }
        run.status = WaitForChild(pid);
        run.out = ReadFileText(outPath);
        run.err = ReadFileText(errPath);
        return run;
    }

    // Writes a buffering data file (or with exportCsv its CSV export) holding the values.
    std::string WriteBuffering(const std::string& name, const std::vector<double>& out1,
                               const std::vector<double>& out2, bool exportCsv = false,
                               DataFileOptions options = {}) {
        auto data = std::make_unique<BufferingData>();
        const std::vector<double>* outputs[2] = {&out1, &out2};
        for (int out = 0; out < 2; ++out) {
            for (size_t i = 0; i < outputs[out]->size(); ++i) {
                data->outputs[static_cast<size_t>(out)].values[i] = (*outputs[out])[i];
            }
            data->header[BufferingValueSet::FinalDataPoint(out)] =
                static_cast<int32_t>(outputs[out]->size());
        }
        const std::string path = home.Path(name);
        ResultInfo info;
        EXPECT_EQ(SaveBufferingFile(*data, path, exportCsv, options, &info), ZUL_OK)
            << info.detail2;
        return path;
    }

    TestHome home;
};

// The text of a field of the object "outN" in a --json line.
std::string Field(const std::string& json, const std::string& output, const std::string& key) {
    const size_t object = json.find("\"" + output + "\": {");
    if (object == std::string::npos) {
        return "<no " + output + ">";
    }
    const std::string label = "\"" + key + "\": ";
    const size_t at = json.find(label, object);
    if (at == std::string::npos) {
        return "<no " + key + ">";
    }
    const size_t begin = at + label.size();
    size_t end = begin;
    int depth = 0;
    for (; end < json.size(); ++end) {
        const char c = json[end];
        if (c == '[' || c == '{') {
            ++depth;
        } else if (c == ']' || c == '}') {
            if (depth == 0) {
                break;
            }
            --depth;
            if (depth == 0) {
                ++end;
                break;
            }
        } else if (c == ',' && depth == 0) {
            break;
        }
    }
    return json.substr(begin, end - begin);
}

double Number(const std::string& json, const std::string& output, const std::string& key) {
    const std::string text = Field(json, output, key);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    EXPECT_TRUE(end != text.c_str() && *end == '\0') << key << ": " << text;
    return value;
}

TEST_F(CtlStatsTest, ValuesNearTheMeasuringLimitFromADataFile) {
    // OUT1 999.999000 .. 999.999009 and OUT2 their negatives, six decimals as the file keeps
    // them: the spread of 0..9 millionths, sqrt(82.5 / 9) * 1e-6.
    std::vector<double> out1;
    std::vector<double> out2;
    for (int k = 0; k < 10; ++k) {
        out1.push_back(999.999 + k * 1e-6);
        out2.push_back(-(999.999 + k * 1e-6));
    }
    const std::string file = WriteBuffering("limit.bfd", out1, out2);
    StatsRun run = Ctl({"--json", "stats", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
    for (const char* output : {"out1", "out2"}) {
        EXPECT_EQ(Field(run.out, output, "count"), "10");
        EXPECT_NEAR(Number(run.out, output, "stddev"), std::sqrt(82.5 / 9.0) * 1e-6, 1e-12)
            << output;
        EXPECT_NEAR(Number(run.out, output, "stddev_within"), 1e-6 / 1.128, 1e-12) << output;
        EXPECT_NEAR(Number(run.out, output, "range"), 9e-6, 1e-12) << output;
        // Without limits every index and share is undefined.
        for (const char* key : {"lsl", "usl", "cp", "cpk", "pp", "ppk", "below", "inside"}) {
            EXPECT_EQ(Field(run.out, output, key), "null") << output << " " << key;
        }
    }
    EXPECT_NEAR(Number(run.out, "out1", "mean"), 999.9990045, 1e-9);
    EXPECT_NEAR(Number(run.out, "out2", "mean"), -999.9990045, 1e-9);
    // Full precision: the smallest value comes back as the double the file's text gives.
    EXPECT_EQ(Field(run.out, "out2", "min"), "-999.999009");
    EXPECT_EQ(Field(run.out, "out1", "max"), "999.999009");
}

TEST_F(CtlStatsTest, CapabilityWorkedByHandFromACsvExport) {
    // 1..5: mean 3, s = sqrt(2.5), MR-bar 1, sigma within 1 / 1.128.
    const std::string file = WriteBuffering("five.csv", {1, 2, 3, 4, 5}, {}, true);
    const double within = 1.0 / 1.128;
    const double overall = std::sqrt(2.5);
    StatsRun run = Ctl({"--json", "stats", file, "--lsl", "1", "--usl", "7"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Field(run.out, "out2", "count"), "<no out2>");  // OUT2 holds no values
    EXPECT_NEAR(Number(run.out, "out1", "cp"), 6.0 / (6.0 * within), 1e-12);
    EXPECT_NEAR(Number(run.out, "out1", "cpk"), 2.0 / (3.0 * within), 1e-12);
    EXPECT_NEAR(Number(run.out, "out1", "pp"), 6.0 / (6.0 * overall), 1e-12);
    EXPECT_NEAR(Number(run.out, "out1", "ppk"), 2.0 / (3.0 * overall), 1e-12);
    EXPECT_EQ(Field(run.out, "out1", "median"), "3");
    EXPECT_EQ(Field(run.out, "out1", "below"), "{\"count\": 0, \"share\": 0}");
    EXPECT_EQ(Field(run.out, "out1", "inside"), "{\"count\": 5, \"share\": 1}");
    EXPECT_EQ(Field(run.out, "out1", "center"), "3");
    EXPECT_EQ(Field(run.out, "out1", "mr_bar"), "1");
    EXPECT_EQ(Field(run.out, "out1", "mr_ucl"), "3.267");
    EXPECT_NEAR(Number(run.out, "out1", "ucl"), 3.0 + 3.0 * within, 1e-12);
    EXPECT_NEAR(Number(run.out, "out1", "lcl"), 3.0 - 3.0 * within, 1e-12);

    // The upper limit only: the one-sided indices, Cp and Pp undefined.
    run = Ctl({"--json", "stats", file, "--usl", "4.5"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Field(run.out, "out1", "cp"), "null");
    EXPECT_EQ(Field(run.out, "out1", "pp"), "null");
    EXPECT_NEAR(Number(run.out, "out1", "cpk"), 1.5 / (3.0 * within), 1e-12);
    EXPECT_NEAR(Number(run.out, "out1", "ppk"), 1.5 / (3.0 * overall), 1e-12);
    EXPECT_EQ(Field(run.out, "out1", "below"), "null");
    EXPECT_EQ(Field(run.out, "out1", "inside"), "{\"count\": 4, \"share\": 0.8}");
    EXPECT_EQ(Field(run.out, "out1", "above"), "{\"count\": 1, \"share\": 0.2}");

    // Subgroups of two ({1, 2}, {3, 4}, {5}): squares 0.5 + 0.5 over 2 degrees, c4(3);
    // three bins given: 1..2.33, 2.33..3.67, 3.67..5.
    run = Ctl({"--json", "stats", file, "--subgroup", "2", "--bins", "3"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NEAR(Number(run.out, "out1", "stddev_within"),
                std::sqrt(0.5) / (std::sqrt(3.14159265358979323846) / 2.0), 1e-12);
    EXPECT_EQ(Field(run.out, "out1", "counts"), "[2, 1, 2]");
}

TEST_F(CtlStatsTest, LimitsOfTheSettingsFilesCurrentBank) {
    const std::string file = WriteBuffering("two.bfd", {1, 2, 3, 4, 5}, {10, 20, 30});
    const std::string settings = home.Path("limits.zul");
    WriteFileText(settings,
                  "[ZUL_APP_DATA]\r\nCurMemNo=3\r\n"
                  "[MEM0_OUT1]\r\nDecisionMax=100.000000\r\nDecisionMin=-100.000000\r\n"
                  "[MEM3_OUT1]\r\nDecisionMax=4.500000\r\nDecisionMin=1.500000\r\n"
                  "[MEM3_OUT2]\r\nDecisionMax=25.000000\r\nDecisionMin=5.000000\r\n");
    StatsRun run = Ctl({"--json", "stats", file, "--limits", settings});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Field(run.out, "out1", "lsl"), "1.5");
    EXPECT_EQ(Field(run.out, "out1", "usl"), "4.5");
    EXPECT_EQ(Field(run.out, "out2", "lsl"), "5");
    EXPECT_EQ(Field(run.out, "out2", "usl"), "25");
    EXPECT_EQ(Field(run.out, "out1", "below"), "{\"count\": 1, \"share\": 0.2}");
    EXPECT_EQ(Field(run.out, "out2", "above"), "{\"count\": 1, \"share\": 0.3333333333333333}");
    // A limit given on the command line takes the place of the file's, for every output.
    run = Ctl({"--json", "stats", file, "--limits", settings, "--usl", "50", "--out", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Field(run.out, "out1", "count"), "<no out1>");
    EXPECT_EQ(Field(run.out, "out2", "lsl"), "5");
    EXPECT_EQ(Field(run.out, "out2", "usl"), "50");
    // The file's lower limit above a given upper one.
    run = Ctl({"stats", file, "--limits", settings, "--usl", "1"});
    EXPECT_EQ(run.status, ZUL_ERR_RANGE) << run.out;
    EXPECT_EQ(run.err.rfind("qvm8ctl: ZUL_ERR_RANGE: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("OUT1"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
}

TEST_F(CtlStatsTest, ViolationsCountFromOneAndPlainOutput) {
    // 0, 1, 0, 1, ...: mean 0.5, MR-bar 1, sigma 1 / 1.128 = 0.887; every point lies within
    // 1 sigma and alternates, so rule 4 flags values 14..16 and rule 7 values 15 and 16.
    std::vector<double> values;
    for (int i = 0; i < 16; ++i) {
        values.push_back(i % 2);
    }
    DataFileOptions semicolonComma;
    semicolonComma.csvSeparator = 1;
    semicolonComma.csvUnderdigit = 1;
    const std::string file = WriteBuffering("alt.csv", values, {}, true, semicolonComma);
    StatsRun run = Ctl({"--json", "stats", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Field(run.out, "out1", "violations"),
              "[{\"rule\": 4, \"index\": 14}, {\"rule\": 4, \"index\": 15}, "
              "{\"rule\": 7, \"index\": 15}, {\"rule\": 4, \"index\": 16}, "
              "{\"rule\": 7, \"index\": 16}]");
    EXPECT_EQ(Field(run.out, "out1", "mean"), "0.5");

    run = Ctl({"stats", file, "--lsl", "-1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("out1: 16 values\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\n  mean: 0.5\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n  cp: undefined\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n  above: undefined\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n  below: 0 (share 0)\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n  rule 4: 14 15 16\n  rule 7: 15 16\n"), std::string::npos);
    EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST_F(CtlStatsTest, RefusedInputEndsWithAClearMessage) {
    const std::string good = WriteBuffering("good.csv", {1, 2, 3}, {}, true);
    const std::string onlyOut1 = WriteBuffering("one.bfd", {1, 2, 3}, {});
    const std::string empty = WriteBuffering("empty.bfd", {}, {});
    const std::string badNumber = home.Path("bad.csv");
    WriteFileText(badNumber, "0,Output1,Output2\r\n1,1.5,2.5\r\n2,1.7e3,\r\n");
    const std::string badOrder = home.Path("order.csv");
    WriteFileText(badOrder, "0,Output1,Output2\r\n2,1.5,2.5\r\n1,1.7,\r\n");
    const std::string gap = home.Path("gap.csv");
    WriteFileText(gap, "0,Output1,Output2\r\n1,1.5,2.5\r\n2,,2.6\r\n3,1.8,\r\n");
    const std::string folder = home.Path("folder.bfd");
    std::filesystem::create_directories(folder);
    const std::string noTitle = home.Path("plain.csv");
    WriteFileText(noTitle, "1.5\r\n2.5\r\n");
    const std::string noLimits = home.Path("nolimits.zul");
    WriteFileText(noLimits,
                  "[ZUL_APP_DATA]\r\nCurMemNo=2\r\n[MEM2_OUT1]\r\nMeasureWork=1\r\n"
                  "[MEM5_OUT1]\r\nDecisionMax=1.000000\r\n");
    const std::string badBank = home.Path("bank.zul");
    WriteFileText(badBank, "[ZUL_APP_DATA]\r\nCurMemNo=16\r\n[MEM2_OUT1]\r\nDecisionMax=1\r\n");

    struct Refused {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const std::vector<Refused> cases = {
        {{"stats", home.Path("missing.bfd")}, ZUL_ERR_FILE_READ, "missing.bfd"},
        {{"stats", home.Path("missing.csv")}, ZUL_ERR_FILE_READ, "No such file"},
        {{"stats", home.Root() + "/"}, 64, ".bfd or .csv"},
        {{"stats", folder}, ZUL_ERR_FILE_READ, "Is a directory"},
        {{"stats", home.Path("values.txt")}, 64, ".bfd or .csv"},
        {{"stats", badNumber}, ZUL_ERR_FILE_READ, "line 3: \"1.7e3\" is not a number"},
        {{"stats", badOrder}, ZUL_ERR_FILE_READ, "line 2: row number 1 expected"},
        {{"stats", gap}, ZUL_ERR_FILE_READ, "line 4: a value of OUT1 after its values had ended"},
        {{"stats", noTitle}, ZUL_ERR_FILE_READ, "no title row"},
        {{"stats", empty}, ZUL_ERR_FILE_READ, "holds no values"},
        {{"stats", onlyOut1, "--out", "2"}, ZUL_ERR_FILE_READ, "holds no values of OUT2"},
        {{"stats", good, "--lsl", "2", "--usl", "2"}, 64, "--lsl must be below --usl"},
        {{"stats", good, "--lsl", "3", "--usl", "2"}, 64, "--lsl must be below --usl"},
        {{"stats", good, "--lsl", "abc"}, 64, "--lsl takes a decimal number"},
        {{"stats", good, "--usl", "1e3"}, 64, "--usl takes a decimal number"},
        {{"stats", good, "--subgroup", "0"}, 64, "--subgroup"},
        {{"stats", good, "--subgroup", "-2"}, 64, "--subgroup"},
        {{"stats", good, "--bins", "0"}, 64, "--bins takes a whole number from 1 to 200"},
        {{"stats", good, "--bins", "201"}, 64, "--bins takes a whole number from 1 to 200"},
        {{"stats", good, "--out", "3"}, 64, "--out takes 1 or 2"},
        {{"stats", good, "--limits", noLimits},
         ZUL_ERR_INI_FILE_READ,
         "holds no judgement limits of memory bank 2"},
        {{"stats", good, "--limits", badBank}, ZUL_ERR_INI_FILE_READ, "current memory bank 16"},
        {{"stats", good, "--limits", home.Path("none.zul")}, ZUL_ERR_INI_FILE_READ, "No such file"},
        {{"stats"}, 64, "wrong number of arguments"},
        {{"stats", good, "--weird"}, 64, "unknown option --weird"},
    };
    for (const Refused& c : cases) {
        std::string joined;
        for (const std::string& a : c.args) {
            joined += a + " ";
        }
        StatsRun run = Ctl(c.args);
        EXPECT_EQ(run.status, c.status) << joined << run.err;
        EXPECT_EQ(run.err.rfind("qvm8ctl: ", 0), 0u) << joined << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << joined << run.err;
        EXPECT_TRUE(run.out.empty()) << joined << run.out;
    }
}

}  // namespace
}  // namespace zul::test
