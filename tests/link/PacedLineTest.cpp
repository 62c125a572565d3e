// SPDX-License-Identifier: GPL-3.0-or-later
// The link threads against the emulated controller on a line paced at 9600 bit/s, where one long
// reply takes longer on the wire than the reply time-out.
#include <gtest/gtest.h>

#include <chrono>

#include "LinkTestSupport.h"
#include "Simulator.h"
#include "link/RegisterBlock.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"
#include "link/ThreadRawComm.h"

namespace zul {
namespace {

using namespace std::chrono_literals;

TEST(PacedLine, ReplyLongerOnTheWireThanTheTimeOutArrivesWhole) {
    test::TempHome home;
    sim::Simulator sim;
    sim.SetPace(true);  // at the speed the link sets on the line
    ResultInfo info;
    ASSERT_EQ(sim.StartPty(&info, home.Path() + "/com1"), ZUL_OK);
    SetSerialDeviceOverride(home.Path() + "/com1");
    std::vector<uint16_t> words(400);
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<uint16_t>(0x1000 + 7 * i);
    }
    sim.WriteWords(2600, words);

    test::FixedLinkSettings settings;
    settings.Update([](LinkSettings& s) {
        s.communicationType = kCommunicationRs232c;
        s.rs232cBaudrate = 0;  // 9600 bit/s
        s.rs232cBCC = 1;
        s.rs232cTimeout = 0;  // 1 s
    });
    LinkEnvironment environment;
    CThreadRawComm raw(settings, environment, nullptr);
    CThreadCommControler controller(raw, settings, environment);
    ASSERT_TRUE(raw.Start());
    ASSERT_TRUE(controller.Start());
    ASSERT_EQ(controller.Connect(&info), ZUL_OK);

    // 400 registers in one frame: 1,600 hexadecimal digits, about 1.7 s at 9600 bit/s.
    RegisterBlock job;
    for (uint32_t i = 0; i < words.size(); ++i) {
        job.AddRegister(2600 + i);
    }
    auto started = std::chrono::steady_clock::now();
    ResultInfo result;
    EXPECT_EQ(job.Run(controller, &result, true), ZUL_OK) << result.detail1;
    EXPECT_GE(std::chrono::steady_clock::now() - started, 1500ms);  // the line was paced
    for (uint32_t i = 0; i < words.size(); ++i) {
        ASSERT_EQ(job.RegisterValue(2600 + i), words[i]) << i;
    }
    EXPECT_EQ(sim.ReceivedFrames().size(), 1u);

    controller.SetStopping();
    controller.Stop();
    raw.SetStopping();
    raw.Stop();
    sim.Stop();
    SetSerialDeviceOverride("");
}

}  // namespace
}  // namespace zul
