// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/AssociationTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace zul::ui {

int RunAssociationTool(const QString& program, qint64 pid, bool registerIt, QString* failure) {
    QProcess process;
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&process, &QProcess::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            ended = true;
            loop.quit();
        }
    });
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, {QString::number(pid), registerIt ? QStringLiteral("/register")
                                                             : QStringLiteral("/unregister")});
    if (!ended) {
        loop.exec();
    }
    if (process.error() == QProcess::FailedToStart) {
        if (failure != nullptr) {
            *failure = program + QStringLiteral(": ") + process.errorString();
        }
        return kAssocLaunchFailed;
    }
    if (process.exitStatus() == QProcess::CrashExit) {
        if (failure != nullptr) {
            *failure = program + QStringLiteral(": ") + process.errorString();
        }
        return kAssocLaunchError;
    }
    return process.exitCode();
}

QString DefaultAssociationTool() {
    const QDir exe(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {exe.filePath(QStringLiteral("qvm8-assoc")),
          exe.filePath(QStringLiteral("../../tools/assoc/qvm8-assoc"))}) {
        if (QFileInfo(candidate).isExecutable()) {
            return QDir::cleanPath(candidate);
        }
    }
    const QString found = QStandardPaths::findExecutable(QStringLiteral("qvm8-assoc"));
    return found.isEmpty() ? QStringLiteral("qvm8-assoc") : found;
}

QString SettingsFileTypeDescription() {
    const QMimeDatabase database;
    const QMimeType type =
        database.mimeTypeForFile(QStringLiteral("settings.zul"), QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) {
        return {};
    }
    return type.comment();
}

}  // namespace zul::ui
