// SPDX-License-Identifier: GPL-3.0-or-later
// Where the controller keeps each setting: the register map of a head block, an output block,
// the common part of a memory bank and the system words, the block addresses, the individual
// system commands, and the conversions between register words and setting values.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zul {

// Value encodings of a map entry (a word is 16 bits; two-word values are low word first).
enum RegisterEncoding : int32_t {
    kEncEnd = -1,
    kEncSigned = 0,          // signed word, integer item
    kEncUnsigned = 1,        // unsigned word, integer item
    kEncReadOnly = 2,        // unsigned word, never written
    kEncZeroSetWord = 3,     // unsigned word, written only when ZeroSetSend is on
    kEncCalibChanged = 4,    // change marker of the calibration values (working copy only)
    kEncScalingChanged = 5,  // change marker of the scaling values (working copy only)
    kEncLong = 6,            // two words, integer item
    kEncLong2 = 7,           // two words, integer item
    kEncMilliSigned = 9,     // signed word in thousandths, real item
    kEncMilliUnsigned = 10,  // unsigned word in thousandths, real item
    kEncMicro = 11,          // two words in millionths, real item
    kEncMicroReadOnly = 12,  // as 11, never written
    kEncMicroZeroSet = 13,   // as 11, written only when ZeroSetSend is on
    kEncMicroCalib = 14,     // as 11, a change marks the calibration
    kEncMicroScaling = 15,   // as 11, a change marks the scaling
    kEncMicroVoltage1 = 16,  // as 15, and word 62 of the block gets the value in thousandths
    kEncMicroVoltage2 = 17,  // as 16, but word 63
    kEncMicro2 = 18,         // as 11
    kEncKeep = 19,           // read and written back unchanged
    kEncUntouched = 20,      // neither read nor written
};

struct RegisterMapEntry {
    int32_t encoding;
    int32_t note;  // informational only
    int32_t wordCount;
    int32_t word1;   // offset of the (low) word in the block
    int32_t word2;   // offset of the high word of two-word encodings, else 0
    int32_t itemId;  // 0 for entries without an item
};

// The maps without their end row, in ascending word order.
std::span<const RegisterMapEntry> HeadRegisterMap();
std::span<const RegisterMapEntry> OutputRegisterMap();
std::span<const RegisterMapEntry> CommonRegisterMap();
// Absolute word numbers.
std::span<const RegisterMapEntry> SystemRegisterMap();

// Number of words an entry adds to a transfer (0 for entries the tool leaves alone).
int32_t TransferredWords(const RegisterMapEntry& entry);

// Block addresses. bank 0..15, head 0 (A) / 1 (B), output 0 (OUT1) / 1 (OUT2).
inline constexpr uint32_t kBankBaseAddress = 3400;
inline constexpr uint32_t kBankStride = 800;
inline constexpr uint32_t kWorkingCopyAddress = 2600;
inline constexpr uint32_t kRemoteInterLockAddress = 147;
inline constexpr int32_t kVoltage1ThousandthsWord = 62;
inline constexpr int32_t kVoltage2ThousandthsWord = 63;

constexpr uint32_t BankAddress(int32_t bank) {
    return kBankBaseAddress + kBankStride * static_cast<uint32_t>(bank);
}
constexpr uint32_t HeadBlockAddress(uint32_t bankBase, int32_t head) {
    return bankBase + 100u * static_cast<uint32_t>(head);
}
constexpr uint32_t OutputBlockAddress(uint32_t bankBase, int32_t output) {
    return bankBase + 200u + 200u * static_cast<uint32_t>(output);
}
constexpr uint32_t CommonBlockAddress(uint32_t bankBase) {
    return bankBase + 600u;
}

// One individual system command row. Every row has kind 0: it is read and written.
struct SystemCommandRow {
    int32_t kind;
    int32_t itemId;
    std::string_view readCommand;
    std::string_view writeCommand;
};
std::span<const SystemCommandRow> SystemCommandTable();
// A row that is read from the controller: kind 0 with a read command.
bool IsReadRow(const SystemCommandRow& row);
// A row that is written to the controller: kind 0 with a write command.
bool IsWrittenRow(const SystemCommandRow& row);

// Conversions. A real is made integer as sign(v) * trunc(|v * scale| + 0.01), limited to the
// 32-bit range, so 1.5 -> 1 and -2.999999 -> -3 at scale 1.
int32_t MakeInteger(double value, double scale);
// The value in thousandths from its millionths, rounded half away from zero (-1.2345 -> -1235).
int32_t ThousandthsOf(double value);
// Two words (low first) as a signed 32-bit number, and back.
int32_t JoinWords(uint16_t low, uint16_t high);
uint16_t LowWord(int32_t value);
uint16_t HighWord(int32_t value);

}  // namespace zul
