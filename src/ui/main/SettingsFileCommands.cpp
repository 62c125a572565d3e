// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/SettingsFileCommands.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/Application.h"
#include "base/Paths.h"
#include "settings/MessageBox.h"
#include "settings/MessageTexts.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/QtText.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/PageBase.h"

namespace zul::ui {

namespace {

constexpr int32_t kMainWindowId = 102;
constexpr std::string_view kSettingsFilterRecord = "Main_FilterSettings";

bool SamePath(const std::string& a, const std::string& b) {
    return CanonicalPath(a) == CanonicalPath(b);
}

// The one local settings file a drag or drop carries, or an empty text.
QString DraggedSettingsFile(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return {};
    }
    const QString path = urls.front().toLocalFile();
    return IsSettingsFileName(ToStdString(path)) ? path : QString();
}

// The settings pages mark the values that differ from the file (after a save or a load).
void RefreshChangeMarks() {
    FormBase::ForEachForm([](FormBase& form) {
        if (auto* page = dynamic_cast<CPageBase*>(&form)) {
            page->RefreshChangeMarks();
        }
    });
}

}  // namespace

SettingsFileCommands::SettingsFileCommands(Application& app, QtMessageBoxHost& boxes,
                                           QtFileDialogHost& files, SettingsFileHost host)
    : app_(app), boxes_(boxes), files_(files), host_(std::move(host)) {
    recent_.Read(app_.DefaultSettingsFile());
}

SettingsFileCommands::~SettingsFileCommands() = default;

void SettingsFileCommands::Open() {
    if (IsSynchronousCommandRunning()) {
        return;
    }
    FormBase::DisableAllWindows();
    host_.form->TakeControlValues();
    if (AskToSave() != kAnswerCancel) {
        if (auto chosen = files_.ChooseFile(Dialog(FileDialogRequest::Mode::Open))) {
            Load(ToStdString(chosen->path));
        }
    }
    FormBase::EnableAllWindows();
}

bool SettingsFileCommands::OpenPath(const QString& path) {
    if (IsSynchronousCommandRunning()) {
        return false;
    }
    FormBase::DisableAllWindows();
    host_.form->TakeControlValues();
    bool opened = false;
    if (AskToSave() != kAnswerCancel) {
        opened = Load(ToStdString(path));
    }
    FormBase::EnableAllWindows();
    return opened;
}

void SettingsFileCommands::SaveAs() {
    if (IsSynchronousCommandRunning()) {
        return;
    }
    FormBase::DisableAllWindows();
    host_.form->TakeControlValues();
    if (auto chosen = files_.ChooseFile(Dialog(FileDialogRequest::Mode::Save))) {
        Save(ToStdString(chosen->path));
    }
    FormBase::EnableAllWindows();
}

int32_t SettingsFileCommands::AskToSave() {
    SettingsStore& store = app_.Store();
    const std::string path = store.GetFilePath();
    if (SamePath(path, app_.DefaultSettingsFile()) || store.IsUnchanged()) {
        return kAnswerNo;
    }
    const std::string text = SubstituteDetails(app_.Ui().GetMessageText(kMsgConfirmSaveSetOpen),
                                               FileNameWithExtension(path), {});
    const MessageBoxAnswer answer = boxes_.ShowMessageBox(text, kMbYesNoCancel);
    if (answer == kAnswerYes && !SaveCurrentFile()) {
        // The edits are not on disk: whatever asked goes no further.
        return kAnswerCancel;
    }
    return answer == kAnswerYes || answer == kAnswerNo ? answer : kAnswerCancel;
}

void SettingsFileCommands::DragEnter(QDragEnterEvent* event) const {
    if (!DraggedSettingsFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void SettingsFileCommands::Drop(QDropEvent* event) {
    const QString path = DraggedSettingsFile(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // Opened after the drop has ended, so that the source is not held by the questions.
    QMetaObject::invokeMethod(
        &context_, [this, path] { OpenPath(path); }, Qt::QueuedConnection);
}

QString SettingsFileCommands::Title() const {
    QString title = FallbackText(kResApplicationTitle);
    if (const UiControlRecord* record = app_.Ui().FindById(kMainWindowId)) {
        title = CaptionText(record->caption);
    }
    const std::string path = app_.Store().GetFilePath();
    if (!SamePath(path, app_.DefaultSettingsFile())) {
        const QFileInfo file(ToQString(path));
        title += QStringLiteral(" - ") + file.fileName() + QStringLiteral(" [") +
                 QDir::toNativeSeparators(file.absolutePath()) + QStringLiteral("]");
    }
    return title;
}

bool SettingsFileCommands::SaveCurrentFile() {
    SettingsStore& store = app_.Store();
    ResultInfo saved;
    if (store.Save(&saved) != ZUL_OK) {
        ResultInfo result;
        SetResult(&result, ZUL_ERR_INI_FILE_WRITE, saved.osError,
                  FileNameWithExtension(store.GetFilePath()), saved.detail2);
        ReportFailure(result);
        return false;
    }
    store.MarkSaved();
    RefreshChangeMarks();
    return true;
}

void SettingsFileCommands::ReadCopy(const std::string& path, SettingsStore& copy,
                                    ResultInfo* loaded) {
    SettingsLoadReport report;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        SetResult(loaded, ZUL_ERR_INI_FILE_READ, ENOENT, path, std::strerror(ENOENT));
    } else if (copy.Load(loaded, path, &report) == ZUL_OK) {
        if (report.HoldsNoSettings()) {
            SetResult(loaded, ZUL_ERR_INI_FILE_READ, 0, path, std::string(kHoldsNoSettings));
        } else if (report.CutShort()) {
            SetResult(loaded, ZUL_ERR_INI_FILE_READ, 0, path, CutShortReason(report));
        }
    }
}

bool SettingsFileCommands::Load(const std::string& path) {
    bool held = false;
    if (!ReserveChosenFile(path, &held)) {
        return false;
    }
    RememberFolder(path);
    // A file holds none of the connection's run-time values: the main store keeps its own
    // (ReplaceSettings).
    auto copy = std::make_unique<SettingsStore>(app_.Store());
    ResultInfo loaded;
    ReadCopy(path, *copy, &loaded);
    if (!loaded.Ok()) {
        ReportChosenFileFailure(ZUL_ERR_INI_FILE_READ, path, loaded, held);
        recent_.Remove(path);
        UpdateRecentMenu();
        return false;
    }
    app_.ReplaceSettings(*copy);
    // The file holds a folder of its own: the one just chosen from stays the one remembered.
    RememberFolder(path);
    Adopt(path, held);
    if (host_.fileOpened) {
        host_.fileOpened();
    }
    return true;
}

bool SettingsFileCommands::Save(const std::string& path) {
    bool held = false;
    if (!ReserveChosenFile(path, &held)) {
        return false;
    }
    RememberFolder(path);
    SettingsStore& store = app_.Store();
    ResultInfo saved;
    if (store.Save(&saved, path) != ZUL_OK) {
        ReportChosenFileFailure(ZUL_ERR_INI_FILE_WRITE, path, saved, held);
        return false;
    }
    store.SetFilePath(path);
    Adopt(path, held);
    if (host_.fileRenamed) {
        host_.fileRenamed();
    }
    return true;
}

// A file chosen to be read or written is reserved for this instance first, unless it is the file
// this instance already holds; that reservation becomes the instance's own on success and is
// withdrawn on failure, so the file held before stays held in every case.
bool SettingsFileCommands::ReserveChosenFile(const std::string& path, bool* held) {
    *held = SamePath(path, app_.ReservedSettingsFile());
    if (*held || app_.ReserveSettingsFile(path)) {
        return true;
    }
    ResultInfo result;
    SetResult(&result, ZUL_ERR_INI_FILE_LOCKED, 0, FileNameWithExtension(path));
    ReportFailure(result);
    return false;
}

void SettingsFileCommands::ReportChosenFileFailure(int32_t code, const std::string& path,
                                                   const ResultInfo& cause, bool held) {
    if (!held) {
        app_.ReleaseSettingsFile(path);
    }
    ResultInfo result;
    const std::string reason = !cause.detail2.empty() ? cause.detail2
                               : cause.osError != 0   ? std::strerror(cause.osError)
                                                      : std::string();
    SetResult(&result, code, cause.osError, FileNameWithExtension(path), reason);
    ReportFailure(result);
}

void SettingsFileCommands::Adopt(const std::string& path, bool held) {
    app_.Store().MarkSaved();
    RefreshChangeMarks();
    if (!held) {
        app_.AdoptReservation(path);
    }
    recent_.Add(path);
    UpdateRecentMenu();
}

void SettingsFileCommands::RememberFolder(const std::string& path) {
    const std::string folder = QFileInfo(ToQString(path)).absolutePath().toStdString();
    app_.Store().SetText<kMainCurFolder>(folder);
}

FileDialogRequest SettingsFileCommands::Dialog(FileDialogRequest::Mode mode) const {
    QString description;
    if (const UiControlRecord* record = app_.Ui().FindByName(kSettingsFilterRecord)) {
        description = CaptionText(record->caption);
    }
    return MakeFileDialogRequest(mode, DocumentsPath(app_.Store().GetText<kMainCurFolder>()),
                                 {description + QStringLiteral(" (*.zul)")}, QStringLiteral("zul"));
}

void SettingsFileCommands::UpdateRecentMenu() {
    for (QAction* action : recentActions_) {
        host_.fileMenu->removeAction(action);
        delete action;
    }
    recentActions_.clear();
    for (const std::string& path : recent_.Paths()) {
        auto* action = new QAction(ToQString(path), host_.fileMenu);
        action->setData(ToQString(path));
        QObject::connect(action, &QAction::triggered, &context_,
                         [this, action] { OpenPath(action->data().toString()); });
        host_.fileMenu->insertAction(host_.recentAnchor, action);
        recentActions_.push_back(action);
    }
}

void SettingsFileCommands::ReportFailure(const ResultInfo& result) {
    ReportResult(boxes_, app_.Ui(), result);
}

}  // namespace zul::ui
