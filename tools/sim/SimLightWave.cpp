// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimLightWave.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zul::sim {

namespace {

constexpr double kBackground = 30.0;
constexpr double kFullScale = 4095.0;

uint16_t Cell(double cell) {
    return static_cast<uint16_t>(std::clamp(std::lround(cell), 1L, long(kLightCells)));
}

}  // namespace

double SimLightWave::Noise() {
    noise_ ^= noise_ << 13;
    noise_ ^= noise_ >> 7;
    noise_ ^= noise_ << 17;
    return static_cast<double>(noise_ % 2001) / 1000.0 - 1.0;  // -1..1
}

void SimLightWave::Capture(SimMemory& memory, const SimMeasurement& measurement) {
    CaptureHead(memory, measurement, 0);
    CaptureHead(memory, measurement, 1);
    memory.SetWord(kLightTrigger, 0);
}

void SimLightWave::CaptureHead(SimMemory& memory, const SimMeasurement& measurement, int h) {
    const HeadSample& sample = measurement.Head(h);
    uint32_t block = HeadBlock(kWorkingCopy, h);
    double flood = std::clamp<double>(memory.Word(block + head::kFloodLight), 1.0, 100.0);
    bool laserOn = memory.Word(block + head::kLaserOff) == 0;
    double height = laserOn ? sample.lightLevel : 0.0;
    double sigma = 4.0 + flood / 20.0;
    double centre = 512.5 + sample.rawMm / kHeadRangeMm * 480.0;

    std::vector<double> level(kLightCells);
    for (uint32_t i = 0; i < kLightCells; ++i) {
        double cell = static_cast<double>(i + 1);
        double d = (cell - centre) / sigma;
        double v = kBackground + 8.0 * Noise() + height * std::exp(-0.5 * d * d);
        if (height > 0) {
            v += height * 0.01 * Noise();
        }
        level[i] = std::clamp(v, 0.0, kFullScale);
    }
    uint32_t samples = h == 0 ? kLightSamplesA : kLightSamplesB;
    for (uint32_t i = 0; i < kLightCells; ++i) {
        memory.SetWord(samples + i, static_cast<uint16_t>(std::lround(level[i])));
    }

    auto peakIt = std::max_element(level.begin(), level.end());
    double peakHeight = *peakIt;
    bool peak = height > 0 && peakHeight > 2 * kBackground;
    uint32_t peakCell = static_cast<uint32_t>(peakIt - level.begin()) + 1;
    double half = peak ? (peakHeight + kBackground) / 2.0 : 0.0;
    uint32_t left = peakCell;
    uint32_t right = peakCell;
    double weight = 0;
    double moment = 0;
    if (peak) {
        while (left > 1 && level[left - 2] >= half) {
            --left;
        }
        while (right < kLightCells && level[right] >= half) {
            ++right;
        }
        for (uint32_t c = left; c <= right; ++c) {
            double w = level[c - 1] - kBackground;
            weight += w;
            moment += w * c;
        }
    }
    double centroid = weight > 0 ? moment / weight : peakCell;

    memory.SetWord(kLightHeader + 0 + h, static_cast<uint16_t>(peak ? peakCell : 0));
    memory.SetWord(kLightHeader + 2 + h, static_cast<uint16_t>(std::lround(peakHeight)));
    uint32_t cells = kLightHeader + 4 + 8 * h;
    memory.SetWord(cells + 0, Cell(left));
    memory.SetWord(cells + 1, Cell(right));
    memory.SetWord(cells + 2, Cell(memory.Word(block + head::kPsACell)));
    memory.SetWord(cells + 3, Cell(memory.Word(block + head::kPsBCell)));
    memory.SetWord(cells + 4, Cell(memory.Word(block + head::kPeakSearchCellA)));
    memory.SetWord(cells + 5, Cell(memory.Word(block + head::kPeakSearchCellB)));
    memory.SetWord(cells + 6, Cell(centroid));
    memory.SetWord(cells + 7, Cell(peakCell));
    uint32_t extra = kLightHeader + 20 + 4 * h;
    memory.SetWord(extra + 0, static_cast<uint16_t>(flood));
    memory.SetWord(extra + 1, static_cast<uint16_t>(peak ? right - left + 1 : 0));
    memory.SetWord(extra + 2, static_cast<uint16_t>(std::lround(half)));
    memory.SetWord(extra + 3, static_cast<uint16_t>(std::lround(50.0 + flood * 2.0)));
    memory.SetWord(kLightHeader + 28 + h, static_cast<uint16_t>(sample.alarmCode));
    memory.SetWord(kLightAmountA + h, static_cast<uint16_t>(std::lround(peak ? peakHeight : 0)));
}

}  // namespace zul::sim
