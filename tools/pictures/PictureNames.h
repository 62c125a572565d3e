// SPDX-License-Identifier: GPL-3.0-or-later
// The file names of the output-configuration pictures the main window loads, and what each one
// shows. The names follow the main window's rules: "xx0<c1><c2>.jpg" for the pattern
// combination of OUT1 and OUT2, "<w><s>0<c>.jpg" for one output's configuration, "00000.jpg"
// for an output computed from both heads.
#pragma once

#include <string>
#include <vector>

namespace pictures {

// Characters that stand for the output patterns 0 to 15 in a combination picture's name.
inline constexpr char kPatternChars[] = "123456789abcdefg";
inline constexpr int kPatternCount = 16;

// One output's configuration picture.
struct OutputView {
    bool farBasis = false;   // surfaces counted from the far side ("f"), else the near side ("n")
    bool specular = false;   // specular reflection setup ("r"), else diffuse ("s")
    int firstSurface = 0;    // 0: the plain target ("000"), else the surface measured (1-5)
    int secondSurface = 0;   // 0: one surface, else the thickness between first and second
    bool bothHeads = false;  // "00000.jpg": the output is computed from head A and head B
    std::string fileName;
};

// The pattern combination of OUT1 and OUT2.
struct CombinationView {
    int out1 = 0;  // OutPattern of OUT1, 0-15
    int out2 = 0;  // OutPattern of OUT2, 0-15
    std::string fileName;
};

// Which head an output pattern reads: 'A', 'B', or '+' for both heads.
char PatternHeads(int pattern);

// True for the patterns that measure chosen surfaces of a layered target (8-11).
bool PatternUsesSurfaces(int pattern);

// Every output picture: both bases, both setups, the plain target and the fifteen surface
// codes, plus the two-head picture.
std::vector<OutputView> AllOutputViews();

// Every combination of two patterns.
std::vector<CombinationView> AllCombinationViews();

}  // namespace pictures
