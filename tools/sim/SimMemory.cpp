// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimMemory.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace zul::sim {

namespace {

constexpr char kStateHeader[] = "qvm8-sim memory 1";

void WriteHeadDefaults(SimMemory& m, uint32_t block) {
    m.SetWord(block + head::kFloodLight, 50);
    m.SetWord(block + head::kPeakSearchCellA, 1);
    m.SetWord(block + head::kPeakSearchCellB, kLightCells);
    m.SetWord(block + head::kPsACell, 1);
    m.SetWord(block + head::kPsBCell, kLightCells);
}

void WriteOutputDefaults(SimMemory& m, uint32_t block, int outputIndex) {
    m.SetWord(block + out::kOutPattern, static_cast<uint16_t>(outputIndex));
    m.SetLong(block + out::kReflectionRate, 500000);
    m.SetLong(block + out::kDecisionMax, 5000000);
    m.SetLong(block + out::kDecisionMin, -5000000);
    m.SetLong(block + out::kHysteresisMax, 10000);
    m.SetLong(block + out::kHysteresisMin, 10000);
    m.SetLong(block + out::kScalingMeasure1, -10000000);
    m.SetLong(block + out::kScalingMeasure2, 10000000);
    m.SetLong(block + out::kScalingVoltage1, -10000000);
    m.SetLong(block + out::kScalingVoltage2, 10000000);
    m.SetWord(block + out::kVoltage1Thousandths, static_cast<uint16_t>(-10000));
    m.SetWord(block + out::kVoltage2Thousandths, 10000);
    m.SetLong(block + out::kFixedValue, 10800000);
    m.SetLong(block + out::kUnfixedValue, 10800000);
}

void WriteCommonDefaults(SimMemory& m, uint32_t block) {
    m.SetWord(block + common::kBufferRate, 1);
    m.SetLong(block + common::kStoreNum, 1000);
    m.SetLong(block + common::kSampleTriggerStoreNum, 1);
    m.SetLong(block + common::kTriggerPoint, 1);
}

}  // namespace

SimMemory::SimMemory() : words_(kMemoryWords, 0) {}

int32_t SimMemory::Long(uint32_t address) const {
    uint32_t value = uint32_t(Word(address)) | (uint32_t(Word(address + 1)) << 16);
    return static_cast<int32_t>(value);
}

void SimMemory::SetLong(uint32_t address, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    SetWord(address, static_cast<uint16_t>(bits & 0xFFFF));
    SetWord(address + 1, static_cast<uint16_t>(bits >> 16));
}

void SimMemory::SetText(uint32_t first, uint32_t wordCount, std::string_view text) {
    for (uint32_t i = 0; i < wordCount; ++i) {
        auto at = [&](size_t k) -> uint8_t {
            return k < text.size() ? static_cast<uint8_t>(text[k]) : uint8_t(' ');
        };
        SetWord(first + i, static_cast<uint16_t>((at(2 * i) << 8) | at(2 * i + 1)));
    }
}

std::string SimMemory::Text(uint32_t first, uint32_t wordCount) const {
    std::string text;
    for (uint32_t i = 0; i < wordCount; ++i) {
        uint16_t w = Word(first + i);
        text.push_back(static_cast<char>(w >> 8));
        text.push_back(static_cast<char>(w & 0xFF));
    }
    return text;
}

void SimMemory::SelectBank(int bank) {
    bank &= 0x0F;
    std::copy_n(words_.begin() + BankAddress(bank), kBankWords, words_.begin() + kWorkingCopy);
    SetWord(kCurrentBankWord, static_cast<uint16_t>(bank));
}

void SimMemory::SaveWorkingCopy() {
    std::copy_n(words_.begin() + kWorkingCopy, kBankWords,
                words_.begin() + BankAddress(CurrentBank()));
}

void SimMemory::WriteBankDefaults(uint32_t base) {
    std::fill_n(words_.begin() + base, kBankWords, uint16_t(0));
    for (int h = 0; h < 2; ++h) {
        WriteHeadDefaults(*this, HeadBlock(base, h));
    }
    for (int o = 0; o < 2; ++o) {
        WriteOutputDefaults(*this, OutputBlock(base, o), o);
    }
    WriteCommonDefaults(*this, CommonBlock(base));
}

void SimMemory::InitialiseBank(int bank) {
    WriteBankDefaults(BankAddress(bank & 0x0F));
    if ((bank & 0x0F) == CurrentBank()) {
        SelectBank(bank);
    }
}

void SimMemory::InitialiseAll() {
    for (int b = 0; b < kBankCount; ++b) {
        WriteBankDefaults(BankAddress(b));
    }
    for (uint32_t a = kSysMemChangePriority; a <= kSysOutType; ++a) {
        SetWord(a, 0);
    }
    SetWord(kSysBaudrate, 3);  // the controller's own port at 115200 bit/s
    SetWord(kSysDataLength, 1);
    SetWord(kBufferSelfStopWord, 1);
    SetWord(kCurrentBankWord, 0);
    SelectBank(0);
}

void SimMemory::SetIdentity(uint16_t version) {
    SetText(kNameFirst, 6, "QV-M8");
    SetWord(kVersionWord, version);
    SetText(kSensorAFirst, 8, "QV-H030");
    SetText(kSensorBFirst, 8, "QV-H030");
}

int32_t SimMemory::Save(const std::string& path, ResultInfo* info) const {
    ClearResult(info);
    std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        if (!file) {
            return SetResult(info, ZUL_ERR_OS_FILE_WRITE, errno, path);
        }
        file << kStateHeader << '\n';
        for (uint32_t a = 0; a < kMemoryWords; ++a) {
            if (words_[a] != 0) {
                file << a << ' ' << words_[a] << '\n';
            }
        }
        file.flush();
        if (!file) {
            std::remove(temporary.c_str());
            return SetResult(info, ZUL_ERR_OS_FILE_WRITE, errno, path);
        }
    }
    // Replace the old state only once the new one is complete.
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        int error = errno;
        std::remove(temporary.c_str());
        return SetResult(info, ZUL_ERR_OS_FILE_WRITE, error, path);
    }
    return ZUL_OK;
}

int32_t SimMemory::Load(const std::string& path, ResultInfo* info) {
    ClearResult(info);
    std::ifstream file(path);
    if (!file) {
        return SetResult(info, ZUL_ERR_OS_FILE_READ, errno, path);
    }
    std::string line;
    if (!std::getline(file, line) || line != kStateHeader) {
        return SetResult(info, ZUL_ERR_FILE_READ, 0, path, "not a memory state file");
    }
    std::vector<uint16_t> loaded(kMemoryWords, 0);
    while (std::getline(file, line)) {
        if (line.empty()) {
            continue;
        }
        std::istringstream fields(line);
        uint64_t address = 0;
        uint64_t value = 0;
        if (!(fields >> address >> value) || address >= kMemoryWords || value > 0xFFFF) {
            return SetResult(info, ZUL_ERR_FILE_READ, 0, path, line);
        }
        loaded[address] = static_cast<uint16_t>(value);
    }
    words_ = std::move(loaded);
    return ZUL_OK;
}

}  // namespace zul::sim
