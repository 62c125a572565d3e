// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration list, its printing to a PDF file, and the image capture form, against the
// emulated controller's settings.
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMainWindow>

#include "LightWaveFixture.h"
#include "MainWindowFixture.h"
#include "PdfText.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/forms/ConfigListForm.h"
#include "ui/forms/ConfigPrintForm.h"
#include "ui/forms/DefaultPrinter.h"
#include "ui/forms/ImageCaptureForm.h"
#include "ui/framework/GridCtrl.h"

namespace zul::test {

using namespace zul::ui;
namespace {

using ui::CConfigListForm;
using ui::CConfigPrintForm;
using ui::ConfigDivision;
using ui::ConfigListRows;

class FormsConfigListTest : public LightWaveEmulatorTest {
protected:
    // The row of an item in a bank (head: 0/1 for head items).
    static int RowOf(const ConfigListRows& rows, int32_t itemId, int32_t bank, int32_t head = 0) {
        const auto& all = rows.Rows();
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].itemId == itemId && all[i].bank == bank && all[i].head == head) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};

TEST_F(FormsConfigListTest, ListsEveryBankWithFormattedValuesInMicronMode) {
    // Bank 5 gets its own values; the micrometre mode rewrites lengths.
    SettingsStore& store = app.Store();
    store.SetDouble<kOutDecisionMax>(1.25, 5, 1);
    store.SetInt<kHeadPeakLevel>(333, 5, 1);
    CConfigListForm form(app, nullptr, nullptr);
    const ConfigListRows& rows = form.Rows();
    EXPECT_EQ(form.windowTitle(), "Configuration list");
    const QStringList titles = rows.ColumnTitles();
    EXPECT_EQ(titles, (QStringList{"Setting", "Item", "OUT1", "OUT2"}));
    for (int32_t bank = 0; bank < 16; ++bank) {
        EXPECT_GE(RowOf(rows, kOutDecisionMax, bank), 0) << bank;
    }
    const int decision = RowOf(rows, kOutDecisionMax, 5);
    const int peak = RowOf(rows, kHeadPeakLevel, 5, 1);
    ASSERT_GE(decision, 0);
    ASSERT_GE(peak, 0);
    CGridModel& model = form.Grid()->Model();
    EXPECT_EQ(model.rowCount(), static_cast<int>(rows.Rows().size()));
    const QString shownMm = model.data(model.index(decision, 3), Qt::DisplayRole).toString();
    EXPECT_EQ(shownMm.toStdString(),
              store.FormatItem(app.Ui(), app.Micron(), kOutDecisionMax, 5, 1));
    EXPECT_TRUE(shownMm.startsWith("1.25")) << shownMm.toStdString();
    EXPECT_EQ(model.data(model.index(peak, 2), Qt::DisplayRole).toString().toStdString(),
              store.FormatItem(app.Ui(), app.Micron(), kHeadPeakLevel, 5, 1));

    // Marking against bank 0 colours the changed cells only.
    form.SetMarkDifferences(true, 0);
    EXPECT_EQ(model.data(model.index(decision, 3), Qt::BackgroundRole).value<QColor>(),
              CConfigListForm::DifferenceColor());
    EXPECT_FALSE(
        model.data(model.index(decision, 2), Qt::BackgroundRole).value<QColor>().isValid());
}

class FormsConfigListMicronTest : public FormsConfigListTest {
protected:
    FormsConfigListMicronTest() { micron = true; }
};

TEST_F(FormsConfigListMicronTest, AChangedBankShowsItsLengthsInMicrometres) {
    ASSERT_TRUE(app.Micron().active);
    app.Store().SetDouble<kOutDecisionMax>(1.25, 7, 0);
    CConfigListForm form(app, nullptr, nullptr);
    const int row = RowOf(form.Rows(), kOutDecisionMax, 7);
    ASSERT_GE(row, 0);
    CGridModel& model = form.Grid()->Model();
    const QString shown = model.data(model.index(row, 2), Qt::DisplayRole).toString();
    EXPECT_TRUE(shown.startsWith("1250.000")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromUtf8("µm"))) << shown.toStdString();
    const QString bank0 =
        model.data(model.index(RowOf(form.Rows(), kOutDecisionMax, 0), 2), Qt::DisplayRole)
            .toString();
    EXPECT_NE(bank0, shown);
}

TEST_F(FormsConfigListTest, PrintsTheBankValuesIntoAPdfFile) {
    SettingsStore& store = app.Store();
    store.SetInt<kHeadPeakLevel>(4321, 0, 0);
    CConfigListForm list(app, nullptr, nullptr);
    CConfigPrintForm form(app, list.Rows(), nullptr, nullptr);
    form.SetDivision(ConfigDivision::kCurrentBank);
    const QString pdf = QString::fromStdString(home.Path("docs/config-list.pdf"));
    ResultInfo result;
    ASSERT_EQ(form.PrintToPdf(pdf, &result), ZUL_OK);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));
    file.close();
    const std::optional<QString> extracted = PdfText(pdf);
    if (!extracted) {
        GTEST_SKIP() << kNoPdfText;
    }
    const QString text = *extracted;
    EXPECT_TRUE(text.contains("4321")) << text.left(400).toStdString();
    EXPECT_TRUE(text.contains(form.Header().controllerType));
    EXPECT_TRUE(text.contains(QFileInfo(form.Header().fileName).fileName()));
    EXPECT_TRUE(text.contains("OUT2"));
}

// Makes FetchDefaultPrinter find the given printer (no name: none) for the test's lifetime.
class KeptPrinter {
public:
    explicit KeptPrinter(ui::DefaultPrinter printer) {
        ui::SetPrinterSourceForTest([printer] { return printer; });
        ui::FetchDefaultPrinter();
    }
    ~KeptPrinter() {
        ui::SetPrinterSourceForTest([] { return ui::DefaultPrinter{}; });
        ui::FetchDefaultPrinter();
        ui::SetPrinterSourceForTest({});
    }
    KeptPrinter(const KeptPrinter&) = delete;
    KeptPrinter& operator=(const KeptPrinter&) = delete;
};

TEST_F(FormsConfigListTest, NoPrinterAndNoFileIsReported) {
    const KeptPrinter none(ui::DefaultPrinter{});
    CConfigListForm list(app, nullptr, nullptr);
    CConfigPrintForm form(app, list.Rows(), nullptr, nullptr);
    EXPECT_EQ(form.Print(), ZUL_ERR_NO_PRINTER);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains("No printer"));
    // With a file chosen instead, the list goes into it.
    nextFile = QString::fromStdString(home.Path("docs/list.pdf"));
    boxes.clear();
    EXPECT_EQ(form.Print(), ZUL_OK);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(home.Path("docs/list.pdf"))));
    EXPECT_EQ(app.Store().GetText<kCfgPrintSaveFolder>(), home.Path("docs"));
}

TEST(ConfigPrintWithoutPrinter, StartUpGoesOnAndThePrintFormWritesAPdfFile) {
    TestHome home;
    BoxRecorder boxes;
    DialogRecorder dialogs;
    const KeptPrinter restore(ui::DefaultPrinter{});
    int asked = 0;
    ui::SetPrinterSourceForTest([&asked] {
        ++asked;
        return ui::DefaultPrinter{};
    });
    ui::CommandLine commandLine;
    commandLine.simulate = true;
    ui::DesktopProgram program(commandLine);
    ui::DesktopStartOptions options;
    options.uiDefinitionPath = ShippedUiDefinition();
    options.showSplash = false;
    ASSERT_EQ(program.Start(options), ZUL_OK);
    ASSERT_NE(program.Main(), nullptr);
    EXPECT_EQ(asked, 1);  // once, at start-up
    EXPECT_FALSE(ui::KeptDefaultPrinter().Available());

    {
        CConfigListForm list(program.App(), nullptr, nullptr);
        CConfigPrintForm form(program.App(), list.Rows(), nullptr, nullptr);
        EXPECT_TRUE(form.findChild<QLabel*>("printerName")->isHidden());
        const std::string pdf = home.Path("list.pdf");
        dialogs.paths.push_back(pdf);
        form.findChild<QPushButton*>("print")->click();
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].filters, QStringList{"PDF (*.pdf)"});
        QFile file(QString::fromStdString(pdf));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(5).startsWith("%PDF"));
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    // A printer found later is named on the form, which then prints through the print dialog.
    ui::SetPrinterSourceForTest([] {
        return ui::DefaultPrinter{"Office", QPageSize(QPageSize::A4)};
    });
    ui::FetchDefaultPrinter();
    {
        CConfigListForm list(program.App(), nullptr, nullptr);
        CConfigPrintForm form(program.App(), list.Rows(), nullptr, nullptr);
        const QLabel* name = form.findChild<QLabel*>("printerName");
        EXPECT_FALSE(name->isHidden());
        EXPECT_EQ(name->text(), "Office");
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(program.Finish(), ZUL_OK);
}

class FormsImageCaptureTest : public LightWaveEmulatorTest {};

TEST_F(FormsImageCaptureTest, SavesThePictureOfTheMainWindowAsPngAndJpeg) {
    QMainWindow main;
    main.resize(320, 200);
    main.show();
    ui::CImageCaptureForm form(app, nullptr, &main, nullptr, nullptr);
    EXPECT_EQ(form.Target(), ui::CaptureTarget::kMainWindow);
    app.Store().SetText<kCaptureSaveFolder>(home.Path("docs"));

    form.SetFormat(ui::CaptureFormat::kPng);
    nextFile = QString::fromStdString(home.Path("docs/main.png"));
    const QString png = nextFile;
    ASSERT_EQ(form.Save(), ZUL_OK);
    ASSERT_FALSE(fileRequests.empty());
    EXPECT_EQ(fileRequests.back().startFolder.toStdString(), home.Path("docs"));
    EXPECT_EQ(fileRequests.back().defaultSuffix, "png");
    QImageReader pngReader(png);
    EXPECT_EQ(pngReader.format(), "png");
    EXPECT_EQ(pngReader.size(), main.size());

    form.SetFormat(ui::CaptureFormat::kJpeg);
    nextFile = QString::fromStdString(home.Path("docs/main.jpg"));
    const QString jpeg = nextFile;
    ASSERT_EQ(form.Save(), ZUL_OK);
    QImageReader jpegReader(jpeg);
    EXPECT_EQ(jpegReader.format(), "jpeg");
    EXPECT_EQ(jpegReader.size(), main.size());

    // A file that cannot be written is reported.
    nextFile = QString::fromStdString(home.Path("missing-folder/x.png"));
    form.SetFormat(ui::CaptureFormat::kPng);
    EXPECT_EQ(form.Save(), ZUL_ERR_FILE_WRITE);
    EXPECT_EQ(boxes.size(), 1u);
}

}  // namespace
}  // namespace zul::test
