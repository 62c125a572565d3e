// SPDX-License-Identifier: GPL-3.0-or-later
// How a settings transfer and the program end when the controller does not: the progress
// form's Cancel button and Escape, a controller that goes quiet part-way through a write, and
// SIGTERM while a box or the progress form is open (in this process, through the program's own
// run, and in a child process running the desktop program with --simulate).
#include "MainWindowFixture.h"

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QProgressBar>
#include <QTimer>

#include "link/ThreadCommControler.h"
#include "ui/main/TransferProgressForm.h"

namespace zul::test {

using namespace zul::ui;
namespace {

using namespace std::chrono_literals;

// Ends a run that the code under test does not end by itself: after the limit, the controller
// answers again, the link is closed (which ends any request still waiting) and the main window
// is asked to close until it does. fired() tells the test that it had to.
class Rescue {
public:
    Rescue(ui::DesktopProgram& program, sim::Simulator& sim, std::chrono::milliseconds limit)
        : program_(program), sim_(sim) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
        QObject::connect(&closer_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
            if (ui::CMainWindow* main = program_.Main()) {
                main->close();
            }
        });
        timer_.start(limit);
    }
    bool fired() const { return fired_; }

private:
    void Fire() {
        fired_ = true;
        sim_.SetFaults(sim::SimFaults{});
        if (CThreadCommControler* comm = program_.App().CommControler()) {
            comm->Disconnect();
        }
        closer_.start(200);
    }

    ui::DesktopProgram& program_;
    sim::Simulator& sim_;
    QTimer timer_;
    QTimer closer_;
    bool fired_ = false;
};

class TransferEndTest : public MainWindowTest {
protected:
    // A controller that answers nothing, with the longest reply time-out (10 s): only a cancel
    // ends a transfer quickly.
    void QuietControllerWithLongTimeOut() {
        Store().SetInt<kSoftRs232cTimeout>(4);
        program->App().CommControler()->ReloadTimeout();
        sim::SimFaults faults;
        faults.quiet = true;
        sim.SetFaults(faults);
    }
    QString CancelCaption() {
        const UiControlRecord* record = Ui().FindByName("Transfer_BtnCancel");
        return record != nullptr ? QString::fromStdString(record->caption) : QString();
    }
    // The progress form's button that shows the text, or null.
    QPushButton* FormButton(const QString& text) {
        for (QPushButton* button : main->ProgressForm()->findChildren<QPushButton*>()) {
            if (button->text() == text && button->isVisible()) {
                return button;
            }
        }
        return nullptr;
    }
    // Runs read all; act is called once the form shows and the first request has reached the
    // controller.
    void ReadAllActingOnTheForm(const std::function<void()>& act) {
        QObject::connect(main, &ui::CMainWindow::TransferStarted, main, [&] {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !sim.ReceivedFrames().empty(); }, 5000));
            act();
        });
        Click(ui::kMainReadSettingsButton);
    }
};

TEST_F(TransferEndTest, TheProgressFormsCancelButtonEndsTheTransferAtOnce) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    ASSERT_FALSE(CancelCaption().isEmpty());
    Store().SetInt<kHeadSetupMode>(3, 0, 0);
    QuietControllerWithLongTimeOut();
    Rescue rescue(*program, sim, 8s);
    bool formEnabled = false;
    bool cancelShown = false;
    bool enabledAfterClick = true;
    QString accessibleName;
    ReadAllActingOnTheForm([&] {
        formEnabled = main->ProgressForm()->isEnabled();
        QPushButton* cancel = FormButton(CancelCaption());
        cancelShown = cancel != nullptr;
        ASSERT_NE(cancel, nullptr);
        accessibleName = QAccessible::queryAccessibleInterface(cancel)->text(QAccessible::Name);
        QTest::mouseClick(cancel, Qt::LeftButton);
        enabledAfterClick = cancel->isEnabled();  // asked once; it waits for the worker
    });
    EXPECT_FALSE(rescue.fired()) << "the transfer went on after Cancel";
    EXPECT_TRUE(formEnabled);  // its owner is disabled, the form takes its Cancel
    EXPECT_TRUE(cancelShown);
    EXPECT_EQ(accessibleName, CancelCaption());
    EXPECT_FALSE(enabledAfterClick);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_ABORT));  // as closing the form does
    EXPECT_EQ(Store().GetInt<kHeadSetupMode>(0, 0), 3);        // nothing read was applied
    EXPECT_EQ(sim.ReceivedFrames().size(), 1u);                // nothing sent after it
    EXPECT_EQ(main->ProgressForm(), nullptr);
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(TransferEndTest, EscapeCancelsTheTransferAsTheButtonDoes) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    QuietControllerWithLongTimeOut();
    Rescue rescue(*program, sim, 8s);
    ReadAllActingOnTheForm([&] { QTest::keyClick(main->ProgressForm(), Qt::Key_Escape); });
    EXPECT_FALSE(rescue.fired()) << "Escape did not end the transfer";
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_ABORT));
    EXPECT_EQ(main->ProgressForm(), nullptr);
}

// The form of an older UI definition without the button's record: the framework's own Cancel.
TEST_F(TransferEndTest, WithoutItsRecordTheButtonKeepsTheStandardCancelText) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    UiDefinition without;
    FormContext context = main->Context();
    context.ui = &without;
    ui::CTransferProgressForm form(context, nullptr, nullptr);
    QDialogButtonBox standard(QDialogButtonBox::Cancel);
    EXPECT_EQ(form.CancelButton()->text(), standard.button(QDialogButtonBox::Cancel)->text());
    EXPECT_FALSE(form.CancelButton()->text().isEmpty());
}

// The controller stops answering after 20 requests while its line stays open, during a write
// that changes the sampling cycle (reconnect mode): the form ends by itself, the time-out is
// reported, and nothing is taken as written.
TEST_F(TransferEndTest, WriteAllToAControllerThatGoesQuietIsReportedAndTakesNothing) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    Click(ui::kMainReadSettingsButton);  // the controller's values, so that only the sampling cycle
                                         // differs
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
    const int32_t sampling = Store().GetInt<kCommonSamplingCycle>(0);
    Store().SetInt<kCommonSamplingCycle>(sampling == 0 ? 1 : 0, 0);
    main->RefreshFromStore();
    const int32_t controllerBank = Store().GetInt<kCtrlCurMemNo>();
    program->App().Environment().SetReconnectSettings(1, 5);  // ends a request after 1.5 s
    sim::SimFaults faults;
    faults.quietAfter = 20;
    sim.SetFaults(faults);
    sim.ClearReceivedFrames();
    int lastPercent = -1;
    int reconnectMode = 0;
    QObject::connect(main, &ui::CMainWindow::TransferStarted, main, [&] {
        auto* bar = main->ProgressForm()->findChild<QProgressBar*>();
        ASSERT_NE(bar, nullptr);
        QObject::connect(bar, &QProgressBar::valueChanged, main, [&](int value) {
            lastPercent = value;
            reconnectMode = program->App().ReconnectMode();
        });
    });
    Rescue rescue(*program, sim, 15s);
    Click(ui::kMainWriteSettingsButton);
    EXPECT_FALSE(rescue.fired()) << "the progress form stayed up";
    EXPECT_EQ(reconnectMode, 1);
    EXPECT_GT(lastPercent, 0);  // part-way through reading the words back
    EXPECT_LT(lastPercent, 50);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_COMM_TIMEOUT));
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    EXPECT_EQ(main->ProgressForm(), nullptr);
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(program->App().ReconnectMode(), 0);
    EXPECT_EQ(sim.ReceivedFrames().size(), 21u);
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#W").empty());
    EXPECT_EQ(Store().GetInt<kCtrlCurMemNo>(), controllerBank);
    EXPECT_EQ(Store().GetInt<kCommonSamplingCycle>(0), sampling == 0 ? 1 : 0);  // still to write
    EXPECT_EQ(main->LineState(), 1);  // the line itself was never lost
}

// SIGTERM in this process, through the program's own run.
class TerminationTest : public TransferEndTest {
protected:
    // Runs the program until it ends; false when it had to be rescued.
    int RunToTheEnd(std::chrono::milliseconds limit, bool* rescued) {
        std::filesystem::remove(home.DefaultSettingsFile());
        Rescue rescue(*program, sim, limit);
        const int status = program->Run();
        main = nullptr;  // gone with the program's end
        *rescued = rescue.fired();
        return status;
    }
    // The program ended in its normal order: threads joined, settings written.
    void ExpectNormalEnd() {
        EXPECT_EQ(program->App().CommControler(), nullptr);
        EXPECT_TRUE(std::filesystem::exists(home.DefaultSettingsFile()));
    }
};

TEST_F(TerminationTest, SigtermClosesAnOpenBoxAsNoAndEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    const MessageBoxAnswerer recorder = QtMessageBoxHost::SetAnswerer({});  // real boxes
    bool boxOpen = false;
    QTimer::singleShot(0, main, [&] {
        // Runs in the question box's own loop.
        QTimer::singleShot(0, main, [&] {
            boxOpen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
            ::raise(SIGTERM);
        });
        Click(ui::kMainSaveMemoryButton);
    });
    bool rescued = false;
    const int status = RunToTheEnd(10s, &rescued);
    QtMessageBoxHost::SetAnswerer(recorder);
    EXPECT_FALSE(rescued) << "the program waited for the box";
    EXPECT_TRUE(boxOpen);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WWR").empty());  // answered No
    ExpectNormalEnd();
}

TEST_F(TerminationTest, SigtermCancelsARunningTransferAndEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    Store().SetInt<kHeadSetupMode>(3, 0, 0);
    QuietControllerWithLongTimeOut();
    bool formOpen = false;
    QObject::connect(main, &ui::CMainWindow::TransferStarted, main, [&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !sim.ReceivedFrames().empty(); }, 5000));
        formOpen = main->ProgressForm() != nullptr && main->ProgressForm()->isVisible();
        ::raise(SIGTERM);
    });
    QTimer::singleShot(0, main, [&] { Click(ui::kMainReadSettingsButton); });
    bool rescued = false;
    const int status = RunToTheEnd(8s, &rescued);
    EXPECT_FALSE(rescued) << "the program waited for the transfer";
    EXPECT_TRUE(formOpen);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
    EXPECT_EQ(Store().GetInt<kHeadSetupMode>(0, 0), 3);  // the cancelled read took nothing
    EXPECT_EQ(sim.ReceivedFrames().size(), 1u);
    ExpectNormalEnd();
}

// The desktop program as its own process (this binary in program mode, --simulate, offscreen):
// a script opens a box or the progress form, then the process gets SIGTERM.
struct ChildEnd {
    bool opened = false;
    bool ended = false;
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QString errors;
};

ChildEnd RunChildAndTerminate(const char* script) {
    ChildEnd end;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QVM8_UI_TEST_RUN_PROGRAM"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QVM8_UI_TEST_SCRIPT"), QString::fromLatin1(script));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--simulate")});
    if (!child.waitForStarted(30000)) {
        return end;
    }
    QByteArray said;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!child.canReadLine() && std::chrono::steady_clock::now() < deadline &&
           child.state() == QProcess::Running) {
        child.waitForReadyRead(1000);
    }
    said = child.readLine().trimmed();
    end.opened = said == "open";
    if (end.opened) {
        ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
        end.ended = child.waitForFinished(8000);
    }
    if (!end.ended) {
        child.kill();
        child.waitForFinished(5000);
    }
    end.exitCode = child.exitCode();
    end.exitStatus = child.exitStatus();
    end.errors = QString::fromLocal8Bit(child.readAllStandardError()) +
                 QStringLiteral("\nstdout: ") + QString::fromLatin1(said);
    return end;
}

std::string SimulatedSettingsFile(const TestHome& home) {
    return home.Path("cache/qvm8-zul/simulate/config/Brantwick ORTA Sensor/QV-M8 ZuL/qv-m8.zul");
}

TEST(DesktopTerminationTest, SigtermWhileAQuestionIsOpenEndsTheProgramInItsNormalOrder) {
    TestHome home;
    const ChildEnd end = RunChildAndTerminate("question");
    ASSERT_TRUE(end.opened) << end.errors.toStdString();
    EXPECT_TRUE(end.ended) << "still running 8 s after SIGTERM";
    EXPECT_EQ(end.exitStatus, QProcess::NormalExit) << end.errors.toStdString();
    EXPECT_EQ(end.exitCode, 0) << end.errors.toStdString();
    EXPECT_TRUE(std::filesystem::exists(SimulatedSettingsFile(home)));
}

TEST(DesktopTerminationTest, SigtermWhileTheProgressFormIsOpenEndsTheProgramInItsNormalOrder) {
    TestHome home;
    const ChildEnd end = RunChildAndTerminate("transfer");
    ASSERT_TRUE(end.opened) << end.errors.toStdString();
    EXPECT_TRUE(end.ended) << "still running 8 s after SIGTERM";
    EXPECT_EQ(end.exitStatus, QProcess::NormalExit) << end.errors.toStdString();
    EXPECT_EQ(end.exitCode, 0) << end.errors.toStdString();
    EXPECT_TRUE(std::filesystem::exists(SimulatedSettingsFile(home)));
}

}  // namespace
}  // namespace zul::test
