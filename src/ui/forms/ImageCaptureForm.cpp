// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/ImageCaptureForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include "app/Application.h"
#include "settings/MessageBox.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/forms/FormControls.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/QtText.h"
#include "ui/framework/RadioChoice.h"
#include "ui/framework/RenderedFile.h"
#include "ui/framework/UiApplier.h"
#include "ui_ImageCaptureForm.h"

namespace zul::ui {

namespace {

constexpr int32_t kRadioIds[3] = {1466, 1467, 1468};
constexpr int32_t kFormatList = 2605;

const char* FormatName(CaptureFormat format) {
    switch (format) {
        case CaptureFormat::kBmp:
            return "BMP";
        case CaptureFormat::kJpeg:
            return "JPEG";
        case CaptureFormat::kPng:
            return "PNG";
    }
    return "PNG";
}

const char* FormatSuffix(CaptureFormat format) {
    switch (format) {
        case CaptureFormat::kBmp:
            return "bmp";
        case CaptureFormat::kJpeg:
            return "jpg";
        case CaptureFormat::kPng:
            return "png";
    }
    return "png";
}

}  // namespace

QImage PictureOfAllWindows() {
    QList<QWidget*> windows;
    QRect area;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && !widget->isMinimized() && widget->windowType() != Qt::ToolTip &&
            widget->windowType() != Qt::Popup) {
            windows.push_back(widget);
            area = area.united(widget->geometry());
        }
    }
    if (windows.isEmpty()) {
        return {};
    }
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (QWidget* widget : windows) {
        painter.drawPixmap(widget->geometry().topLeft() - area.topLeft(), widget->grab());
    }
    return image;
}

CImageCaptureForm::CImageCaptureForm(Application& app, FormBase* parentForm, QWidget* mainWindow,
                                     QWidget* activeWindow, QWidget* parent)
    : QDialog(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      mainWindow_(mainWindow),
      activeWindow_(activeWindow != nullptr ? activeWindow : mainWindow),
      boxes_(this),
      ui_(std::make_unique<Ui::ImageCaptureForm>()) {
    ui_->setupUi(this);
    radios_[0] = FindControl<QRadioButton>(this, kCaptureMainWindowRadio);
    radios_[1] = FindControl<QRadioButton>(this, kCaptureActiveWindowRadio);
    radios_[2] = FindControl<QRadioButton>(this, kCaptureAllWindowsRadio);
    format_ = FindControl<QComboBox>(this, kCaptureFormatList);
    connect(ui_->save, &QPushButton::clicked, this, [this] { Save(); });
    connect(ui_->cancel, &QPushButton::clicked, this, &QDialog::reject);

    SetPositionItems({.top = kCaptureFormTop, .left = kCaptureFormLeft});
    ApplyUiDefinition();
    // OutputDivision is not kept in the file: its default is the radio rule's choice.
    SettingsStore& store = app_.Store();
    const int32_t division = store.GetItemDefault(app_.Ui(), kCaptureOutputDivision);
    store.SetInt<kCaptureOutputDivision>(division);
    for (int i = 0; i < 3; ++i) {
        radios_[i]->setChecked(RadioValue(app_.Ui(), kRadioIds[i], i) == division);
    }
    if (!FillChoiceList(kFormatList, format_, -1)) {
        // Without its record the list still offers the three formats by their names.
        for (CaptureFormat format :
             {CaptureFormat::kBmp, CaptureFormat::kJpeg, CaptureFormat::kPng}) {
            format_->addItem(FormatName(format), static_cast<int>(format));
        }
        format_->setCurrentIndex(2);
    }
}

CImageCaptureForm::~CImageCaptureForm() = default;

CaptureTarget CImageCaptureForm::Target() const {
    for (int i = 0; i < 3; ++i) {
        if (radios_[i]->isChecked()) {
            return static_cast<CaptureTarget>(RadioValue(app_.Ui(), kRadioIds[i], i));
        }
    }
    return CaptureTarget::kMainWindow;
}

void CImageCaptureForm::SetTarget(CaptureTarget target) {
    for (int i = 0; i < 3; ++i) {
        if (RadioValue(app_.Ui(), kRadioIds[i], i) == static_cast<int32_t>(target)) {
            radios_[i]->setChecked(true);
        }
    }
}

CaptureFormat CImageCaptureForm::Format() const {
    const int32_t value = SelectedChoiceValue(format_, static_cast<int32_t>(CaptureFormat::kPng));
    return value >= 0 && value <= 2 ? static_cast<CaptureFormat>(value) : CaptureFormat::kPng;
}

void CImageCaptureForm::SetFormat(CaptureFormat format) {
    const int index = format_->findData(static_cast<int>(format));
    if (index >= 0) {
        format_->setCurrentIndex(index);
    }
}

QImage CImageCaptureForm::Picture() const {
    switch (Target()) {
        case CaptureTarget::kMainWindow:
            return mainWindow_ ? mainWindow_->grab().toImage() : QImage();
        case CaptureTarget::kActiveWindow:
            return activeWindow_ ? activeWindow_->grab().toImage() : QImage();
        case CaptureTarget::kAllWindows:
            break;
    }
    // This form is not part of the picture.
    const bool shown = isVisible();
    if (shown) {
        const_cast<CImageCaptureForm*>(this)->hide();
    }
    QImage image = PictureOfAllWindows();
    if (shown) {
        const_cast<CImageCaptureForm*>(this)->show();
    }
    return image;
}

int32_t CImageCaptureForm::SaveTo(const QString& path, ResultInfo* result) {
    app_.Store().SetInt<kCaptureOutputDivision>(static_cast<int32_t>(Target()));
    const QImage image = Picture();
    // A file name that names a format of its own is written in that format.
    const QString suffix = QFileInfo(path).suffix().toLower();
    CaptureFormat format = Format();
    if (suffix == "bmp") {
        format = CaptureFormat::kBmp;
    } else if (suffix == "jpg" || suffix == "jpeg") {
        format = CaptureFormat::kJpeg;
    } else if (suffix == "png") {
        format = CaptureFormat::kPng;
    }
    if (image.isNull()) {
        return SetResult(result, ZUL_ERR_FILE_WRITE, 0, ToStdString(path),
                         "there is no picture to save");
    }
    ResultInfo why;
    if (SaveRenderedFile(
            path, [&](const QString& scratch) { return image.save(scratch, FormatName(format)); },
            &why) != ZUL_OK) {
        return SetResult(result, ZUL_ERR_FILE_WRITE, why.osError, ToStdString(path), why.detail2);
    }
    return SetResult(result, ZUL_OK);
}

int32_t CImageCaptureForm::Save() {
    SettingsStore& store = app_.Store();
    const CaptureFormat format = Format();
    QtFileDialogHost files(this);
    std::optional<FileDialogResult> chosen = files.ChooseFile(
        MakeFileDialogRequest(FileDialogRequest::Mode::Save, store.GetText<kCaptureSaveFolder>(),
                              {QString("%1 (*.%2)").arg(FormatName(format), FormatSuffix(format))},
                              FormatSuffix(format)));
    if (!chosen) {
        return ZUL_ERR_ABORT;
    }
    store.SetText<kCaptureSaveFolder>(
        ToStdString(QDir::toNativeSeparators(QFileInfo(chosen->path).absolutePath())));
    ResultInfo result;
    if (SaveTo(chosen->path, &result) != ZUL_OK) {
        ReportResult(boxes_, app_.Ui(), result);
        return result.code;
    }
    accept();
    return ZUL_OK;
}

}  // namespace zul::ui
