// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a printed PDF file back as text, with pdftotext (poppler-utils) keeping the layout:
// pages are separated by form feeds.
#pragma once

#include <optional>

#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace zul::test {

inline constexpr const char* kNoPdfText = "pdftotext (poppler-utils) is not installed";

// The text, empty when pdftotext failed; nullopt when it is not installed (skip the check).
inline std::optional<QString> PdfText(const QString& pdf) {
    const QString extractor = QStandardPaths::findExecutable("pdftotext");
    if (extractor.isEmpty()) {
        return std::nullopt;
    }
    QProcess process;
    process.start(extractor, {"-layout", pdf, "-"});
    if (!process.waitForFinished(20000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace zul::test
