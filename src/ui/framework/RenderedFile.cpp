// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/RenderedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "settings/SafeFile.h"
#include "ui/framework/QtText.h"

namespace zul::ui {

int32_t SaveRenderedFile(const QString& path, const std::function<bool(const QString&)>& render,
                         ResultInfo* info) {
    ClearResult(info);
    const std::string target = ToStdString(path);
    // Refusals that need no drawing first: a folder, a socket, a folder that does not exist.
    if (int32_t code = CheckWriteTarget(target, ZUL_ERR_FILE_WRITE, info); code != ZUL_OK) {
        return code;
    }
    QTemporaryDir scratchFolder;
    if (!scratchFolder.isValid()) {
        return SetResult(info, ZUL_ERR_FILE_WRITE, 0, target,
                         "no temporary folder: " + ToStdString(scratchFolder.errorString()));
    }
    const QString scratch = scratchFolder.filePath("new." + QFileInfo(path).suffix());
    QFile drawn(scratch);
    if (!render(scratch) || !drawn.open(QIODevice::ReadOnly)) {
        return SetResult(info, ZUL_ERR_FILE_WRITE, 0, target, "the file could not be drawn");
    }
    const QByteArray content = drawn.readAll();
    return WriteWholeFileAtomically(
        target, std::string_view(content.constData(), size_t(content.size())), info);
}

}  // namespace zul::ui
