// SPDX-License-Identifier: GPL-3.0-or-later
// Light-wave capture: the received-light profile of each head along its 1024 cells.
//
// The spot sits at cell 512.5 + displacement / kHeadRangeMm * 480; its height follows the
// flood-light amount and the target's reflectance (saturating at 4095), its width (standard
// deviation 4 + flood / 20 cells) grows with the flood light; a background of about 30 with
// noise lies under it. With the laser off only the background remains.
// Header words of a capture (Head A at the first address of each pair, Head B at the second):
//   17201/17202 peak cell (1..1024, 0 when no peak)    17203/17204 peak height
//   17205..17212 (A), 17213..17220 (B): eight cell numbers 1..1024: left and right edge at half
//   height, PsACell, PsBCell, PeakSearchCellA, PeakSearchCellB, centroid cell, peak cell
//   17221/17225 flood-light amount    17222/17226 width at half height in cells
//   17223/17227 half-height level     17224/17228 exposure time in microseconds
//   17229/17230 head alarm code
//   44/45 received-light amount (peak height)
#pragma once

#include <cstdint>

#include "SimMeasurement.h"
#include "SimMemory.h"

namespace zul::sim {

class SimLightWave {
public:
    explicit SimLightWave(uint64_t seed = 7) : noise_(seed ? seed : 7) {}
    // Fills the light-wave area and words 44/45 from the heads' latest samples, then clears
    // the trigger word.
    void Capture(SimMemory& memory, const SimMeasurement& measurement);

private:
    void CaptureHead(SimMemory& memory, const SimMeasurement& measurement, int h);
    double Noise();

    uint64_t noise_;
};

}  // namespace zul::sim
