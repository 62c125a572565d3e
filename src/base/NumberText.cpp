#include "base/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace zul {

namespace {

int32_t Saturate(long long value) {
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t ParseDecimal(std::string_view text) {
    const std::string s(text);
    return Saturate(std::strtoll(s.c_str(), nullptr, 10));
}

int32_t ParseCInteger(std::string_view text) {
    const std::string s(text);
    return Saturate(std::strtoll(s.c_str(), nullptr, 0));
}

uint32_t ParseHexUnsigned(std::string_view text) {
    const std::string s(text);
    const unsigned long long value = std::strtoull(s.c_str(), nullptr, 16);
    return value > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                        : static_cast<uint32_t>(value);
}

double ParseReal(std::string_view text) {
    const std::string s(text);
    const double value = std::strtod(s.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

std::string FormatInt(int32_t value) {
    return std::to_string(value);
}

std::string FormatReal(double value) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%lf", value);
    return buffer;
}

}  // namespace zul
