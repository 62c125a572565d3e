// SPDX-License-Identifier: GPL-3.0-or-later
// The image capture form (main window button 1461, measurement window button 1183): chooses
// the window to picture (the main window, the window that was active when the form opened, or
// all tool windows together), the format (BMP, JPEG or PNG) and the file (the dialog starts in
// FORM_CAPTURE SaveFolder, which is stored back), and saves a picture of that window.
#pragma once

#include <cstdint>
#include <memory>

#include <QDialog>
#include <QImage>
#include <QPointer>

#include "base/ResultInfo.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"

class QComboBox;
class QRadioButton;

namespace Ui {
class ImageCaptureForm;
}

namespace zul {
class Application;
}

namespace zul::ui {

enum class CaptureTarget : int32_t { kMainWindow = 0, kActiveWindow = 1, kAllWindows = 2 };
enum class CaptureFormat : int32_t { kBmp = 0, kJpeg = 1, kPng = 2 };

class CImageCaptureForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    // mainWindow: the main window; activeWindow: the window active when the form was opened
    // (null: the main window).
    CImageCaptureForm(Application& app, FormBase* parentForm, QWidget* mainWindow,
                      QWidget* activeWindow, QWidget* parent);
    ~CImageCaptureForm() override;

    CaptureTarget Target() const;
    void SetTarget(CaptureTarget target);
    CaptureFormat Format() const;
    void SetFormat(CaptureFormat format);

    // The save button: asks for the file, saves the picture and closes the form on success.
    int32_t Save();
    // Saves the picture of the chosen window to path, in the format its suffix names (.bmp,
    // .jpg/.jpeg, .png), else in the chosen format.
    int32_t SaveTo(const QString& path, ResultInfo* result = nullptr);
    // The picture of the chosen window.
    QImage Picture() const;

private:
    Application& app_;
    QPointer<QWidget> mainWindow_;
    QPointer<QWidget> activeWindow_;
    QtMessageBoxHost boxes_;
    std::unique_ptr<Ui::ImageCaptureForm> ui_;
    QRadioButton* radios_[3] = {};
    QComboBox* format_ = nullptr;
};

// The picture of every visible top-level tool window, each at its place on the screen.
QImage PictureOfAllWindows();

}  // namespace zul::ui
