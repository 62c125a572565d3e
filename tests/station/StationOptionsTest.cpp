// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8-station's options: the command line, the configuration file, and what either refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StationOptions.h"
#include "app/AppTestSupport.h"

namespace zul::station {
namespace {

namespace fs = std::filesystem;

bool Parse(std::vector<std::string> args, StationOptions& options, std::string& error) {
    args.insert(args.begin(), "qvm8-station");
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    return ParseStationOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(StationOptions, CommandLine) {
    StationOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--broker",
                       "plant-broker:1884",
                       "--id",
                       "line-1.a",
                       "--device",
                       "/dev/ttyS3",
                       "--baud",
                       "2",
                       "--data-bits",
                       "7",
                       "--parity",
                       "odd",
                       "--no-bcc",
                       "--timeout",
                       "1",
                       "--cycle",
                       "200",
                       "--reference",
                       "/x/ref.zul",
                       "--drift-every",
                       "15",
                       "--buffer",
                       "--username",
                       "st",
                       "--password-file",
                       "/etc/pw",
                       "--cafile",
                       "/etc/ca.pem",
                       "--state",
                       "/var/lib/s"},
                      o, error))
        << error;
    EXPECT_EQ(o.brokerHost, "plant-broker");
    EXPECT_EQ(o.BrokerPort(), 1884);
    EXPECT_EQ(o.id, "line-1.a");
    EXPECT_EQ(o.TopicPrefix(), "qvm8/line-1.a/");
    EXPECT_EQ(*o.device, "/dev/ttyS3");
    EXPECT_EQ(*o.baud, 2);
    EXPECT_EQ(*o.dataLength, 0);
    EXPECT_EQ(*o.parity, 1);
    EXPECT_EQ(*o.bcc, 0);
    EXPECT_EQ(*o.timeout, 1);
    EXPECT_EQ(o.cycleMs, 200);
    EXPECT_EQ(o.reference, "/x/ref.zul");
    EXPECT_EQ(o.referenceGiven, "/x/ref.zul");
    EXPECT_EQ(o.driftEveryMin, 15);
    EXPECT_TRUE(o.buffer);
    EXPECT_EQ(o.username, "st");
    EXPECT_EQ(o.passwordFile, "/etc/pw");
    EXPECT_EQ(o.cafile, "/etc/ca.pem");
    EXPECT_EQ(o.stateFolder, "/var/lib/s");

    // Defaults: the cycle of the measurement window, hourly drift checks, 1883 or 8883 with TLS.
    StationOptions d;
    ASSERT_TRUE(Parse({"--broker", "[::1]", "--id", "s", "--usb", "12345"}, d, error)) << error;
    EXPECT_EQ(d.brokerHost, "::1");
    EXPECT_EQ(d.BrokerPort(), 1883);
    EXPECT_EQ(*d.usb, "12345");
    EXPECT_FALSE(d.device);
    EXPECT_EQ(d.cycleMs, 500);
    EXPECT_EQ(d.driftEveryMin, 60);
    EXPECT_FALSE(d.buffer);
    d.cafile = "/ca.pem";
    EXPECT_EQ(d.BrokerPort(), 8883);
}

TEST(StationOptions, CommandLineErrorsNameTheOption) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    // Every case but the first few has a broker and a name; the rest of it is the fault.
    auto with = [](std::vector<std::string> rest) {
        std::vector<std::string> args = {"--broker", "b", "--id", "s"};
        args.insert(args.end(), rest.begin(), rest.end());
        return args;
    };
    for (const Case& c : std::vector<Case>{
             {{"--id", "s"}, "no broker"},
             {{"--broker", "b"}, "no station name"},
             {{"--broker", "b:0", "--id", "s"}, "--broker takes"},
             {{"--broker", "b:70000", "--id", "s"}, "--broker takes"},
             {{"--broker", "::1:1883", "--id", "s"}, "--broker takes"},
             {{"--broker", "b", "--id", "a/b"}, "--id takes"},
             {{"--broker", "b", "--id", "a+#"}, "--id takes"},
             {with({"--cycle", "150"}), "--cycle takes"},
             {with({"--cycle", "0"}), "--cycle takes"},
             {with({"--cycle", "x"}), "--cycle takes"},
             {with({"--baud", "4"}), "--baud takes"},
             {with({"--parity", "mark"}), "--parity takes"},
             {with({"--drift-every", "-1"}), "--drift-every takes"},
             {with({"--reference", "ref.txt"}), "--reference needs"},
             {with({"--password-file", "/pw"}), "needs a user name"},
             {with({"--cycle"}), "--cycle needs a value"},
             {with({"--frobnicate"}), "unknown option --frobnicate"},
             {with({"extra"}), "unexpected argument extra"},
             {with({"--config", "/no/such/station.conf"}), "cannot read the configuration file"},
         }) {
        StationOptions o;
        std::string error;
        EXPECT_FALSE(Parse(c.args, o, error)) << c.says;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

TEST(StationOptions, ConfigurationFileAndCommandLineOverIt) {
    test::TestHome home;
    const std::string config = home.Path("etc/line1.conf");
    fs::create_directories(home.Path("etc"));
    test::WriteFileText(config,
                        "; station at line 1\r\n"
                        "[broker]\r\n"
                        "host = broker.plant:1885\r\n"
                        "username = line1\r\n"
                        "password-file = line1.password\r\n"
                        "\r\n"
                        "[Controller]\r\n"
                        "device=/dev/ttyUSB0\r\n"
                        "bcc = on\r\n"
                        "timeout = 3  ; 5 s\r\n"
                        "[station]\r\n"
                        "id = line1\r\n"
                        "cycle = 1000\r\n"
                        "reference = \"golden settings.zul\"\r\n"
                        "buffer = yes\r\n");
    StationOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--config", config, "--cycle", "300", "--device", "/dev/ttyS0"}, o, error))
        << error;
    EXPECT_EQ(o.configFile, config);
    EXPECT_EQ(o.brokerHost, "broker.plant");
    EXPECT_EQ(o.BrokerPort(), 1885);
    EXPECT_EQ(o.username, "line1");
    // Relative paths of the file are taken from the file's folder.
    EXPECT_EQ(o.passwordFile, home.Path("etc/line1.password"));
    EXPECT_EQ(o.reference, home.Path("etc/golden settings.zul"));
    EXPECT_EQ(o.referenceGiven, "golden settings.zul");
    EXPECT_EQ(*o.bcc, 1);
    EXPECT_EQ(*o.timeout, 3);
    EXPECT_TRUE(o.buffer);
    EXPECT_EQ(o.id, "line1");
    // The command line wins.
    EXPECT_EQ(o.cycleMs, 300);
    EXPECT_EQ(*o.device, "/dev/ttyS0");
}

TEST(StationOptions, ConfigurationErrorsNameFileAndLine) {
    struct Case {
        std::string text;
        std::string says;
    };
    for (const Case& c : std::vector<Case>{
             {"[station]\nid = a\ncolour = red\n", "f.conf:3: unknown key colour in [station]"},
             {"[station]\nhost = b\n", "f.conf:2: unknown key host in [station]"},
             {"[stations]\n", "f.conf:1: unknown section [stations]"},
             {"id = a\n", "f.conf:1: key id before the first [section]"},
             {"[station]\njust words\n", "f.conf:2: not a key = value line"},
             {"[station]\ncycle = 250\n", "f.conf:2: cycle takes milliseconds"},
             {"[controller]\nparity = mark\n", "f.conf:2: parity takes even, odd or none"},
             {"[controller]\nbcc = maybe\n", "f.conf:2: bcc takes on or off"},
             {"[broker]\nhost = b:x\n", "f.conf:2: host takes HOST or HOST:PORT"},
             {"[station]\nid = a\nID = b\n", "f.conf:3: ID is given twice in [station]"},
             {"[station]\nbuffer = \n", "f.conf:2: buffer takes yes or no"},
         }) {
        StationOptions o;
        std::string error;
        EXPECT_FALSE(ApplyConfigText(c.text, "/etc/f.conf", o, error)) << c.text;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

TEST(StationOptions, StateFolder) {
    test::TestHome home;
    StationOptions o;
    o.id = "line7";
    ::unsetenv("STATE_DIRECTORY");
    EXPECT_EQ(StateFolderOf(o),
              home.Root() + "/state/Brantwick ORTA Sensor/QV-M8 ZuL/station/line7");
    ::setenv("STATE_DIRECTORY", "/var/lib/qvm8-station/line7:/var/lib/other", 1);
    EXPECT_EQ(StateFolderOf(o), "/var/lib/qvm8-station/line7");
    o.stateFolder = "/given";
    EXPECT_EQ(StateFolderOf(o), "/given");
    ::unsetenv("STATE_DIRECTORY");
}

}  // namespace
}  // namespace zul::station
