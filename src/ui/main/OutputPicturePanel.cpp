// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/OutputPicturePanel.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStringList>

#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/QtText.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/MainControls.h"
#include "ui/main/OutputPictures.h"

namespace zul::ui {

namespace {

// The picture controls: the combination, OUT1 and OUT2.
constexpr std::array<int32_t, 3> kPictureIds = {kMainOutPatternPicture, kMainOut1Picture,
                                                kMainOut2Picture};

// The file scaled into area on a white background, keeping its proportions; null when it cannot
// be read. The cache key holds the file's modification time, so each version of a file is
// decoded and scaled once per size.
QPixmap ScaledPicture(const QFileInfo& file, const QSize& area) {
    QPixmap canvas;
    const QString key = QStringLiteral("zul-picture:%1:%2x%3:%4")
                            .arg(file.absoluteFilePath())
                            .arg(area.width())
                            .arg(area.height())
                            .arg(file.lastModified().toMSecsSinceEpoch());
    if (!file.exists() || QPixmapCache::find(key, &canvas)) {
        return canvas;
    }
    const QImage image(file.absoluteFilePath());
    if (image.isNull()) {
        return canvas;
    }
    canvas = QPixmap(area);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage scaled = image.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter.drawImage((area.width() - scaled.width()) / 2, (area.height() - scaled.height()) / 2,
                      scaled);
    painter.end();
    QPixmapCache::insert(key, canvas);
    return canvas;
}

}  // namespace

OutputPicturePanel::OutputPicturePanel(const UiDefinition& ui, const Controls& controls)
    : ui_(ui), controls_(controls) {}

void OutputPicturePanel::Draw(const SettingsStore& store, int32_t bank, const QString& out1Title,
                              const QString& out2Title) {
    const QString folder = ToQString(ResolveImageFolder(store.GetText<kAppImageFolder>()));
    const OutputPictureInputs out1 = ReadOutputPictureInputs(store, bank, 0);
    const OutputPictureInputs out2 = ReadOutputPictureInputs(store, bank, 1);
    Show(0, folder, CombinationPictureName(out1.outPattern, out2.outPattern),
         out1Title + QStringLiteral(": ") + Description(out1, false) + QStringLiteral("; ") +
             out2Title + QStringLiteral(": ") + Description(out2, false));
    Show(1, folder, OutputPictureName(out1), Description(out1, true));
    Show(2, folder, OutputPictureName(out2), Description(out2, true));
    // Without any picture their column takes no room.
    bool any = false;
    for (const QLabel* picture : controls_.pictures) {
        any = any || !picture->isHidden();
    }
    controls_.column->setVisible(any);
}

QString OutputPicturePanel::PictureFile(int32_t ctrlId) const {
    for (size_t slot = 0; slot < kPictureIds.size(); ++slot) {
        if (kPictureIds[slot] == ctrlId) {
            return files_[slot];
        }
    }
    return {};
}

void OutputPicturePanel::Show(size_t slot, const QString& folder,
                              const std::optional<std::string>& name, const QString& description) {
    QLabel* label = controls_.pictures[slot];
    const QSize area = label->minimumSize().expandedTo(QSize(1, 1));
    const QPixmap canvas =
        name ? ScaledPicture(QFileInfo(QDir(folder).filePath(ToQString(*name))), area) : QPixmap();
    if (canvas.isNull()) {
        Hide(slot);
        return;
    }
    // The caption above a picture goes and comes with it, as the records allow.
    QWidget* caption = controls_.captions[slot];
    label->setPixmap(canvas);
    label->setVisible(RecordAllowsShowing(ui_, CtrlIdOf(label)));
    caption->setVisible(RecordAllowsShowing(ui_, CtrlIdOf(caption)));
    label->parentWidget()->setVisible(true);
    files_[slot] = ToQString(*name);
    // A picture is read aloud by its caption and what it shows.
    if (auto* title = qobject_cast<QLabel*>(caption)) {
        label->setAccessibleName(title->text());
    }
    label->setAccessibleDescription(description);
}

void OutputPicturePanel::Hide(size_t slot) {
    QLabel* label = controls_.pictures[slot];
    files_[slot].clear();
    label->clear();
    label->setVisible(false);
    controls_.captions[slot]->setVisible(false);
    label->parentWidget()->setVisible(false);
}

QString OutputPicturePanel::ChoiceText(int32_t ctrlId, int32_t value) const {
    const ChoiceList list = ui_.FillChoiceList(ctrlId, value);
    if (list.selected < 0 || list.entries[size_t(list.selected)].value != value) {
        return {};
    }
    return ToQString(list.entries[size_t(list.selected)].text);
}

QString OutputPicturePanel::Description(const OutputPictureInputs& out, bool withHead) const {
    // What the picture draws, in the words of the pages' lists: the calculation, the surfaces
    // measured, and how the head it uses is set up.
    QStringList parts{ChoiceText(kOutPatternList, out.outPattern)};
    const int32_t p = out.outPattern;
    const bool surfaces = p >= 8 && p <= 11;
    if (surfaces) {
        parts << ChoiceText(kOutMeasureWorkList, out.measureWork);
    }
    if (withHead && (surfaces || (p >= 0 && p <= 3))) {
        const int head = p % 2;
        parts << ChoiceText(kHeadSetupModeList, out.setupMode[head])
              << ChoiceText(kHeadMeasureWorkBasisList, out.measureWorkBasis[head]);
    }
    parts.removeAll(QString());
    return parts.join(QStringLiteral(", "));
}

}  // namespace zul::ui
