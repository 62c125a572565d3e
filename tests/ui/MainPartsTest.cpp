// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of the desktop program outside the main window: picture names, the command line,
// the recent-files list, the serial port links and the splash.
#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

#include "app/AppTestSupport.h"
#include "ui/forms/SerialPortLinks.h"
#include "ui/main/CommandLine.h"
#include "ui/main/OutputPictures.h"
#include "ui/main/RecentFiles.h"
#include "ui/main/SplashScreen.h"

namespace zul::test {

using namespace zul::ui;
namespace {

TEST(OutputPictures, NamesFollowPatternWorkBasisAndSetup) {
    ui::OutputPictureInputs in;
    in.outPattern = 8;
    in.measureWork = 12;
    in.measureWorkBasis[0] = 1;
    in.setupMode[0] = 0;
    EXPECT_EQ(ui::OutputPictureName(in), "fs034.jpg");
    in.outPattern = 9;  // head B: basis 0, setup 1
    in.setupMode[1] = 1;
    EXPECT_EQ(ui::OutputPictureName(in), "nr034.jpg");
    in.outPattern = 3;
    EXPECT_EQ(ui::OutputPictureName(in), "nr000.jpg");
    in.outPattern = 10;
    in.measureWork = 99;
    EXPECT_EQ(ui::OutputPictureName(in), "fs010.jpg");
    for (int p : {4, 7, 12, 15, -1, 16}) {
        in.outPattern = p;
        EXPECT_EQ(ui::OutputPictureName(in), "00000.jpg") << p;
    }
}

TEST(OutputPictures, CombinationNameIsBoundedByTheSixteenPatterns) {
    EXPECT_EQ(ui::CombinationPictureName(5, 7), "xx068.jpg");
    EXPECT_EQ(ui::CombinationPictureName(0, 15), "xx01g.jpg");
    EXPECT_FALSE(ui::CombinationPictureName(16, 0));
    EXPECT_FALSE(ui::CombinationPictureName(0, -1));
}

TEST(CommandLine, OptionsFileAndErrors) {
    ui::CommandLine line;
    std::string error;
    ASSERT_TRUE(ui::ParseCommandLine({"--simulate", "--screenshots", "out", "a.ZUL"}, line, error));
    EXPECT_TRUE(line.simulate);
    EXPECT_EQ(line.screenshots, "out");
    EXPECT_EQ(line.settingsFile, "a.ZUL");
    ASSERT_TRUE(ui::ParseCommandLine({"--device", "/dev/pts/3"}, line, error));
    EXPECT_EQ(line.device, "/dev/pts/3");
    EXPECT_FALSE(ui::ParseCommandLine({"--device"}, line, error));
    EXPECT_FALSE(ui::ParseCommandLine({"--screenshots", "x"}, line, error));  // needs --simulate
    EXPECT_FALSE(ui::ParseCommandLine({"--bogus"}, line, error));
    EXPECT_NE(error.find("--bogus"), std::string::npos);
    ASSERT_TRUE(ui::ParseCommandLine({"--version"}, line, error));
    EXPECT_TRUE(line.version);
}

TEST(RecentFiles, FourNewestFirstKeptBesideTheSettings) {
    TestHome home;
    const std::string settings = home.Path("settings.zul");
    WriteFileText(settings, "[MEM0_HEADA]\r\nSetupMode=2\r\n");
    ui::RecentFiles recent;
    for (const char* name : {"/a.zul", "/b.zul", "/c.zul", "/d.zul", "/e.zul", "/c.zul"}) {
        recent.Add(name);
    }
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"/c.zul", "/e.zul", "/d.zul", "/b.zul"}));
    ASSERT_TRUE(recent.Write(settings));
    ui::RecentFiles read;
    ASSERT_TRUE(read.Read(settings));
    EXPECT_EQ(read.Paths(), recent.Paths());
    // The settings in the file are untouched.
    SettingsStore store;
    ASSERT_EQ(store.Load(nullptr, settings), ZUL_OK);
    EXPECT_EQ(store.GetInt<kHeadSetupMode>(0, 0), 2);
}

TEST(SerialPortLinks, PortsLeadToTheirLinkOrTtyS) {
    TestHome home;
    EXPECT_EQ(ui::MappedSerialDevice(2), "/dev/ttyS2");
    ASSERT_TRUE(ui::PointSerialPortAt(2, "/dev/ttyUSB0"));
    EXPECT_EQ(ui::MappedSerialDevice(2), "/dev/ttyUSB0");
    ASSERT_TRUE(ui::PointSerialPortAt(2, "/dev/ttyACM1"));  // replaced
    EXPECT_EQ(ui::MappedSerialDevice(2), "/dev/ttyACM1");
    ASSERT_TRUE(ui::PointSerialPortAt(2, ""));
    EXPECT_EQ(ui::MappedSerialDevice(2), "/dev/ttyS2");
}

TEST(SerialPortLinks, SystemDevicesAreUsbAcmAndStableNames) {
    TestHome home;
    const std::string dev = home.Path("dev");
    fs::create_directories(dev + "/serial/by-id");
    for (const char* name : {"ttyUSB1", "ttyACM0", "ttyS0", "null"}) {
        WriteFileText(dev + "/" + name, "");
    }
    WriteFileText(dev + "/serial/by-id/usb-FTDI_QV-M8-if00-port0", "");
    EXPECT_EQ(ui::SystemSerialDevices(dev),
              (std::vector<std::string>{dev + "/serial/by-id/usb-FTDI_QV-M8-if00-port0",
                                        dev + "/ttyACM0", dev + "/ttyUSB1"}));
}

QPixmap SplashPicture() {
    QPixmap picture(120, 80);
    picture.fill(Qt::darkBlue);
    return picture;
}

TEST(CSplashScreen, PictureSizedClosesAtTheFirstKeyOrClick) {
    QPointer<ui::CSplashScreen> splash = new ui::CSplashScreen(SplashPicture());
    splash->ShowCentred();
    EXPECT_EQ(splash->size(), QSize(120, 80));
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    QTest::keyClick(splash, Qt::Key_A);
    ASSERT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, 2000));  // closed and deleted

    splash = new ui::CSplashScreen(SplashPicture());
    splash->ShowCentred();
    QTest::mouseClick(splash, Qt::RightButton, {}, QPoint(5, 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, 2000));
}

TEST(CSplashScreen, ClosesByItselfAfterItsTime) {
    QPointer<ui::CSplashScreen> splash = new ui::CSplashScreen(SplashPicture());
    splash->ShowCentred();
    EXPECT_TRUE(splash->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, ui::kSplashMilliseconds + 2000));
}

}  // namespace
}  // namespace zul::test
