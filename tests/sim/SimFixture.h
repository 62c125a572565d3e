// SPDX-License-Identifier: GPL-3.0-or-later
// A running emulator on a fresh pseudo-terminal with a manual clock and still targets
// (Head A at 1.5 mm, Head B at 0.25 mm), and a client connected to it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "SimClient.h"
#include "SimFields.h"
#include "SimMemory.h"
#include "Simulator.h"

namespace zul::sim::test {

class SimFixture : public ::testing::Test {
protected:
    void SetUp() override {
        sim.UseManualClock(true);
        sim.SetFixedDisplacement(0, 1.5);
        sim.SetFixedDisplacement(1, 0.25);
        sim.SetRestartTime(std::chrono::milliseconds(50));
        Samples(1);
        ResultInfo info;
        ASSERT_EQ(sim.StartPty(&info), ZUL_OK) << info.detail1;
        ASSERT_TRUE(client.Open(sim.DevicePath()));
    }
    void TearDown() override {
        client.Close();
        sim.Stop();
    }

    // Moves controller time on by n samples of the default 100 us cycle.
    void Samples(int n) { sim.AdvanceClock(std::chrono::microseconds(100LL * n)); }

    // Writes words through the wire ("WDD") and expects acceptance.
    void Poke(uint32_t first, const std::vector<uint16_t>& words) {
        std::string text =
            "%EE#WDD" + FormatDecimal(first, 5) + FormatDecimal(first + words.size() - 1, 5);
        for (uint16_t w : words) {
            text += FormatHexWord(w);
        }
        ASSERT_EQ(client.Ask(text), "%EE$WD");
    }
    void PokeLong(uint32_t address, int32_t value) {
        uint32_t bits = static_cast<uint32_t>(value);
        Poke(address, {static_cast<uint16_t>(bits & 0xFFFF), static_cast<uint16_t>(bits >> 16)});
    }
    // Reads words through the wire ("RDD").
    std::vector<uint16_t> Peek(uint32_t first, uint32_t count) {
        std::string reply =
            client.Ask("%EE#RDD" + FormatDecimal(first, 5) + FormatDecimal(first + count - 1, 5));
        std::vector<uint16_t> words;
        if (reply.size() != 6 + 4 * count) {
            ADD_FAILURE() << "RDD reply " << reply.substr(0, 40);
            return words;
        }
        for (uint32_t i = 0; i < count; ++i) {
            words.push_back(*ParseHexWord(reply.substr(6 + 4 * i, 4)));
        }
        return words;
    }

    Simulator sim;
    SimClient client;
};

}  // namespace zul::sim::test
