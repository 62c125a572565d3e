// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader or an AT-SPI script finds in the main window and its five settings pages:
// every control a user reaches with the keyboard has a name, the names are the captions a
// sighted user reads (a button's own text, an edit's or list's label), and the pictures say what
// they show.
#include "FrameworkAccessibility.h"
#include "MainWindowFixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTabWidget>

#include "ui/framework/QtText.h"

namespace zul::test {

using namespace zul::ui;
namespace {

// A caption as read aloud: without its mnemonic marks.
QString Spoken(QString caption) {
    return caption.remove(QLatin1Char('&')).trimmed();
}

TEST_F(MainWindowTest, EveryKeyboardControlOfTheWindowAndItsPagesHasAName) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();  // the connected look: every command enabled
    const std::vector<QWidget*> controls = KeyboardControls(main);
    ASSERT_GT(controls.size(), 60u);  // the window's own controls and those of all five pages
    const QStringList unnamed = UnnamedKeyboardControls(main);
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(QStringLiteral(", ")).toStdString();
}

TEST_F(MainWindowTest, NamesAreTheCaptionsAUserReads) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    QStringList wrong;
    for (QWidget* widget : KeyboardControls(main)) {
        QString expected;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            expected = Spoken(button->text());
        } else if (qobject_cast<QLineEdit*>(widget) != nullptr ||
                   qobject_cast<QComboBox*>(widget) != nullptr) {
            // The caption label beside it: its buddy, or the page's "lbl<id>" label.
            const QString id = widget->objectName().mid(4);
            auto* label = main->findChild<QLabel*>(QStringLiteral("lbl") + id);
            if (label == nullptr) {
                for (QLabel* candidate : main->findChildren<QLabel*>()) {
                    if (candidate->buddy() == widget) {
                        label = candidate;
                    }
                }
            }
            if (label == nullptr || label->text().isEmpty()) {
                continue;
            }
            expected = Spoken(label->text());
        } else {
            continue;
        }
        if (!expected.isEmpty() && widget->accessibleName() != expected) {
            wrong << DescribeWidget(widget) + QStringLiteral(": \"") + widget->accessibleName() +
                         QStringLiteral("\" instead of \"") + expected + QStringLiteral("\"");
        }
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QStringLiteral(", ")).toStdString();
    // The tab control is read as the page it shows; the view toggle as the caption it shows.
    auto* tabs = Control<QTabWidget>(ui::kMainSettingsPages);
    ASSERT_NE(tabs, nullptr);
    tabs->setCurrentIndex(3);
    EXPECT_EQ(tabs->accessibleName(), tabs->tabText(3));
    Click(ui::kMainExpandButton);
    EXPECT_EQ(Control<QAbstractButton>(ui::kMainExpandButton)->accessibleName(),
              Spoken(Control<QAbstractButton>(ui::kMainExpandButton)->text()));
    // A list without a label beside it is named by its own record: the measurement-mode list.
    auto* modes = FindControl<QComboBox>(tabs->widget(2), ui::kOutMeasureModeList);
    ASSERT_NE(modes, nullptr);
    ASSERT_NE(Ui().FindById(ui::kOutMeasureModeList), nullptr);
    EXPECT_EQ(modes->accessibleName(),
              CaptionText(Ui().FindById(ui::kOutMeasureModeList)->caption));
}

TEST_F(MainWindowTest, PicturesSayWhatTheyShow) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const std::string folder = home.Path("pictures");
    fs::create_directories(folder);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (const char* name : {"xx0a1.jpg", "nr034.jpg", "ns000.jpg"}) {
        ASSERT_TRUE(image.save(QString::fromStdString(folder + "/" + name), "JPEG"));
    }
    Store().SetText<kAppImageFolder>(folder);
    const int32_t bank = Store().GetInt<kAppCurMemNo>();
    Store().SetInt<kOutOutPattern>(9, bank, 0);    // OUT1: head B, two surfaces
    Store().SetInt<kOutMeasureWork>(12, bank, 0);  // "34"
    Store().SetInt<kHeadSetupMode>(1, bank, 1);
    Store().SetInt<kOutOutPattern>(0, bank, 1);  // OUT2: head A
    main->DrawPictures();
    auto listText = [this](int32_t ctrlId, int32_t value) {
        for (const ChoiceEntry& entry : Ui().FillChoiceList(ctrlId, value).entries) {
            if (entry.value == value) {
                return QString::fromStdString(entry.text);
            }
        }
        return QString();
    };
    auto* out1 = Control<QLabel>(ui::kMainOut1Picture);
    ASSERT_FALSE(out1->isHidden());
    EXPECT_EQ(out1->accessibleName(), Control<QLabel>(ui::kMainOut1Caption)->text());
    const QString described = out1->accessibleDescription();
    EXPECT_TRUE(described.startsWith(listText(ui::kOutPatternList, 9))) << described.toStdString();
    EXPECT_TRUE(described.contains(listText(ui::kOutMeasureWorkList, 12)))
        << described.toStdString();
    EXPECT_TRUE(described.contains(listText(ui::kHeadSetupModeList, 1))) << described.toStdString();
    auto* combination = Control<QLabel>(ui::kMainOutPatternPicture);
    ASSERT_FALSE(combination->isHidden());
    EXPECT_EQ(combination->accessibleName(), Control<QLabel>(ui::kMainOutPatternCaption)->text());
    EXPECT_TRUE(combination->accessibleDescription().contains(listText(ui::kOutPatternList, 0)));
    EXPECT_FALSE(Control<QLabel>(ui::kMainOut2Picture)->accessibleDescription().isEmpty());
}

}  // namespace
}  // namespace zul::test
