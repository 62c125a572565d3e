// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8-station refuses what it cannot use with one clear line and its exit status before it
// publishes anything: options and configuration files, the password, CA and reference files,
// a broker that is not there, one that refuses the login, one whose certificate the CA file
// does not vouch for. Nothing is ever left retained for a station that did not start.
#include <gtest/gtest.h>

#include "StationTestSupport.h"

namespace zul::test {
namespace {

using std::chrono::seconds;

class StationBadInputTest : public ::testing::Test {
protected:
    // The link is never opened in these runs: the device need not exist.
    std::vector<std::string> Args(const Broker& broker, std::vector<std::string> extra) const {
        std::vector<std::string> args = {"--broker", broker.Address(),  "--id",    "st1",
                                         "--device", home.Path("none"), "--state", home.Path("st")};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    // Runs the station to its end: the exit status; the log holds text.
    void ExpectRefused(const std::vector<std::string>& args, int status, const std::string& text) {
        std::string joined;
        for (const std::string& a : args) {
            joined += a + " ";
        }
        StationProcess station;
        EXPECT_EQ(station.Run(args, seconds(30)), status) << joined << "\n" << station.Log();
        EXPECT_NE(station.Log().find(text), std::string::npos) << joined << "\n" << station.Log();
    }
    // Self-signed certificate for 127.0.0.1 (its own CA) and its key.
    void MakeCertificate(const std::string& name) {
        ASSERT_EQ(
            RunCommand({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                        "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                        home.Path(name + ".key"), "-out", home.Path(name + ".crt"), "-days", "2",
                        "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"}),
            0);
    }

    TestHome home;
};

TEST_F(StationBadInputTest, OwnInputIsCheckedBeforeAnythingIsPublished) {
    Broker broker(home.Path("broker"));
    ASSERT_TRUE(broker.Start());
    Subscriber watch(broker.Port());
    ASSERT_TRUE(watch.Start({"qvm8/#", "test/marker"}));

    ExpectRefused(Args(broker, {"--cycle", "150"}), 64, "--cycle takes milliseconds");
    ExpectRefused({"--id", "st1", "--device", home.Path("none")}, 64, "no broker given");
    const std::string config = home.Path("st1.conf");
    for (const auto& [text, reason] : std::vector<std::pair<std::string, std::string>>{
             {"[station]\ncolour = blue\n", "st1.conf:2: unknown key colour in [station]"},
             {"[station]\ncycle = fast\n", "st1.conf:2: cycle takes milliseconds"},
             {"[sation]\n", "st1.conf:1: unknown section [sation]"},
             {"[broker]\nhost = a:70000\n", "st1.conf:2: host takes HOST or HOST:PORT"}}) {
        WriteFileText(config, text);
        ExpectRefused(Args(broker, {"--config", config}), 64, reason);
    }
    ExpectRefused(Args(broker, {"--config", home.Path("missing.conf")}), 64,
                  "cannot read the configuration file");
    ExpectRefused(Args(broker, {"--username", "u", "--password-file", home.Path("nopass")}), 66,
                  "cannot read the password file");
    WriteFileText(home.Path("empty-pass"), "\n");
    ExpectRefused(Args(broker, {"--username", "u", "--password-file", home.Path("empty-pass")}), 66,
                  "holds no password");
    ExpectRefused(Args(broker, {"--reference", home.Path("missing.zul")}), 66,
                  "cannot read the reference file");
    WriteFileText(home.Path("garbage.zul"), "this is not\x01 a settings file\n[[[\n");
    ExpectRefused(Args(broker, {"--reference", home.Path("garbage.zul")}), 66,
                  "holds no controller settings");
    ExpectRefused(Args(broker, {"--cafile", home.Path("no-ca.crt")}), 66,
                  "cannot read the CA file");
    // The state folder is a file.
    WriteFileText(home.Path("state-file"), "x");
    ExpectRefused(Args(broker, {"--state", home.Path("state-file")}), 73, "state folder");

    // Nothing reached the broker, live or retained.
    ASSERT_TRUE(watch.RoundTrip("test/marker"));
    for (const Received& r : watch.Messages()) {
        EXPECT_EQ(r.topic, "test/marker") << r.payload;
    }
    EXPECT_TRUE(RetainedNow(broker.Port(), "qvm8/#").empty());
}

// A broker that is not there, one that refuses the login, and TLS with the wrong CA file end the
// station at once; with the right password and the right CA file it runs.
TEST_F(StationBadInputTest, BrokerUnreachableRefusingOrNotVouchedFor) {
    // Nothing listens on the port of a broker that is not started.
    Broker absent(home.Path("absent"));
    ExpectRefused(Args(absent, {}), 69, "cannot reach the broker");

    const std::string passwords = home.Path("passwords");
    ASSERT_EQ(RunCommand({"/usr/bin/mosquitto_passwd", "-c", "-b", passwords, "line", "s3cret"}),
              0);
    MakeCertificate("server");
    MakeCertificate("other");
    // TLS on the station's port, and a plain one for the test's own subscriber.
    const int plainPort = FreePort();
    Broker broker(home.Path("broker"), "allow_anonymous false\npassword_file " + passwords +
                                           "\ncertfile " + home.Path("server.crt") + "\nkeyfile " +
                                           home.Path("server.key") + "\nlistener " +
                                           std::to_string(plainPort) + " 127.0.0.1\n");
    ASSERT_TRUE(broker.Start());
    WriteFileText(home.Path("wrong"), "guess\n");
    WriteFileText(home.Path("right"), "s3cret\n");
    const std::vector<std::string> login = {"--username", "line", "--password-file"};
    auto with = [&](const std::string& ca, const std::string& password) {
        std::vector<std::string> extra = login;
        extra.insert(extra.end(), {home.Path(password), "--cafile", home.Path(ca)});
        return Args(broker, extra);
    };
    ExpectRefused(with("other.crt", "right"), 69, "certificate verify failed");
    ExpectRefused(with("server.crt", "wrong"), 77, "refused the station");
    // A CA file that holds no certificate.
    WriteFileText(home.Path("junk.crt"), "not a certificate\n");
    ExpectRefused(with("junk.crt", "right"), 69, "junk.crt");

    StationProcess station;
    ASSERT_TRUE(station.Start(with("server.crt", "right")));
    ASSERT_TRUE(station.WaitForLog("publishing under qvm8/st1/", seconds(20))) << station.Log();
    station.Signal(SIGTERM);
    EXPECT_EQ(station.Wait(seconds(10)), 0) << station.Log();
    const std::vector<Received> retained = RetainedNow(plainPort, "qvm8/#", "line", "s3cret");
    ASSERT_EQ(retained.size(), 1u);
    EXPECT_EQ(retained[0].topic, "qvm8/st1/status");
    EXPECT_EQ(retained[0].payload, "{\"online\": false}");
}

}  // namespace
}  // namespace zul::test
