// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimController.h"

#include <algorithm>
#include <cmath>

#include "SimErrors.h"
#include "SimFields.h"

namespace zul::sim {

namespace {

constexpr int64_t kMaxCatchUpUs = 60000000;  // at most one minute of samples is replayed
constexpr double kFloodTargetLevel = 3000.0;

SimReply Ok(std::string_view echo, std::string_view data = {}) {
    SimReply r;
    r.text.reserve(7 + data.size());
    r.text.append("%EE$").append(echo).append(data);
    return r;
}

SimReply Error(int code) {
    return SimReply{"%EE!" + FormatDecimal(static_cast<uint64_t>(code), 2)};
}

std::string Word5(int64_t value) {
    return FormatDecimal(static_cast<uint64_t>(std::max<int64_t>(0, value)), 5);
}

// Targets are given as the digits allowed, for example "34" for OUT1 and OUT2.
bool Allowed(int target, std::string_view targets) {
    return targets.find(static_cast<char>('0' + target)) != std::string_view::npos;
}

// A read request: one target digit from the list. Sets *error on failure.
std::optional<int> ReadTarget(std::string_view data, std::string_view targets, int* error) {
    if (data.size() != 1 || data[0] < '0' || data[0] > '9') {
        *error = kErrFormat;
        return std::nullopt;
    }
    int t = data[0] - '0';
    if (!Allowed(t, targets)) {
        *error = kErrParameter;
        return std::nullopt;
    }
    return t;
}

struct WordWrite {
    int target = 0;
    int64_t value = 0;
};

// A word write: target digit and five digits, the value within 0..max.
std::optional<WordWrite> WriteTarget(std::string_view data, std::string_view targets, int64_t min,
                                     int64_t max, int* error) {
    if (data.size() != 6) {
        *error = kErrFormat;
        return std::nullopt;
    }
    auto value = ParseDigits(data.substr(1));
    if (!value || data[0] < '0' || data[0] > '9') {
        *error = kErrFormat;
        return std::nullopt;
    }
    int t = data[0] - '0';
    if (!Allowed(t, targets) || *value < min || *value > max) {
        *error = kErrParameter;
        return std::nullopt;
    }
    return WordWrite{t, *value};
}

bool IdentityWord(uint32_t address) {
    return (address >= kNameFirst && address <= kVersionWord) ||
           (address >= kSensorAFirst && address < kSensorBFirst + 8);
}

}  // namespace

SimController::SimController() : measurement_(memory_), buffering_(memory_) {
    memory_.InitialiseAll();
    memory_.SetIdentity(kDefaultFirmware);
    TargetMotion a;
    a.baseMm = 1.0;
    a.driftMm = 0.2;
    a.waveMm = 0.5;
    a.waveHz = 0.5;
    a.noiseMm = 0.002;
    TargetMotion b;
    b.baseMm = -2.0;
    b.driftMm = 0.1;
    b.driftPeriodS = 90.0;
    b.waveMm = 0.3;
    b.waveHz = 0.2;
    b.noiseMm = 0.002;
    measurement_.SetMotion(0, a);
    measurement_.SetMotion(1, b);
    measurement_.Step(0);
}

void SimController::AdvanceTo(int64_t nowUs) {
    int64_t period = measurement_.SamplePeriodUs();
    if (nowUs - lastSampleUs_ > kMaxCatchUpUs) {
        lastSampleUs_ = nowUs - kMaxCatchUpUs;
    }
    while (lastSampleUs_ + period <= nowUs) {
        lastSampleUs_ += period;
        for (int h = 0; h < 2; ++h) {
            if (flood_[h].running && lastSampleUs_ >= flood_[h].endUs) {
                FinishFloodSearch(h);
            }
        }
        measurement_.Step(lastSampleUs_);
        buffering_.OnSample(measurement_);
    }
}

SimReply SimController::Handle(std::string_view request, int64_t nowUs) {
    AdvanceTo(nowUs);
    if (request.size() < 7 || request.substr(0, 4) != "%EE#") {
        return Error(kErrFormat);
    }
    std::string_view mnemonic = request.substr(4, 3);
    for (char c : mnemonic) {
        if (c < 'A' || c > 'Z') {
            return Error(kErrCommand);
        }
    }
    return Dispatch(mnemonic, request.substr(7), nowUs);
}

SimReply SimController::Dispatch(std::string_view m, std::string_view data, int64_t nowUs) {
    int error = kErrNone;
    if (m == "RDD") {
        return ReadRegisters(data);
    }
    if (m == "WDD") {
        return WriteRegisters(data);
    }
    if (m == "RMC") {
        if (!ReadTarget(data, "0", &error)) {
            return Error(error);
        }
        return Ok(m, Word5(memory_.CurrentBank()));
    }
    if (m == "WMC") {
        auto w = WriteTarget(data, "0", 0, kBankCount - 1, &error);
        if (!w) {
            return Error(error);
        }
        if (memory_.Word(kSysMemChangePriority) != 0 || buffering_.Running()) {
            return Error(kErrBusy);
        }
        memory_.SelectBank(static_cast<int>(w->value));
        return Ok(m);
    }
    if (m == "WWR") {
        if (!WriteTarget(data, "0", 1, 1, &error)) {
            return Error(error);
        }
        memory_.SaveWorkingCopy();
        return Ok(m);
    }
    if (m == "WIN") {
        auto w = WriteTarget(data, "0", 1, 2, &error);
        if (!w) {
            return Error(error);
        }
        buffering_.Stop();
        flood_ = {};
        if (w->value == 1) {
            memory_.InitialiseBank(memory_.CurrentBank());
        } else {
            uint16_t version = memory_.Word(kVersionWord);
            memory_.InitialiseAll();
            memory_.SetIdentity(version);
        }
        SimReply reply = Ok(m);
        reply.restart = true;
        return reply;
    }
    if (m == "RSP") {
        if (!ReadTarget(data, "05", &error)) {
            return Error(error);
        }
        return Ok(m, Word5(memory_.Word(CommonBlock(kWorkingCopy) + common::kSamplingCycle)));
    }
    struct SystemCommand {
        const char* read;
        const char* write;
        uint32_t address;
        uint16_t max;
    };
    static constexpr SystemCommand kSystem[] = {
        {"RYU", "WYU", kSysMemChangePriority, 1}, {"RSA", "WSA", kSysBaudrate, 9},
        {"RSB", "WSB", kSysDataLength, 1},        {"RSC", "WSC", kSysParity, 2},
        {"RPL", "WPL", kSysConsoleLock, 1},       {"RKS", "WKS", kSysMeasureCycle, 9999},
        {"RKG", "WKG", kSysConsoleNo, 99},        {"RSE", "WSE", kSysOutType, 9},
        {"RSD", "WSD", kSysOutMode, 9},
    };
    for (const SystemCommand& s : kSystem) {
        if (m == s.read || m == s.write) {
            return SystemWord(m, data, s.address, s.max);
        }
    }
    if (m == "RMB") {
        if (data != "5") {
            return Error(data.size() == 1 ? kErrParameter : kErrFormat);
        }
        std::string out;
        for (int o = 0; o < 2; ++o) {
            const OutputSample& s = measurement_.Output(o);
            out += FormatMicros11(s.valueMicros);
            out += s.strobe ? '1' : '0';
            out += s.hi ? '1' : '0';
            out += s.go ? '1' : '0';
            out += s.low ? '1' : '0';
            out += '0';
            out += s.alarm ? '1' : '0';
        }
        return Ok(m, out);
    }
    if (m == "RMD") {
        auto t = ReadTarget(data, "1234", &error);
        if (!t) {
            return Error(error);
        }
        if (*t <= 2) {
            const HeadSample& h = measurement_.Head(*t - 1);
            double value = h.alarmCode != 0 ? 999.999999 : h.measuredMm;
            return Ok(m, FormatReal11(value));
        }
        return Ok(m, FormatMicros11(measurement_.Output(*t - 3).valueMicros));
    }
    if (m == "RZS" || m == "WZS" || m == "RTI" || m == "WTI" || m == "RRS" || m == "WRS" ||
        m == "RLR" || m == "WLR" || m == "ROA") {
        return Inputs(m, data);
    }
    if (m == "RBS" || m == "WBS" || m == "RBD" || m == "WBD" || m == "RTT" || m == "WTT" ||
        m == "RBR" || m == "WBR" || m == "RBC" || m == "WBC" || m == "RSR" || m == "WSR" ||
        m == "RTP" || m == "WTP" || m == "RTL" || m == "WTL" || m == "RTR" || m == "WTR" ||
        m == "RSS" || m == "WSS" || m == "RTS" || m == "RLD" || m == "RLE" || m == "RLB") {
        return Buffer(m, data);
    }
    if (m == "WAH" || m == "WAL" || m == "WVH" || m == "WVL" || m == "WAS" || m == "WCA" ||
        m == "WCB" || m == "WHA" || m == "WHB" || m == "WCE" || m == "WFC" || m == "RFC" ||
        m == "RFB") {
        return Adjust(m, data, nowUs);
    }
    return Error(kErrCommand);
}

SimReply SimController::ReadRegisters(std::string_view data) {
    if (data.size() != 10) {
        return Error(kErrFormat);
    }
    auto first = ParseDigits(data.substr(0, 5));
    auto last = ParseDigits(data.substr(5, 5));
    if (!first || !last) {
        return Error(kErrFormat);
    }
    if (*last < *first) {
        return Error(kErrParameter);
    }
    uint32_t count = static_cast<uint32_t>(*last - *first + 1);
    if (!memory_.Contains(static_cast<uint32_t>(*first), count)) {
        return Error(kErrAddress);
    }
    if (count > kMaxReadWords) {
        return Error(kErrLimit);
    }
    std::string out;
    out.reserve(4 * count);
    for (uint32_t a = static_cast<uint32_t>(*first); a <= static_cast<uint32_t>(*last); ++a) {
        out += FormatHexWord(memory_.Word(a));
    }
    return Ok("RD", out);
}

SimReply SimController::WriteRegisters(std::string_view data) {
    if (data.size() < 14 || (data.size() - 10) % 4 != 0) {
        return Error(kErrFormat);
    }
    auto first = ParseDigits(data.substr(0, 5));
    auto last = ParseDigits(data.substr(5, 5));
    if (!first || !last) {
        return Error(kErrFormat);
    }
    if (*last < *first || static_cast<size_t>(*last - *first + 1) != (data.size() - 10) / 4) {
        return Error(kErrParameter);
    }
    uint32_t from = static_cast<uint32_t>(*first);
    uint32_t count = static_cast<uint32_t>(*last - *first + 1);
    if (!memory_.Contains(from, count)) {
        return Error(kErrAddress);
    }
    std::vector<uint16_t> values;
    values.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        auto w = ParseHexWord(data.substr(10 + 4 * i, 4));
        if (!w) {
            return Error(kErrFormat);
        }
        if (IdentityWord(from + i)) {
            return Error(kErrAddress);
        }
        values.push_back(*w);
    }
    bool capture = false;
    for (uint32_t i = 0; i < count; ++i) {
        memory_.SetWord(from + i, values[i]);
        capture = capture || (from + i == kLightTrigger && values[i] == 1);
    }
    if (capture) {
        lightWave_.Capture(memory_, measurement_);
    }
    return Ok("WD");
}

SimReply SimController::SystemWord(std::string_view m, std::string_view data, uint32_t address,
                                   uint16_t max) {
    int error = kErrNone;
    if (m[0] == 'R') {
        if (!ReadTarget(data, "0", &error)) {
            return Error(error);
        }
        return Ok(m, Word5(memory_.Word(address)));
    }
    auto w = WriteTarget(data, "0", 0, max, &error);
    if (!w) {
        return Error(error);
    }
    memory_.SetWord(address, static_cast<uint16_t>(w->value));
    return Ok(m);
}

SimReply SimController::Inputs(std::string_view m, std::string_view data) {
    int error = kErrNone;
    bool read = m[0] == 'R';
    bool heads = m == "RLR" || m == "WLR";
    std::string_view targets = heads ? "12" : "34";
    int target = 0;
    int64_t value = 0;
    if (read) {
        auto t = ReadTarget(data, targets, &error);
        if (!t) {
            return Error(error);
        }
        target = *t;
    } else {
        auto w = WriteTarget(data, targets, 0, 1, &error);
        if (!w) {
            return Error(error);
        }
        target = w->target;
        value = w->value;
    }
    std::string_view what = m.substr(1);
    if (heads) {
        uint32_t word = HeadBlock(kWorkingCopy, target - 1) + head::kLaserOff;
        if (read) {
            return Ok(m, Word5(memory_.Word(word)));
        }
        memory_.SetWord(word, static_cast<uint16_t>(value));
        return Ok(m);
    }
    int o = target - 3;
    uint32_t block = OutputBlock(kWorkingCopy, o);
    if (what == "OA") {
        return Ok(m, Word5(measurement_.Output(o).alarmCode));
    }
    if (what == "ZS") {
        if (read) {
            return Ok(m, Word5(memory_.Word(block + out::kZeroSet)));
        }
        if (value == 1) {
            if (measurement_.Output(o).alarm) {
                return Error(kErrBusy);
            }
            memory_.SetLong(block + out::kZeroSetVal,
                            static_cast<int32_t>(ToMicros(measurement_.ReferenceMm(o))));
        } else {
            memory_.SetLong(block + out::kZeroSetVal, 0);
        }
        memory_.SetWord(block + out::kZeroSet, static_cast<uint16_t>(value));
        return Ok(m);
    }
    if (what == "TI") {
        if (read) {
            return Ok(m, Word5(measurement_.Timing(o) ? 1 : 0));
        }
        measurement_.SetTiming(o, value != 0);
        return Ok(m);
    }
    if (read) {
        return Ok(m, Word5(measurement_.Reset(o) ? 1 : 0));
    }
    measurement_.SetReset(o, value != 0);
    return Ok(m);
}

SimReply SimController::Buffer(std::string_view m, std::string_view data) {
    int error = kErrNone;
    bool read = m[0] == 'R';
    std::string_view what = m.substr(1);
    uint32_t c = CommonBlock(kWorkingCopy);
    if (what == "BS") {
        if (read) {
            if (!ReadTarget(data, "0", &error)) {
                return Error(error);
            }
            return Ok(m, Word5(buffering_.Running() ? 1 : 0));
        }
        auto w = WriteTarget(data, "0", 0, 1, &error);
        if (!w) {
            return Error(error);
        }
        if (w->value == 1) {
            int started = buffering_.Start();
            if (started != kErrNone) {
                return Error(started);
            }
        } else {
            buffering_.Stop();
        }
        return Ok(m);
    }
    if (what == "TS" || what == "LD" || what == "LE") {
        auto t = ReadTarget(data, "34", &error);
        if (!t) {
            return Error(error);
        }
        int o = *t - 3;
        int64_t value = what == "TS"   ? buffering_.State(o)
                        : what == "LD" ? buffering_.FinalDataPoint(o)
                                       : buffering_.TriggerCount(o);
        return Ok(m, Word5(value));
    }
    if (what == "LB") {
        if (data.size() != 11 || data[0] < '0' || data[0] > '9') {
            return Error(kErrFormat);
        }
        auto first = ParseDigits(data.substr(1, 5));
        auto last = ParseDigits(data.substr(6, 5));
        if (!first || !last) {
            return Error(kErrFormat);
        }
        int t = data[0] - '0';
        if (t != 3 && t != 4) {
            return Error(kErrParameter);
        }
        std::string out;
        int result = buffering_.EncodeBlock(t - 3, static_cast<int32_t>(*first),
                                            static_cast<int32_t>(*last), &out);
        if (result != kErrNone) {
            return Error(result);
        }
        return Ok(m, out);
    }
    if (what == "TL") {
        uint32_t word = c + common::kTriggerDelay;
        if (read) {
            if (!ReadTarget(data, "5", &error)) {
                return Error(error);
            }
            return Ok(m, FormatSigned11(memory_.Long(word)));
        }
        if (data.size() != 12) {
            return Error(kErrFormat);
        }
        auto value = ParseSigned11(data.substr(1));
        if (!value || data[0] < '0' || data[0] > '9') {
            return Error(kErrFormat);
        }
        if (data[0] != '5' || *value < -kMaxStoreNum || *value > kMaxStoreNum) {
            return Error(kErrParameter);
        }
        if (buffering_.Running()) {
            return Error(kErrBusy);
        }
        memory_.SetLong(word, static_cast<int32_t>(*value));
        return Ok(m);
    }
    struct Setting {
        const char* what;
        int target;  // 5 common, 0 controller, 3 per output
        uint32_t word;
        bool isLong;
        int64_t min;
        int64_t max;
    };
    static constexpr Setting kSettings[] = {
        {"BD", 5, common::kBufferMode, false, 0, 5},
        {"TT", 5, common::kBufferType, false, 0, 2},
        {"BR", 5, common::kBufferRate, false, 0, 65535},
        {"BC", 5, common::kStoreNum, true, 1, kMaxStoreNum},
        {"SR", 5, common::kSampleTriggerStoreNum, true, 1, kMaxStoreNum},
        {"TP", 5, common::kTriggerPoint, true, 1, kMaxStoreNum},
        {"TR", 3, out::kEventCondition, false, 0, 5},
        {"SS", 0, kBufferSelfStopWord, false, 0, 1},
    };
    for (const Setting& s : kSettings) {
        if (what != s.what) {
            continue;
        }
        auto targets = s.target == 3 ? "34" : s.target == 5 ? "5" : "0";
        int target = 0;
        int64_t value = 0;
        if (read) {
            auto t = ReadTarget(data, targets, &error);
            if (!t) {
                return Error(error);
            }
            target = *t;
        } else {
            auto w = WriteTarget(data, targets, s.min, s.max, &error);
            if (!w) {
                return Error(error);
            }
            target = w->target;
            value = w->value;
        }
        uint32_t word = s.target == 3   ? OutputBlock(kWorkingCopy, target - 3) + s.word
                        : s.target == 5 ? c + s.word
                                        : s.word;
        if (read) {
            return Ok(m, Word5(s.isLong ? memory_.Long(word) : memory_.Word(word)));
        }
        if (buffering_.Running()) {
            return Error(kErrBusy);
        }
        if (s.isLong) {
            memory_.SetLong(word, static_cast<int32_t>(value));
        } else {
            memory_.SetWord(word, static_cast<uint16_t>(value));
        }
        return Ok(m);
    }
    return Error(kErrCommand);
}

SimReply SimController::Adjust(std::string_view m, std::string_view data, int64_t nowUs) {
    int error = kErrNone;
    struct Point {
        const char* mnemonic;
        bool scaling;
        int slot;
    };
    static constexpr Point kPoints[] = {
        {"WAH", true, 0},  {"WAL", true, 1},  {"WVH", true, 2},  {"WVL", true, 3},
        {"WCA", false, 0}, {"WCB", false, 1}, {"WHA", false, 2}, {"WHB", false, 3},
    };
    for (const Point& p : kPoints) {
        if (m != p.mnemonic) {
            continue;
        }
        if (data.size() != 12 || data[0] < '0' || data[0] > '9') {
            return Error(kErrFormat);
        }
        auto value = ParseReal11(data.substr(1));
        if (!value) {
            return Error(kErrFormat);
        }
        int t = data[0] - '0';
        bool ok = p.scaling ? (t == 3 || t == 4) : (t == 1 || t == 2);
        if (!ok || std::fabs(*value) >= 1000.0) {
            return Error(kErrParameter);
        }
        PointSet& set = p.scaling ? scaling_[t - 3] : calibration_[t - 1];
        set.micros[static_cast<size_t>(p.slot)] = ToMicros(*value);
        return Ok(m);
    }
    if (m == "WAS" || m == "WCE") {
        bool scaling = m == "WAS";
        auto w = WriteTarget(data, scaling ? "34" : "12", 1, 2, &error);
        if (!w) {
            return Error(error);
        }
        SimReply r = ExecutePoints(w->target, scaling, w->value);
        if (r.text.empty()) {
            return Ok(m);
        }
        return r;
    }
    if (m == "WFC") {
        auto w = WriteTarget(data, "12", 1, 1, &error);
        if (!w) {
            return Error(error);
        }
        FloodSearch& f = flood_[w->target - 1];
        if (f.running) {
            return Error(kErrBusy);
        }
        f.running = true;
        f.startUs = nowUs;
        f.endUs = nowUs + kFloodSearchUs;
        return Ok(m);
    }
    auto t = ReadTarget(data, "12", &error);
    if (!t) {
        return Error(error);
    }
    const FloodSearch& f = flood_[*t - 1];
    if (m == "RFC") {
        int64_t remaining = 0;
        if (f.running) {
            remaining = std::clamp<int64_t>((f.endUs - nowUs) * 100 / kFloodSearchUs + 1, 1, 100);
        }
        return Ok(m, Word5(remaining));
    }
    if (f.running) {
        return Error(kErrBusy);
    }
    return Ok(m, Word5(f.result));
}

SimReply SimController::ExecutePoints(int target, bool scaling, int64_t value) {
    PointSet& set = scaling ? scaling_[target - 3] : calibration_[target - 1];
    uint32_t block =
        scaling ? OutputBlock(kWorkingCopy, target - 3) : HeadBlock(kWorkingCopy, target - 1);
    if (!scaling) {
        memory_.SetWord(block + head::kCalibrating, 0);
    }
    if (value == 2) {
        set = {};
        return {};
    }
    const uint32_t words[4] = {
        scaling ? out::kScalingMeasure1 : head::kCalibMeasure1,
        scaling ? out::kScalingMeasure2 : head::kCalibMeasure2,
        scaling ? out::kScalingVoltage1 : head::kCalibCorrect1,
        scaling ? out::kScalingVoltage2 : head::kCalibCorrect2,
    };
    int64_t v[4];
    for (int i = 0; i < 4; ++i) {
        v[i] = set.micros[static_cast<size_t>(i)].value_or(memory_.Long(block + words[i]));
    }
    set = {};
    if (v[0] == v[1] || v[2] == v[3]) {
        return Error(kErrData);
    }
    for (int i = 0; i < 4; ++i) {
        memory_.SetLong(block + words[i], static_cast<int32_t>(v[i]));
    }
    if (scaling) {
        auto thousandths = [](int64_t micros) {
            int64_t q = (std::llabs(micros) + 500) / 1000;
            return static_cast<uint16_t>(static_cast<int16_t>(micros < 0 ? -q : q));
        };
        memory_.SetWord(block + out::kVoltage1Thousandths, thousandths(v[2]));
        memory_.SetWord(block + out::kVoltage2Thousandths, thousandths(v[3]));
    }
    return {};
}

void SimController::FinishFloodSearch(int h) {
    FloodSearch& f = flood_[h];
    f.running = false;
    const HeadSample& s = measurement_.Head(h);
    double reflectance = measurement_.Motion(h).reflectance;
    uint32_t block = HeadBlock(kWorkingCopy, h);
    f.result = 0;
    if (memory_.Word(block + head::kLaserOff) != 0 || std::fabs(s.rawMm) > kHeadRangeMm ||
        reflectance <= 0) {
        return;
    }
    double amount = std::ceil(kFloodTargetLevel / SimMeasurement::LightLevel(1.0, reflectance));
    if (amount > 100) {
        return;
    }
    f.result = static_cast<uint16_t>(std::max(1.0, amount));
    memory_.SetWord(block + head::kFloodLight, f.result);
}

}  // namespace zul::sim
