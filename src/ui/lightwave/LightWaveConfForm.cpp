// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lightwave/LightWaveConfForm.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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

namespace zul::ui {

namespace {

constexpr int kWorkRows = 8;
constexpr int kWorkColumns = 3;

QLabel* NamedLabel(const char* record, QWidget* buddy) {
    auto* label = new QLabel;
    label->setProperty(kUiNameProperty, record);
    label->setBuddy(buddy);
    return label;
}

DataFileOptions CurrentFileOptions(const SettingsStore& store) {
    DataFileOptions options;
    options.csvSeparator = store.GetInt<kSoftCsvSeparator>();
    options.csvUnderdigit = store.GetInt<kSoftCsvUnderdigit>();
    return options;
}

}  // namespace

LightWaveConfForm::LightWaveConfForm(LightWaveWnd& window, QWidget* parent)
    : QDialog(parent), FormBase(this, window.Context(), &window), window_(window), boxes_(this) {
    setProperty(kUiNameProperty, "LightWaveConf_Wnd");
    setWindowFlag(Qt::Window);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    comment_ = new QLineEdit;
    comment_->setObjectName("comment");
    form->addRow(NamedLabel("LightWaveConf_LblComment", comment_), comment_);
    frameRate_ = new CNumericEdit;
    SetCtrlId(frameRate_, kLwCtrlFrameRate);
    form->addRow(NamedLabel("LightWaveConf_LblFrameRate", frameRate_), frameRate_);
    interval_ = new CNumericEdit;
    SetCtrlId(interval_, kLwCtrlUpdateCycle);
    form->addRow(NamedLabel("LightWaveConf_LblUpdateCycle", interval_), interval_);
    rect_ = new QCheckBox;
    SetCtrlId(rect_, kLwCtrlRectDisp);
    form->addRow(rect_);
    for (int head = 0; head < 2; ++head) {
        workNo_[head] = new QCheckBox;
        SetCtrlId(workNo_[head], kLwCtrlWorkNoDisp);
        workNo_[head]->setObjectName(head == 0 ? "workNoA" : "workNoB");
    }
    auto* workRow = new QHBoxLayout;
    workRow->addWidget(workNo_[0]);
    workRow->addWidget(workNo_[1]);
    form->addRow(workRow);
    layout->addLayout(form);

    auto* files = new QHBoxLayout;
    auto* save = new QPushButton;
    save->setProperty(kUiNameProperty, "LightWaveConf_BtnSave");
    save->setObjectName("save");
    auto* load = new QPushButton;
    load->setProperty(kUiNameProperty, "LightWaveConf_BtnLoad");
    load->setObjectName("load");
    files->addWidget(save);
    files->addWidget(load);
    files->addStretch(1);
    layout->addLayout(files);

    auto* tables = new QGridLayout;
    for (int head = 0; head < 2; ++head) {
        tables->addWidget(NamedLabel(head == 0 ? "LightWaveConf_LblWorkInfHeadA"
                                               : "LightWaveConf_LblWorkInfHeadB",
                                     nullptr),
                          0, head);
        auto* table = new CGridCtrl;
        table->setObjectName(head == 0 ? "workInfoA" : "workInfoB");
        table->SetSize(kWorkRows, kWorkColumns);
        table->SetRowHeadersVisible(false);
        table->setMinimumHeight(table->verticalHeader()->defaultSectionSize() * 9 + 8);
        tables_[head] = table;
        tables->addWidget(table, 1, head);
    }
    layout->addLayout(tables, 1);
    auto* close = new QPushButton;
    close->setProperty(kUiNameProperty, "LightWaveConf_BtnClose");
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    layout->addWidget(close, 0, Qt::AlignRight);

    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(load, &QPushButton::clicked, this, [this] { Load(); });
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

LightWaveConfForm::~LightWaveConfForm() = default;

void LightWaveConfForm::OnUiDefinitionApplied() {
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

void LightWaveConfForm::ShowData() {
    const LightWaveData& data = window_.Data();
    std::lock_guard lock(data.mutex);
    comment_->setText(ToQString(data.comment));
    frameRate_->SetIntValue(data.frameRate);
}

void LightWaveConfForm::TakeData() {
    LightWaveData& data = window_.Data();
    std::lock_guard lock(data.mutex);
    data.comment = ToStdString(comment_->text());
    if (std::optional<int32_t> rate = frameRate_->IntValue()) {
        data.frameRate = *rate;
    }
}

void LightWaveConfForm::ShowWorkInformation() {
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

void LightWaveConfForm::StoreFolder(const QString& path) {
    window_.App().Store().SetText<kLwConfCurFolder>(
        ToStdString(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
}

int32_t LightWaveConfForm::Save() {
    SettingsStore& store = window_.App().Store();
    QtFileDialogHost files(this);
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.startFolder = ToQString(store.GetText<kLwConfCurFolder>());
    request.filters = {"lwd (*.lwd)", "csv (*.csv)"};
    request.defaultSuffix = "lwd";
    std::optional<FileDialogResult> chosen = files.ChooseFile(request);
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
        SetResult(&shown, ZUL_ERR_FILE_WRITE, result.osError, ToStdString(chosen->path));
        ReportResult(boxes_, window_.App().Ui(), shown);
        return ZUL_ERR_FILE_WRITE;
    }
    return ZUL_OK;
}

int32_t LightWaveConfForm::Load() {
    SettingsStore& store = window_.App().Store();
    QtFileDialogHost files(this);
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Open;
    request.startFolder = ToQString(store.GetText<kLwConfCurFolder>());
    request.filters = {"lwd (*.lwd)"};
    request.defaultSuffix = "lwd";
    std::optional<FileDialogResult> chosen = files.ChooseFile(request);
    if (!chosen) {
        return ZUL_ERR_ABORT;
    }
    StoreFolder(chosen->path);
    // Capture and playback stop first: the histories are replaced.
    window_.PrepareForLoad();
    ResultInfo result;
    int32_t code = ZUL_ERR_FILE_READ;
    const QFileInfo file(chosen->path);
    if (file.isFile() && file.isReadable()) {
        code = LoadLightWaveFile(window_.Data(), ToStdString(chosen->path),
                                 CurrentFileOptions(store), &result);
    } else {
        // A file that is not there is a failed load, not an empty one.
        window_.Data().ClearHistoryAndSnapshots();
    }
    window_.LoadFinished();
    ShowData();
    ShowWorkInformation();
    if (code != ZUL_OK) {
        ResultInfo shown;
        SetResult(&shown, ZUL_ERR_FILE_READ, result.osError, ToStdString(chosen->path));
        ReportResult(boxes_, window_.App().Ui(), shown);
        return ZUL_ERR_FILE_READ;
    }
    return ZUL_OK;
}

}  // namespace zul::ui
