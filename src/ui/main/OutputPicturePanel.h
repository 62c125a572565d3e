// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's column of output pictures: the combination of both outputs' patterns
// (control 1103) and the configuration of OUT1 and OUT2 (1105, 1107), each under its caption
// (1102, 1104, 1106). A picture that cannot be loaded hides itself and its caption; without any
// picture the column takes no room.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include <QString>

class QLabel;
class QWidget;

namespace zul {

class UiDefinition;
class SettingsStore;

}  // namespace zul

namespace zul::ui {}  // namespace zul::ui

namespace zul::ui {

struct OutputPictureInputs;

class OutputPicturePanel {
public:
    // The picture controls in the order combination, OUT1, OUT2, with their captions, and the
    // column that holds them.
    struct Controls {
        std::array<QLabel*, 3> pictures{};
        std::array<QWidget*, 3> captions{};
        QWidget* column = nullptr;
    };

    OutputPicturePanel(const UiDefinition& ui, const Controls& controls);

    // Draws the pictures of bank from the pictures folder of the store. The output titles
    // name the outputs in the combination picture's description.
    void Draw(const SettingsStore& store, int32_t bank, const QString& out1Title,
              const QString& out2Title);

    // The file shown by the picture control ctrlId (1103, 1105 or 1107); empty when hidden.
    QString PictureFile(int32_t ctrlId) const;

private:
    void Show(size_t slot, const QString& folder, const std::optional<std::string>& name,
              const QString& description);
    void Hide(size_t slot);
    // The text of the entry of ctrlId's choice list whose value is value (empty when none).
    QString ChoiceText(int32_t ctrlId, int32_t value) const;
    QString Description(const OutputPictureInputs& out, bool withHead) const;

    const UiDefinition& ui_;
    Controls controls_;
    std::array<QString, 3> files_;
};

}  // namespace zul::ui
