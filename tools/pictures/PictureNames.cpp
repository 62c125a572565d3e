// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureNames.h"

#include <array>

namespace pictures {

namespace {

// The surface codes of MeasureWork: "d0" is surface d alone, "ab" the thickness from a to b.
constexpr std::array<const char*, 15> kSurfaceCodes = {
    "10", "20", "30", "40", "50", "12", "13", "14", "15", "23", "24", "25", "34", "35", "45"};

}  // namespace

char PatternHeads(int pattern) {
    switch (pattern) {
        case 0:
        case 2:
        case 8:
        case 10:
            return 'A';
        case 1:
        case 3:
        case 9:
        case 11:
            return 'B';
        default:
            return '+';
    }
}

bool PatternUsesSurfaces(int pattern) {
    return pattern >= 8 && pattern <= 11;
}

std::vector<OutputView> AllOutputViews() {
    std::vector<OutputView> views;
    for (bool farBasis : {false, true}) {
        for (bool specular : {false, true}) {
            const std::string prefix = std::string(farBasis ? "f" : "n") + (specular ? "r" : "s");
            OutputView plain;
            plain.farBasis = farBasis;
            plain.specular = specular;
            plain.fileName = prefix + "000.jpg";
            views.push_back(plain);
            for (const char* code : kSurfaceCodes) {
                OutputView view = plain;
                view.firstSurface = code[0] - '0';
                view.secondSurface = code[1] - '0';
                view.fileName = prefix + "0" + code + ".jpg";
                views.push_back(view);
            }
        }
    }
    OutputView both;
    both.bothHeads = true;
    both.fileName = "00000.jpg";
    views.push_back(both);
    return views;
}

std::vector<CombinationView> AllCombinationViews() {
    std::vector<CombinationView> views;
    for (int out1 = 0; out1 < kPatternCount; ++out1) {
        for (int out2 = 0; out2 < kPatternCount; ++out2) {
            CombinationView view;
            view.out1 = out1;
            view.out2 = out2;
            view.fileName = std::string("xx0") + kPatternChars[out1] + kPatternChars[out2] + ".jpg";
            views.push_back(view);
        }
    }
    return views;
}

}  // namespace pictures
