// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing a file to open or to save: the interface windows use, and its QFileDialog
// implementation. Like message boxes, the owner form is disabled while the dialog is open, and
// tests answer dialogs through a process-wide answerer instead of the modal dialog.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include <QString>
#include <QStringList>

class QWidget;

namespace zul::ui {

class FormBase;

struct FileDialogRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString startFolder;    // empty: the documents folder
    QString fileName;       // proposed name (save) or pre-selected file
    QStringList filters;    // e.g. {"Settings (*.zul)"}; the first is selected
    QString defaultSuffix;  // without the dot, appended when the user types none
};

// The request as every window builds it: the mode, the folder the dialog starts in (a path as
// the settings store keeps it), the filters (the first is selected) and the suffix appended
// when the user types none.
FileDialogRequest MakeFileDialogRequest(FileDialogRequest::Mode mode, std::string_view startFolder,
                                        QStringList filters, QString defaultSuffix);

struct FileDialogResult {
    QString path;         // the absolute path chosen
    int filterIndex = 0;  // index into request.filters of the filter chosen
};

class FileDialogHost {
public:
    virtual ~FileDialogHost() = default;
    // Empty when the user cancelled.
    virtual std::optional<FileDialogResult> ChooseFile(const FileDialogRequest& request) = 0;
};

using FileDialogAnswerer = std::function<std::optional<FileDialogResult>(
    const FileDialogRequest& request, QWidget* owner)>;

class QtFileDialogHost : public FileDialogHost {
public:
    explicit QtFileDialogHost(FormBase* owner = nullptr);

    std::optional<FileDialogResult> ChooseFile(const FileDialogRequest& request) override;

    // Process-wide test seam; an empty function restores the real dialogs. Returns the
    // previous answerer.
    static FileDialogAnswerer SetAnswerer(FileDialogAnswerer answerer);

private:
    FormBase* owner_;
};

}  // namespace zul::ui
