// SPDX-License-Identifier: GPL-3.0-or-later
// Prints, for every file named on the command line, the MIME type the Qt MIME database gives it
// and whether that type is a kind of text/csv: "<type> csv" or "<type> -". The database comes
// from XDG_DATA_HOME and XDG_DATA_DIRS (and Qt's own copy of the shared MIME info).
#include <QCoreApplication>
#include <QMimeDatabase>
#include <QMimeType>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QMimeDatabase database;
    for (int i = 1; i < argc; ++i) {
        const QMimeType type = database.mimeTypeForFile(QString::fromLocal8Bit(argv[i]));
        std::printf("%s %s\n", qPrintable(type.name()),
                    type.inherits(QStringLiteral("text/csv")) ? "csv" : "-");
    }
    return 0;
}
