// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of the output configuration: which file shows the combination of both outputs'
// patterns and which shows one output's configuration, and where the picture folder is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zul {
class SettingsStore;
}

namespace zul::ui {

// "xx0<c1><c2>.jpg" with the characters of "123456789abcdefg" at both patterns; nothing when a
// pattern lies outside 0..15 (a hand-edited or old settings file), which hides the picture.
std::optional<std::string> CombinationPictureName(int32_t outPattern1, int32_t outPattern2);

// The settings one output picture depends on.
struct OutputPictureInputs {
    int32_t outPattern = 0;
    int32_t measureWork = 0;
    int32_t measureWorkBasis[2] = {0, 0};  // head A, head B
    int32_t setupMode[2] = {0, 0};
};

// w + s + "000.jpg" for patterns 0..3, w + s + "0" + c + ".jpg" for patterns 8..11 (head A for
// even, head B for odd patterns), "00000.jpg" otherwise.
std::string OutputPictureName(const OutputPictureInputs& inputs);

// The inputs of output (0 OUT1, 1 OUT2) in bank of store.
OutputPictureInputs ReadOutputPictureInputs(const SettingsStore& store, int32_t bank,
                                            int32_t output);

// The folder of the pictures: ImageFolder as it stands when it is absolute; a relative name
// beside the executable when that folder exists, else in ../share/qvm8-zul/ relative to the
// executable's folder.
std::string ResolveImageFolder(const std::string& imageFolder);

}  // namespace zul::ui
