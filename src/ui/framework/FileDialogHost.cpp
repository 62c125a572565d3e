// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/FileDialogHost.h"

#include <QFileDialog>
#include <QPointer>
#include <QStandardPaths>
#include <QWindow>

#include "ui/framework/FormBase.h"
#include "ui/framework/QtText.h"

namespace zul::ui {

namespace {

FileDialogAnswerer& Answerer() {
    static FileDialogAnswerer answerer;
    return answerer;
}

std::optional<FileDialogResult> RunDialog(const FileDialogRequest& request, QWidget* owner) {
    QFileDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    const bool save = request.mode == FileDialogRequest::Mode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QString folder = request.startFolder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    dialog.setDirectory(folder);
    if (!request.filters.isEmpty()) {
        dialog.setNameFilters(request.filters);
        dialog.selectNameFilter(request.filters.first());
    }
    if (!request.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (owner != nullptr) {
        dialog.winId();
        if (QWindow* ownerWindow = owner->window()->windowHandle()) {
            dialog.windowHandle()->setTransientParent(ownerWindow);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    FileDialogResult result;
    result.path = dialog.selectedFiles().first();
    result.filterIndex =
        std::max<int>(0, int(request.filters.indexOf(dialog.selectedNameFilter())));
    return result;
}

}  // namespace

FileDialogRequest MakeFileDialogRequest(FileDialogRequest::Mode mode, std::string_view startFolder,
                                        QStringList filters, QString defaultSuffix) {
    FileDialogRequest request;
    request.mode = mode;
    request.startFolder = ToQString(startFolder);
    request.filters = std::move(filters);
    request.defaultSuffix = std::move(defaultSuffix);
    return request;
}

QtFileDialogHost::QtFileDialogHost(FormBase* owner) : owner_(owner) {}

std::optional<FileDialogResult> QtFileDialogHost::ChooseFile(const FileDialogRequest& request) {
    QPointer<QWidget> ownerWidget = owner_ != nullptr ? owner_->Widget() : nullptr;
    if (owner_ != nullptr) {
        owner_->EnableForm(false);
    } else {
        FormBase::DisableAllWindows();
    }
    std::optional<FileDialogResult> result =
        Answerer() ? Answerer()(request, ownerWidget) : RunDialog(request, ownerWidget);
    if (owner_ != nullptr) {
        if (ownerWidget != nullptr) {
            owner_->EnableForm(true);
        }
    } else {
        FormBase::EnableAllWindows();
    }
    return result;
}

FileDialogAnswerer QtFileDialogHost::SetAnswerer(FileDialogAnswerer answerer) {
    FileDialogAnswerer previous = std::move(Answerer());
    Answerer() = std::move(answerer);
    return previous;
}

}  // namespace zul::ui
