// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/OutputPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"

namespace zul::ui {

namespace {

constexpr std::string_view kPatternCharacters = "123456789abcdefg";

const char* WorkCode(int32_t measureWork) {
    switch (measureWork) {
        case 1:
            return "20";
        case 2:
            return "30";
        case 3:
            return "40";
        case 4:
            return "50";
        case 5:
            return "12";
        case 6:
            return "13";
        case 7:
            return "14";
        case 8:
            return "15";
        case 9:
            return "23";
        case 10:
            return "24";
        case 11:
            return "25";
        case 12:
            return "34";
        case 13:
            return "35";
        case 14:
            return "45";
        default:
            return "10";
    }
}

bool InPatternRange(int32_t pattern) {
    return pattern >= 0 && pattern < static_cast<int32_t>(kPatternCharacters.size());
}

}  // namespace

std::optional<std::string> CombinationPictureName(int32_t outPattern1, int32_t outPattern2) {
    if (!InPatternRange(outPattern1) || !InPatternRange(outPattern2)) {
        return std::nullopt;
    }
    std::string name = "xx0";
    name += kPatternCharacters[static_cast<size_t>(outPattern1)];
    name += kPatternCharacters[static_cast<size_t>(outPattern2)];
    return name + ".jpg";
}

std::string OutputPictureName(const OutputPictureInputs& inputs) {
    const int32_t p = inputs.outPattern;
    const bool plain = p >= 0 && p <= 3;
    const bool worked = p >= 8 && p <= 11;
    if (!plain && !worked) {
        return "00000.jpg";
    }
    const int head = p % 2;  // even patterns use head A, odd ones head B
    std::string name;
    name += inputs.measureWorkBasis[head] == 1 ? 'f' : 'n';
    name += inputs.setupMode[head] == 1 ? 'r' : 's';
    name += '0';
    name += plain ? "00" : WorkCode(inputs.measureWork);
    return name + ".jpg";
}

OutputPictureInputs ReadOutputPictureInputs(const SettingsStore& store, int32_t bank,
                                            int32_t output) {
    auto lock = store.Lock();
    OutputPictureInputs inputs;
    inputs.outPattern = store.GetInt<kOutOutPattern>(bank, output);
    inputs.measureWork = store.GetInt<kOutMeasureWork>(bank, output);
    for (int32_t head = 0; head < 2; ++head) {
        inputs.measureWorkBasis[head] = store.GetInt<kHeadMeasureWorkBasis>(bank, head);
        inputs.setupMode[head] = store.GetInt<kHeadSetupMode>(bank, head);
    }
    return inputs;
}

std::string ResolveImageFolder(const std::string& imageFolder) {
    const QString folder = QString::fromStdString(imageFolder);
    if (QDir::isAbsolutePath(folder)) {
        return imageFolder;
    }
    const QDir exe(QCoreApplication::applicationDirPath());
    const QString beside = exe.filePath(folder);
    if (QFileInfo(beside).isDir()) {
        return beside.toStdString();
    }
    return QDir::cleanPath(exe.filePath(QStringLiteral("../share/qvm8-zul/") + folder))
        .toStdString();
}

}  // namespace zul::ui
