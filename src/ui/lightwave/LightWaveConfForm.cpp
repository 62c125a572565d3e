// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lightwave/LightWaveConfForm.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

#include "app/Application.h"
#include "base/DataFileText.h"
#include "lightwave/LightWaveFile.h"
#include "settings/MessageBox.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/GridCtrl.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtText.h"
#include "ui/framework/UiApplier.h"
#include "ui/lightwave/LightWaveIds.h"
#include "ui/lightwave/LightWaveWnd.h"
#include "ui_LightWaveConfForm.h"

namespace zul::ui {

namespace {

constexpr int kWorkRows = 8;
constexpr int kWorkColumns = 3;

DataFileOptions CurrentFileOptions(const SettingsStore& store) {
    DataFileOptions options;
    options.csvSeparator = store.GetInt<kSoftCsvSeparator>();
    options.csvUnderdigit = store.GetInt<kSoftCsvUnderdigit>();
    return options;
}

}  // namespace

CLightWaveConfForm::CLightWaveConfForm(CLightWaveWnd& window, QWidget* parent)
    : QDialog(parent),
      FormBase(this, window.Context(), &window),
      window_(window),
      boxes_(this),
      ui_(std::make_unique<Ui::LightWaveConfForm>()) {
    ui_->setupUi(this);
    setWindowFlag(Qt::Window);
    Ui::LightWaveConfForm& u = *ui_;
    comment_ = u.comment;
    frameRate_ = FindControl<CNumericEdit>(this, kLwCtrlFrameRate);
    interval_ = FindControl<CNumericEdit>(this, kLwCtrlUpdateCycle);
    rect_ = FindControl<QCheckBox>(this, kLwCtrlRectDisp);
    workNo_ = {u.workNoA, u.workNoB};
    tables_ = {u.workInfoA, u.workInfoB};
    for (CGridCtrl* table : tables_) {
        table->SetSize(kWorkRows, kWorkColumns);
        table->SetRowHeadersVisible(false);
        // All three columns and eight rows in view, without scrolling.
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table->setMinimumHeight(table->horizontalHeader()->sizeHint().height() +
                                table->verticalHeader()->defaultSectionSize() * kWorkRows +
                                2 * table->frameWidth());
    }
    connect(u.close, &QPushButton::clicked, this, &QDialog::close);
    connect(u.save, &QPushButton::clicked, this, [this] { Save(); });
    connect(u.load, &QPushButton::clicked, this, [this] { Load(); });
    connect(interval_, &QLineEdit::editingFinished, this, [this] {
        if (interval_->HoldsValidValue()) {
            window_.SetInterval(*interval_->IntValue());
        }
    });
    connect(rect_, &QCheckBox::toggled, this, [this](bool on) { window_.SetRectDisplay(on); });
    for (int head = 0; head < 2; ++head) {
        connect(workNo_[head], &QCheckBox::toggled, this,
                [this, head](bool on) { window_.SetWorkNoDisplay(head, on); });
    }

    SetPositionItems({.top = kLwConfFormTop, .left = kLwConfFormLeft});
    ApplyUiDefinition();
    const SettingsStore& store = *Context().store;
    interval_->SetIntValue(window_.Interval());
    {
        const QSignalBlocker blockRect(rect_);
        rect_->setChecked(store.GetInt<kLwConfGraphRectDisp>() != 0);
        for (int head = 0; head < 2; ++head) {
            const QSignalBlocker block(workNo_[head]);
            workNo_[head]->setChecked(store.GetInt<kLwConfWorkNoDisp>(head) != 0);
        }
    }
    ShowData();
    ShowWorkInformation();
}

CLightWaveConfForm::~CLightWaveConfForm() = default;

void CLightWaveConfForm::OnUiDefinitionApplied() {
    const UiDefinition& ui = window_.App().Ui();
    for (int head = 0; head < 2; ++head) {
        const UiControlRecord* record = ui.FindByName(head == 0 ? "LightWaveConf_GrdWorkInfHeadA"
                                                                : "LightWaveConf_GrdWorkInfHeadB");
        QStringList titles = record != nullptr ? CaptionList(record->caption) : QStringList();
        for (int column = static_cast<int>(titles.size()); column < kWorkColumns; ++column) {
            titles.push_back(FallbackWorkTableTitle(column));
        }
        tables_[head]->Model().SetColumnTitles(titles.mid(0, kWorkColumns));
        // The head's caption names its box.
        const UiControlRecord* headRecord =
            ui.FindByName(head == 0 ? "LightWave_LblGraphHeadA" : "LightWave_LblGraphHeadB");
        const QString headCaption =
            headRecord != nullptr ? CaptionText(headRecord->caption) : QString();
        workNo_[head]->setText(workNo_[head]->text() + " (" + headCaption + ")");
    }
}

void CLightWaveConfForm::ShowData() {
    const LightWaveData& data = window_.Data();
    std::lock_guard lock(data.mutex);
    comment_->setText(ToQString(data.comment));
    frameRate_->SetIntValue(data.frameRate);
}

void CLightWaveConfForm::TakeData() {
    LightWaveData& data = window_.Data();
    std::lock_guard lock(data.mutex);
    data.comment = ToStdString(comment_->text());
    if (std::optional<int32_t> rate = frameRate_->IntValue()) {
        data.frameRate = *rate;
    }
}

void CLightWaveConfForm::ShowWorkInformation() {
    for (int head = 0; head < 2; ++head) {
        CGridCtrl& table = *tables_[head];
        const bool valid = window_.ShownValid(head);
        const LightWaveFrame& frame = window_.ShownFrame(head);
        for (int row = 1; row <= kWorkRows; ++row) {
            table.SetCellText(row - 1, 0, QString::number(row));
            const int32_t cell = frame.Field(2 + row);
            const bool shown = valid && cell >= 1 && cell <= kLightWaveSamples;
            table.SetCellText(row - 1, 1,
                              shown ? QString::asprintf("%ld", static_cast<long>(cell)) : "");
            table.SetCellText(
                row - 1, 2,
                shown ? QString::asprintf("%ld", static_cast<long>(frame.Sample(cell))) : "");
        }
    }
}

void CLightWaveConfForm::StoreFolder(const QString& path) {
    window_.App().Store().SetText<kLwConfCurFolder>(
        ToStdString(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
}

int32_t CLightWaveConfForm::Save() {
    SettingsStore& store = window_.App().Store();
    QtFileDialogHost files(this);
    std::optional<FileDialogResult> chosen = files.ChooseFile(
        MakeFileDialogRequest(FileDialogRequest::Mode::Save, store.GetText<kLwConfCurFolder>(),
                              {"lwd (*.lwd)", "csv (*.csv)"}, "lwd"));
    if (!chosen) {
        return ZUL_ERR_ABORT;
    }
    StoreFolder(chosen->path);
    TakeData();
    const bool csv = QFileInfo(chosen->path).suffix().compare("csv", Qt::CaseInsensitive) == 0;
    ResultInfo result;
    if (SaveLightWaveFile(window_.Data(), ToStdString(chosen->path), csv, CurrentFileOptions(store),
                          &result) != ZUL_OK) {
        ResultInfo shown;
        SetResult(&shown, ZUL_ERR_FILE_WRITE, result.osError, ToStdString(chosen->path),
                  result.detail2);
        ReportResult(boxes_, window_.App().Ui(), shown);
        return ZUL_ERR_FILE_WRITE;
    }
    return ZUL_OK;
}

int32_t CLightWaveConfForm::Load() {
    SettingsStore& store = window_.App().Store();
    QtFileDialogHost files(this);
    std::optional<FileDialogResult> chosen = files.ChooseFile(MakeFileDialogRequest(
        FileDialogRequest::Mode::Open, store.GetText<kLwConfCurFolder>(), {"lwd (*.lwd)"}, "lwd"));
    if (!chosen) {
        return ZUL_ERR_ABORT;
    }
    StoreFolder(chosen->path);
    // Capture and playback stop first: the histories are replaced.
    window_.PrepareForLoad();
    ResultInfo result;
    const int32_t code = LoadLightWaveFile(window_.Data(), ToStdString(chosen->path),
                                           CurrentFileOptions(store), &result);
    window_.LoadFinished();
    ShowData();
    ShowWorkInformation();
    if (code != ZUL_OK) {
        ResultInfo shown;
        SetResult(&shown, ZUL_ERR_FILE_READ, result.osError, ToStdString(chosen->path),
                  result.detail2);
        ReportResult(boxes_, window_.App().Ui(), shown);
        return ZUL_ERR_FILE_READ;
    }
    return ZUL_OK;
}

}  // namespace zul::ui
