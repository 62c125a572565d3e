// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the configuration list: every setting of the controller's system block and of
// the 16 memory banks, as text. Columns: the group (system, or bank and head/outputs/common),
// the item's caption, the value of OUT1 (or the one value of a head, common or system item) and
// the value of OUT2. Values are FormatItem texts, so lists show their choice text, radios their
// caption, numbers their unit, and lengths follow the micrometre mode.
#pragma once

#include <cstdint>
#include <vector>

#include <QString>
#include <QStringList>

namespace zul {

class Application;
class UiDefinition;

}  // namespace zul

namespace zul::ui {}  // namespace zul::ui

namespace zul::ui {

enum class ConfigGroup : int32_t { kSystem, kHead, kOutputs, kCommon };

struct ConfigRow {
    ConfigGroup group = ConfigGroup::kSystem;
    int32_t bank = -1;  // -1 for system rows
    int32_t head = 0;   // head rows: 0 Head A, 1 Head B
    int32_t itemId = 0;
    QString groupText;
    QString itemText;
};

// Which rows a print covers (FORM_CONFIGPRINT OutputDivision).
enum class ConfigDivision : int32_t { kAllBanks = 0, kCurrentBank = 1, kSystemOnly = 2 };

class ConfigListRows {
public:
    static constexpr int kColumns = 4;
    static constexpr int kGroupColumn = 0;
    static constexpr int kItemColumn = 1;
    static constexpr int kFirstValueColumn = 2;

    explicit ConfigListRows(Application& app);

    // Builds the rows (the item texts from the UI definition as it is now).
    void Build();
    const std::vector<ConfigRow>& Rows() const { return rows_; }
    // Column titles: the row title record, then the column title record's entries.
    QStringList ColumnTitles() const;

    // The text of a cell from the settings store as it is now.
    QString Text(int row, int column) const;
    QString Text(const ConfigRow& row, int column) const;
    // True when a value cell differs from the same setting of the reference bank.
    bool DiffersFrom(int row, int column, int32_t referenceBank) const;

    // The row indices a print of the division covers (the current bank is ZUL_APP_DATA
    // CurMemNo).
    std::vector<int> RowsOf(ConfigDivision division) const;

private:
    QString ValueText(int32_t itemId, int32_t bank, int32_t index) const;

    Application& app_;
    std::vector<ConfigRow> rows_;
};

}  // namespace zul::ui
