// SPDX-License-Identifier: GPL-3.0-or-later
// Data files are found beside the program, else in the installed share folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "settings/DataFolder.h"
#include "settings/ProfileFile.h"

namespace {

namespace fs = std::filesystem;

TEST(DataFolder, FindsBesideTheProgramThenInTheShareFolder) {
    const fs::path exe = zul::ExecutablePath();
    ASSERT_FALSE(exe.empty());
    const std::string folder = exe.parent_path().string() + "/";
    const std::string name = "qvm8-data-probe-" + std::to_string(::getpid());
    const fs::path installedDir = exe.parent_path() / "../share/qvm8-zul";
    const fs::path installed = installedDir / name;
    fs::create_directories(installedDir / (name + "-folder"));
    std::ofstream(installed) << "x";

    // Only installed: the share folder.
    EXPECT_EQ(zul::InstalledDataPath(name), folder + "../share/qvm8-zul/" + name);
    EXPECT_EQ(zul::InstalledDataPath(name + "-folder"),
              folder + "../share/qvm8-zul/" + name + "-folder");
    // Beside the program as well: beside wins.
    std::ofstream(folder + name) << "y";
    EXPECT_EQ(zul::InstalledDataPath(name), folder + name);
    // Nowhere: the place beside the program.
    EXPECT_EQ(zul::InstalledDataPath(name + "-missing"), folder + name + "-missing");
    // Rooted names are kept.
    EXPECT_EQ(zul::InstalledDataPath("/srv/pictures"), "/srv/pictures");

    std::error_code ec;
    fs::remove(folder + name, ec);
    fs::remove(installed, ec);
    fs::remove(installedDir / (name + "-folder"), ec);
}

}  // namespace
