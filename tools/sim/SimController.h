// SPDX-License-Identifier: GPL-3.0-or-later
// The emulated controller's command processor: takes one request text and gives its reply
// text, both without block check and carriage return. Not thread-safe; Simulator serialises it.
//
// Replies: "%EE$" + the three-letter mnemonic + data for an accepted request ("%EE$RD" /
// "%EE$WD" + data for the register block commands), "%EE!" + two digits (SimErrors.h) for a
// refused one. Word fields are 5 digits, long fields a sign and 10 digits, reals 11 characters.
//
// Target digits: 0 the controller, 1/2 Head A/B, 3/4 OUT1/OUT2, 5 common to both outputs.
// Commands and what they touch (working copy words unless said otherwise):
//   RMC/WMC 0      current bank 0..15; switching copies the bank into the working copy (refused
//                  with 63 while MemChangePriority is 1 or buffering runs)
//   WWR 0, 1       saves the working copy into the current bank
//   WIN 0, 1/2     factory settings of the current bank / of everything; the controller then
//                  restarts (no replies for the restart time)
//   RSP 0/5        sampling cycle code
//   RYU RSA RSB RSC RPL RKS RKG RSE RSD (and W...) 0   system settings, words 140..150
//   RMB5           both outputs: value, STROBE, HI, GO, LOW, extension (0), ALARM
//   RZS/WZS 3/4    zero-set (on: ZeroSetVal := the present value before zero-set and offset)
//   RTI/WTI 3/4    timing input;  RRS/WRS 3/4 reset input;  RLR/WLR 1/2 laser off
//   ROA 3/4        alarm code of the output (SimMeasurement.h)
//   RMD 1..4       measured value of a head (1/2) or an output (3/4), real
//   RBS/WBS 0 RBD RTT RBR RBC RSR RTP RTL (and W...) 5  RTR/WTR 3/4  RSS/WSS 0
//                  buffering run state and settings (SimBuffering.h); settings are refused with
//                  63 while buffering runs
//   RTS RLD RLE RLB 3/4  buffering state, number of stored values, trigger count, values
//   WAH WAL WVH WVL 3/4, WAS 1 execute / 2 cancel   scaling points of an output
//   WCA WCB WHA WHB 1/2, WCE 1 execute / 2 cancel   calibration points of a head
//   WFC 1/2 1, RFC 1/2, RFB 1/2  flood-light search: RFC gives the remaining percent while the
//                  search runs (about 3 s), RFB the amount found (0 when no amount gives enough
//                  light), which also becomes the head's FloodLightAjust
//   RDD/WDD        register block, first and last address; at most 8122 words read; the
//                  identity words (118..124, 152..167) are read-only; writing 1 to 17200
//                  captures a light-wave frame
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "SimBuffering.h"
#include "SimLightWave.h"
#include "SimMeasurement.h"
#include "SimMemory.h"

namespace zul::sim {

inline constexpr uint16_t kDefaultFirmware = 0x0224;
inline constexpr uint32_t kMaxReadWords = 8122;
inline constexpr int64_t kFloodSearchUs = 3000000;

struct SimReply {
    std::string text;      // reply text without block check and carriage return
    bool restart = false;  // the controller restarts after sending it
};

class SimController {
public:
    SimController();

    // Processes a request text ("%EE#" + mnemonic + data) at controller time nowUs.
    SimReply Handle(std::string_view request, int64_t nowUs);
    // Runs the measurement up to controller time nowUs.
    void AdvanceTo(int64_t nowUs);

    SimMemory& Memory() { return memory_; }
    const SimMemory& Memory() const { return memory_; }
    SimMeasurement& Measurement() { return measurement_; }
    const SimBuffering& Buffering() const { return buffering_; }
    void SetFirmware(uint16_t version) { memory_.SetWord(kVersionWord, version); }
    uint16_t Firmware() const { return memory_.Word(kVersionWord); }

private:
    struct PointSet {
        std::array<std::optional<int64_t>, 4> micros;  // measure 1, measure 2, second 1, second 2
    };
    struct FloodSearch {
        bool running = false;
        int64_t endUs = 0;
        int64_t startUs = 0;
        uint16_t result = 0;
    };

    SimReply Dispatch(std::string_view mnemonic, std::string_view data, int64_t nowUs);
    SimReply ReadRegisters(std::string_view data);
    SimReply WriteRegisters(std::string_view data);
    SimReply SystemWord(std::string_view mnemonic, std::string_view data, uint32_t address,
                        uint16_t max);
    SimReply Buffer(std::string_view mnemonic, std::string_view data);
    SimReply Inputs(std::string_view mnemonic, std::string_view data);
    SimReply Adjust(std::string_view mnemonic, std::string_view data, int64_t nowUs);
    SimReply ExecutePoints(int target, bool scaling, int64_t value);
    void FinishFloodSearch(int h);

    SimMemory memory_;
    SimMeasurement measurement_;
    SimBuffering buffering_;
    SimLightWave lightWave_;
    std::array<PointSet, 2> scaling_{};
    std::array<PointSet, 2> calibration_{};
    std::array<FloodSearch, 2> flood_{};
    int64_t lastSampleUs_ = 0;
};

}  // namespace zul::sim
