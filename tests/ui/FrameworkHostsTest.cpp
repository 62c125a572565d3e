// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes, file dialogs, the window-message bridge and synchronous commands.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "FrameworkTestSupport.h"
#include "settings/MessageBox.h"
#include "settings/MessageTexts.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/QtWindowSink.h"
#include "ui/framework/SyncCommand.h"

namespace zul::test {

using namespace zul::ui;
namespace {

// Restores the real dialogs when a test ends, even a failing one.
struct AnswererReset {
    ~AnswererReset() {
        QtMessageBoxHost::SetAnswerer({});
        QtFileDialogHost::SetAnswerer({});
    }
};

class HostsTest : public ::testing::Test {
protected:
    TestUiDefinition definition;
    FormContext context{&definition.Get(), nullptr};
    AnswererReset reset;
};

TEST_F(HostsTest, MessageBoxDisablesOwnerAndChildrenWhileOpen) {
    RecordingForm owner(context);
    RecordingForm child(context, &owner);
    RecordingForm other(context);
    std::vector<MessageBoxShown> shown;
    bool ownerEnabled = true;
    bool childEnabled = true;
    bool otherEnabled = false;
    QtMessageBoxHost::SetAnswerer([&](const MessageBoxShown& box) {
        shown.push_back(box);
        ownerEnabled = owner.isEnabled();
        childEnabled = child.isEnabled();
        otherEnabled = other.isEnabled();
        return kAnswerYes;
    });
    QtMessageBoxHost host(&owner);
    EXPECT_EQ(host.ShowMessageBox("Save?\nReally", kMbYesNo), kAnswerYes);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "QV-M8 ZuL");
    EXPECT_EQ(shown[0].text, "Save?\nReally");
    EXPECT_EQ(shown[0].style, kMbYesNo);
    EXPECT_EQ(shown[0].owner, &owner);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_FALSE(childEnabled);
    EXPECT_TRUE(otherEnabled);  // only the owner's family
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_TRUE(child.isEnabled());
}

TEST_F(HostsTest, ABoxInsideADisabledPhaseLeavesTheWindowsDisabled) {
    RecordingForm owner(context);
    Qt::CursorShape cursorDuring = Qt::WaitCursor;
    QtMessageBoxHost::SetAnswerer([&](const MessageBoxShown&) {
        cursorDuring = QApplication::overrideCursor()->shape();
        return kAnswerOk;
    });
    QtMessageBoxHost host(&owner);
    FormBase::DisableAllWindows();
    host.SetWaitCursor(true);
    host.ShowMessageBox("failed", kMbError);
    EXPECT_EQ(cursorDuring, Qt::ArrowCursor);  // the box is not behind a wait cursor
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    host.SetWaitCursor(false);
    EXPECT_FALSE(owner.isEnabled());
    FormBase::EnableAllWindows();
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(HostsTest, ConfirmThenActRunsTheActionOnlyOnYes) {
    RecordingForm owner(context);
    QtMessageBoxHost host(&owner);
    std::vector<MessageBoxStyle> styles;
    MessageBoxAnswer answer = kAnswerNo;
    QtMessageBoxHost::SetAnswerer([&](const MessageBoxShown& box) {
        styles.push_back(box.style);
        return box.style == kMbYesNo ? answer : kAnswerOk;
    });
    int runs = 0;
    auto action = [&runs](ResultInfo*) {
        ++runs;
        return int32_t(ZUL_OK);
    };
    EXPECT_EQ(ConfirmThenAct(host, definition.Get(), kMsgConfirmSaveMem, kMsgSaveMemDone, action),
              ZUL_ERR_ABORT);
    EXPECT_EQ(runs, 0);
    answer = kAnswerYes;
    EXPECT_EQ(ConfirmThenAct(host, definition.Get(), kMsgConfirmSaveMem, kMsgSaveMemDone, action),
              ZUL_OK);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(styles, (std::vector<MessageBoxStyle>{kMbYesNo, kMbYesNo, kMbNotice}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the wait cursor is gone again
}

TEST_F(HostsTest, AMissingTextStillShowsAnErrorBox) {
    RecordingForm owner(context);
    std::vector<MessageBoxShown> shown;
    QtMessageBoxHost::SetAnswerer([&](const MessageBoxShown& box) {
        shown.push_back(box);
        return kAnswerOk;
    });
    QtMessageBoxHost host(&owner);
    ResultInfo result;
    SetResult(&result, ZUL_ERR_COMM_TIMEOUT, 0, "COM1");
    ReportResult(host, definition.Get(), result);  // the test definition has no result texts
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, FallbackNoStringData());
    EXPECT_EQ(shown[0].style, kMbError);
    ReportResult(host, definition.Get(), ResultInfo{});  // success shows nothing
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(HostsTest, RealBoxHasTheStyleButtonsAndIcon) {
    RecordingForm owner(context);
    owner.show();
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool hasCancel = false;
    bool ownerEnabled = true;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        icon = box->icon();
        hasCancel = box->button(QMessageBox::Cancel) != nullptr;
        ownerEnabled = owner.isEnabled();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(QtMessageBoxHost(&owner).ShowMessageBox("Save changes?", kMbYesNoCancel), kAnswerNo);
    EXPECT_EQ(title, FallbackText(kResApplicationTitle));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_TRUE(hasCancel);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(HostsTest, FileDialogAnswererGetsTheRequest) {
    RecordingForm owner(context);
    bool ownerEnabled = true;
    FileDialogRequest seen;
    QtFileDialogHost::SetAnswerer([&](const FileDialogRequest& request, QWidget*) {
        seen = request;
        ownerEnabled = owner.isEnabled();
        return std::optional<FileDialogResult>(FileDialogResult{"/tmp/a.zul", 0});
    });
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.startFolder = "/tmp";
    request.filters = {"(*.zul)"};
    request.defaultSuffix = "zul";
    const auto result = QtFileDialogHost(&owner).ChooseFile(request);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->path, "/tmp/a.zul");
    EXPECT_EQ(seen.defaultSuffix, "zul");
    EXPECT_EQ(seen.mode, FileDialogRequest::Mode::Save);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(owner.isEnabled());
}

// --- Window messages ---

std::atomic<int> g_payloadsAlive{0};

struct CountedPayload : MessagePayload {
    explicit CountedPayload(int n) : number(n) { ++g_payloadsAlive; }
    ~CountedPayload() override { --g_payloadsAlive; }
    int number;
};

TEST(WindowSinkTest, MessagesArriveInOrderOnTheGuiThreadWithTheirPayloads) {
    QObject target;
    std::vector<int> numbers;
    std::vector<uint32_t> ids;
    bool onGuiThread = true;
    QtWindowSink sink(&target, [&](Message& message) {
        onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
        ids.push_back(message.id);
        if (auto payload = message.Take<CountedPayload>()) {
            numbers.push_back(payload->number);
        }
    });
    std::thread poster([&sink] {
        for (int i = 0; i < 100; ++i) {
            std::unique_ptr<MessagePayload> payload = std::make_unique<CountedPayload>(i);
            ASSERT_TRUE(sink.PostWindowMessage(kUserMessage + 14, i, 0, payload));
            EXPECT_EQ(payload, nullptr);  // handed over
        }
    });
    poster.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return numbers.size() == size_t(100); }, 5000))
        << numbers.size();
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(numbers[size_t(i)], i);
    }
    EXPECT_EQ(ids.front(), kUserMessage + 14);
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(g_payloadsAlive.load(), 0);
    std::unique_ptr<MessagePayload> none;
    EXPECT_FALSE(sink.PostWindowMessage(5, 0, 0, none));  // not a user event number
}

TEST(WindowSinkTest, MessagesForADestroyedWindowAreDestroyedNotDelivered) {
    auto target = std::make_unique<QObject>();
    std::atomic<int> delivered{0};
    QtWindowSink sink(target.get(), [&](Message&) { ++delivered; });
    auto post = [&sink] {
        std::unique_ptr<MessagePayload> payload = std::make_unique<CountedPayload>(0);
        const bool ok = sink.PostWindowMessage(kUserMessage + 14, 0, 0, payload);
        // A refused payload stays with the poster (and dies here); a posted one is gone.
        EXPECT_EQ(ok, payload == nullptr);
        return ok;
    };
    // Queued, and not yet delivered: the GUI thread handles no events meanwhile.
    std::thread([&] {
        for (int i = 0; i < 200; ++i) {
            ASSERT_TRUE(post());
        }
    }).join();
    EXPECT_EQ(g_payloadsAlive.load(), 200);
    // A thread keeps posting while the window goes away.
    std::atomic<bool> refused{false};
    std::thread poster([&] {
        while (!refused) {
            refused = !post();
        }
    });
    target.reset();
    poster.join();
    EXPECT_TRUE(refused);
    EXPECT_FALSE(sink.IsAttached());
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered.load(), 0);
    EXPECT_EQ(g_payloadsAlive.load(), 0);  // every queued payload was destroyed
}

TEST(WindowSinkTest, DetachInsideTheHandlerDropsTheRest) {
    QObject target;
    int delivered = 0;
    QtWindowSink sink;
    sink.Attach(&target, [&](Message&) {
        ++delivered;
        sink.Detach();
    });
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<MessagePayload> payload = std::make_unique<CountedPayload>(i);
        ASSERT_TRUE(sink.PostWindowMessage(kUserMessage + 1, 0, 0, payload));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered == 1; }, 5000)) << delivered;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 1);
    EXPECT_EQ(g_payloadsAlive.load(), 0);
    EXPECT_FALSE(sink.Post(kUserMessage + 1));
}

// --- Synchronous commands ---

TEST_F(HostsTest, SynchronousCommandKeepsTheLoopRunningAndRefusesReentry) {
    RecordingForm window(context);
    std::promise<void> timerRan;
    std::future<void> timerDone = timerRan.get_future();
    bool windowEnabledDuring = true;
    bool busyDuring = false;
    int32_t nestedCode = ZUL_OK;
    bool nestedRan = false;
    bool waitCursor = false;
    QTimer::singleShot(10, [&] {
        windowEnabledDuring = window.isEnabled();
        busyDuring = IsSynchronousCommandRunning();
        waitCursor = QApplication::overrideCursor() != nullptr &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        nestedCode = RunSynchronous([&](ResultInfo*) {
            nestedRan = true;
            return int32_t(ZUL_OK);
        });
        timerRan.set_value();
    });
    ResultInfo info;
    // The call can only end when the timer has fired on the GUI thread meanwhile.
    const int32_t code = RunSynchronous(
        [&](ResultInfo* result) {
            if (timerDone.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
                return SetResult(result, ZUL_ERR_COMM_TIMEOUT);
            }
            return SetResult(result, ZUL_ERR_COMM_RES, 3, "%EE#RMB");
        },
        &info);
    EXPECT_EQ(code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(info.detail1, "%EE#RMB");
    EXPECT_FALSE(windowEnabledDuring);
    EXPECT_TRUE(busyDuring);
    EXPECT_TRUE(waitCursor);
    EXPECT_EQ(nestedCode, ZUL_ERR);
    EXPECT_FALSE(nestedRan);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(IsSynchronousCommandRunning());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace zul::test
