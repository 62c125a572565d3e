// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8-pictures: draws every picture the desktop program shows into one folder: the output
// configuration pictures under the names the main window derives, the splash picture and the
// application icon (PNG in three sizes and SVG). Run by the build: qvm8-pictures <folder>.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include "AppIcon.h"
#include "CombinationSchematic.h"
#include "OutputSchematic.h"
#include "PictureNames.h"
#include "Splash.h"

namespace {

constexpr int kJpegQuality = 90;

bool Save(const QImage& image, const QDir& folder, const QString& name, const char* format,
          int quality = -1) {
    const QString path = folder.filePath(name);
    if (!image.save(path, format, quality)) {
        std::fprintf(stderr, "qvm8-pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool SaveText(const QString& text, const QDir& folder, const QString& name) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0) {
        std::fprintf(stderr, "qvm8-pictures: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Drawing needs no display; the offscreen platform still provides the fonts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: qvm8-pictures <output folder>\n");
        return 64;
    }
    const QDir folder(args.at(1));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "qvm8-pictures: cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }

    bool ok = true;
    int written = 0;
    for (const auto& view : pictures::AllOutputViews()) {
        ok = Save(pictures::DrawOutputSchematic(view), folder,
                  QString::fromStdString(view.fileName), "JPG", kJpegQuality) &&
             ok;
        ++written;
    }
    for (const auto& view : pictures::AllCombinationViews()) {
        ok = Save(pictures::DrawCombinationSchematic(view), folder,
                  QString::fromStdString(view.fileName), "JPG", kJpegQuality) &&
             ok;
        ++written;
    }
    ok = Save(pictures::DrawSplash(), folder, QStringLiteral("splash.png"), "PNG") && ok;
    for (int size : {48, 128, 256}) {
        ok = Save(pictures::RenderIcon(size), folder, QStringLiteral("icon-%1.png").arg(size),
                  "PNG") &&
             ok;
    }
    ok = SaveText(pictures::IconSvg(), folder, QStringLiteral("icon.svg")) && ok;
    written += 5;
    if (!ok) {
        return 1;
    }
    std::printf("qvm8-pictures: %d pictures in %s\n", written, qPrintable(folder.path()));
    return 0;
}
