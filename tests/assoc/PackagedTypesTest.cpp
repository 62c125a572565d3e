// SPDX-License-Identifier: GPL-3.0-or-later
// The MIME package and the desktop entry that the package installs, put into a scratch
// XDG_DATA_HOME: settings, buffering and light-wave files get their types, the data files count
// as CSV, and the desktop entry is the handler of settings files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ScratchDesktop.h"

namespace {

using assoctest::FindProgram;
using assoctest::ReadFile;
using assoctest::RunResult;
using assoctest::ScratchDesktop;

namespace fs = std::filesystem;

constexpr char kBaseTypes[] = "/usr/share/mime/packages/freedesktop.org.xml";

TEST(PackagedTypes, DataFilesGetTheirTypesAndSettingsFilesTheirHandler) {
#ifndef QVM8_MIME_PROBE
    GTEST_SKIP() << "built without Qt: no MIME database probe";
#else
    const std::string updateMime = FindProgram("update-mime-database");
    if (updateMime.empty() || !fs::exists(kBaseTypes)) {
        GTEST_SKIP() << "shared-mime-info is not installed";
    }
    ScratchDesktop desktop;
    const std::string packages = desktop.dataHome + "/mime/packages";
    fs::create_directories(packages);
    fs::copy_file(QVM8_DATA_DIR "/qvm8-zul.xml", packages + "/qvm8-zul.xml");
    // The base types (text/csv, text/plain) come from the system's own package.
    fs::copy_file(kBaseTypes, packages + "/freedesktop.org.xml");
    const RunResult built = desktop.Run(updateMime, {desktop.dataHome + "/mime"});
    ASSERT_EQ(built.exitCode, 0) << built.err;

    desktop.WriteFile("files/line4.zul", "[ZUL_APP_DATA]\r\nCurMemNo=0\r\n");
    desktop.WriteFile("files/run.bfd", "No.,OUT1,OUT2\r\n1,0.1234,0.5678\r\n");
    desktop.WriteFile("files/head.lwd", "Pixel,Head A,Head B\r\n0,12,40\r\n");
    const RunResult probe =
        desktop.Run(QVM8_MIME_PROBE,
                    {desktop.Path("files/line4.zul"), desktop.Path("files/run.bfd"),
                     desktop.Path("files/head.lwd")},
                    assoctest::kProbeEnvironment);
    ASSERT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_EQ(probe.out,
              "application/x-qvm8-zul -\n"
              "text/x-qvm8-bfd csv\n"
              "text/x-qvm8-lwd csv\n");

    const std::string updateDesktop = FindProgram("update-desktop-database");
    if (updateDesktop.empty()) {
        return;
    }
    const std::string applications = desktop.dataHome + "/applications";
    fs::create_directories(applications);
    fs::copy_file(QVM8_DATA_DIR "/com.brantwick.qvm8zul.desktop",
                  applications + "/com.brantwick.qvm8zul.desktop");
    ASSERT_EQ(desktop.Run(updateDesktop, {applications}).exitCode, 0);
    EXPECT_NE(ReadFile(applications + "/mimeinfo.cache")
                  .find("application/x-qvm8-zul=com.brantwick.qvm8zul.desktop;"),
              std::string::npos);
#endif
}

}  // namespace
