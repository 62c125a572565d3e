// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingTexts.h"

#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingIds.h"
#include "ui/framework/QtText.h"

namespace zul::ui {

namespace {

// The word of value in the choice list of the control ctrlId, or the number when the list has
// no such entry.
QString ChoiceWord(const UiDefinition& ui, int32_t ctrlId, int64_t value) {
    for (const ChoiceEntry& entry : ui.FillChoiceList(ctrlId, -1).entries) {
        if (entry.value == value) {
            return ToQString(entry.text);
        }
    }
    return QString::number(value);
}

// The word of an output's buffering state, from the list of state names.
QString StateWord(const QStringList& names, int64_t state) {
    return state >= 0 && state < names.size() ? names[int(state)] : QString::number(state);
}

}  // namespace

QStringList RecordCaptions(const UiDefinition& ui, const char* name) {
    const UiControlRecord* record = ui.FindByName(name);
    return record != nullptr ? CaptionList(record->caption) : QStringList{};
}

QString BufferingStatusText(const UiDefinition& ui, const BufferingValueSet& status,
                            const std::optional<ReadProgress>& progress) {
    const QStringList names = RecordCaptions(ui, "Buffering_LblStatusItems");
    const QStringList states = RecordCaptions(ui, "Buffering_LblOutputStates");
    QStringList values = {ChoiceWord(ui, kBufBufferModeList, status[kSlotBufferMode]),
                          ChoiceWord(ui, kBufBufferTypeList, status[kSlotBufferType]),
                          QString::number(status[kSlotSampleTriggerStoreNum])};
    for (int o = 0; o < kBufferingOutputs; ++o) {
        values << StateWord(states, status[BufferingValueSet::StateRead(o)])
               << QString::number(status[BufferingValueSet::FinalDataPoint(o)])
               << QString::number(status[BufferingValueSet::TriggerCount(o)]);
    }
    if (progress) {
        values << QString::number(progress->done) + " / " + QString::number(progress->total);
    }
    QStringList parts;
    for (int i = 0; i < values.size(); ++i) {
        const QString name = i < names.size() ? names[i] : QString();
        parts << QString(name + ": " + values[i]).replace(QLatin1Char(' '), QChar::Nbsp);
    }
    return parts.join("   ");
}

}  // namespace zul::ui
