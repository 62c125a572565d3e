// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/ConfigListRows.h"

#include <string_view>

#include "app/Application.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/QtText.h"

namespace zul::ui {

namespace {

constexpr int32_t kBankListCtrl = 0x449;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

QString RecordCaption(const UiDefinition& ui, std::string_view name) {
    const UiControlRecord* record = ui.FindByName(name);
    return record != nullptr ? CaptionText(record->caption) : QString();
}

// The caption of an item: its control's caption, or its key for radio groups and items
// without a captioned control.
QString ItemCaption(const UiDefinition& ui, const SettingItem& item) {
    const UiControlRecord* record = ui.FindById(item.control1);
    if (record != nullptr && record->ctrlKind != kUiKindRadio && !record->caption.empty()) {
        return CaptionText(record->caption);
    }
    QString key = QString::fromLatin1(item.key);
    key.remove("%o").remove("%h").remove("%m");
    return key;
}

bool Listed(const SettingItem& item) {
    return item.storageClass == 1 && item.control1 != 0 && item.valueType != 3;
}

}  // namespace

ConfigListRows::ConfigListRows(Application& app) : app_(app) {}

QStringList ConfigListRows::ColumnTitles() const {
    const UiDefinition& ui = app_.Ui();
    QStringList titles;
    const UiControlRecord* rowTitle = ui.FindByName("ConfigList_GrdRowTitle");
    titles.push_back(rowTitle != nullptr ? CaptionText(rowTitle->caption) : QString());
    const UiControlRecord* columns = ui.FindByName("ConfigList_GrdColTitle");
    QStringList rest = columns != nullptr ? CaptionList(columns->caption) : QStringList();
    while (rest.size() < kColumns - 1) {
        rest.push_back(QString());
    }
    titles.append(rest.mid(0, kColumns - 1));
    return titles;
}

void ConfigListRows::Build() {
    const UiDefinition& ui = app_.Ui();
    rows_.clear();
    const QString systemText = RecordCaption(ui, "Controller_Wnd");
    const QStringList headNames = {RecordCaption(ui, "LightWave_LblGraphHeadA"),
                                   RecordCaption(ui, "LightWave_LblGraphHeadB")};
    const QString commonText = RecordCaption(ui, "ConfigList_LblCommon");
    const QString outputsText = RecordCaption(ui, "ConfigList_LblOutputs");
    QStringList bankNames;
    if (const UiControlRecord* banks = ui.FindById(kBankListCtrl)) {
        bankNames = CaptionList(banks->selectList);
    }
    for (const SettingItem& item : kSettingItems) {
        if (item.valueType == -1) {
            break;
        }
        if (Listed(item) && std::string_view(item.section) == "MEM_CMN") {
            rows_.push_back(
                {ConfigGroup::kSystem, -1, 0, item.id, systemText, ItemCaption(ui, item)});
        }
    }
    const SettingsStore& store = app_.Store();
    for (int32_t bank = 0; bank < kBankCount; ++bank) {
        QString bankText = bank < bankNames.size() ? bankNames[bank] : QString::number(bank);
        const std::string alias = store.GetText<kSoftMemAlias>(bank);
        if (!alias.empty()) {
            bankText += " " + ToQString(alias);
        }
        for (int32_t head = 0; head < 2; ++head) {
            for (const SettingItem& item : kSettingItems) {
                if (item.valueType == -1) {
                    break;
                }
                if (Listed(item) && StartsWith(item.section, "MEM%m_HEAD")) {
                    rows_.push_back({ConfigGroup::kHead, bank, head, item.id,
                                     bankText + " " + headNames[head], ItemCaption(ui, item)});
                }
            }
        }
        for (const SettingItem& item : kSettingItems) {
            if (item.valueType == -1) {
                break;
            }
            if (!Listed(item)) {
                continue;
            }
            if (StartsWith(item.section, "MEM%m_OUT")) {
                rows_.push_back({ConfigGroup::kOutputs, bank, 0, item.id,
                                 bankText + " " + outputsText, ItemCaption(ui, item)});
            }
        }
        for (const SettingItem& item : kSettingItems) {
            if (item.valueType == -1) {
                break;
            }
            if (Listed(item) && (StartsWith(item.section, "MEM%m_COMMON") ||
                                 StartsWith(item.section, "MEM%m_BUFFERING"))) {
                const bool perOutput = item.index2Kind == 3;
                rows_.push_back({perOutput ? ConfigGroup::kOutputs : ConfigGroup::kCommon, bank, 0,
                                 item.id, bankText + " " + (perOutput ? outputsText : commonText),
                                 ItemCaption(ui, item)});
            }
        }
    }
}

QString ConfigListRows::ValueText(int32_t itemId, int32_t bank, int32_t index) const {
    return ToQString(
        app_.Store().FormatItem(app_.Ui(), app_.Micron(), itemId, bank < 0 ? 0 : bank, index));
}

QString ConfigListRows::Text(int row, int column) const {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) {
        return {};
    }
    return Text(rows_[static_cast<size_t>(row)], column);
}

QString ConfigListRows::Text(const ConfigRow& row, int column) const {
    switch (column) {
        case kGroupColumn:
            return row.groupText;
        case kItemColumn:
            return row.itemText;
        case kFirstValueColumn:
            return ValueText(row.itemId, row.bank, row.group == ConfigGroup::kHead ? row.head : 0);
        case kFirstValueColumn + 1:
            return row.group == ConfigGroup::kOutputs ? ValueText(row.itemId, row.bank, 1)
                                                      : QString();
        default:
            return {};
    }
}

bool ConfigListRows::DiffersFrom(int row, int column, int32_t referenceBank) const {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size() || column < kFirstValueColumn) {
        return false;
    }
    const ConfigRow& cell = rows_[static_cast<size_t>(row)];
    if (cell.bank < 0 || cell.bank == referenceBank) {
        return false;
    }
    ConfigRow reference = cell;
    reference.bank = referenceBank;
    return Text(cell, column) != Text(reference, column);
}

std::vector<int> ConfigListRows::RowsOf(ConfigDivision division) const {
    const int32_t current = app_.Store().GetInt<kAppCurMemNo>();
    std::vector<int> chosen;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const ConfigRow& row = rows_[i];
        const bool take = division == ConfigDivision::kAllBanks ||
                          (division == ConfigDivision::kCurrentBank && row.bank == current) ||
                          (division == ConfigDivision::kSystemOnly && row.bank < 0);
        if (take) {
            chosen.push_back(static_cast<int>(i));
        }
    }
    return chosen;
}

}  // namespace zul::ui
