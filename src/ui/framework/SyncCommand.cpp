// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/SyncCommand.h"

#include <new>
#include <thread>

#include <QApplication>
#include <QEventLoop>

#include "ui/framework/FormBase.h"

namespace zul::ui {

namespace {

// Set for the whole of a synchronous command (GUI thread only).
bool g_synchronousRunning = false;

}  // namespace

int32_t RunSynchronous(const SynchronousCall& call, ResultInfo* info) {
    if (g_synchronousRunning) {
        return SetResult(info, ZUL_ERR);
    }
    g_synchronousRunning = true;
    FormBase::DisableAllWindows();
    QApplication::setOverrideCursor(Qt::WaitCursor);

    ResultInfo result;
    int32_t code = ZUL_ERR;
    QEventLoop loop;
    QObject context;  // on the GUI thread: the worker's "done" runs there
    std::thread worker([&] {
        // Nothing may leave the worker thread as an exception.
        try {
            code = call(&result);
        } catch (const std::bad_alloc&) {
            code = SetResult(&result, ZUL_ERR_MEMORY_OVER);
        } catch (...) {
            code = SetResult(&result, ZUL_ERR);
        }
        QMetaObject::invokeMethod(
            &context, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    // Windows keep painting and timers keep firing here; see the header on re-entrancy.
    loop.exec();
    worker.join();

    QApplication::restoreOverrideCursor();
    FormBase::EnableAllWindows();
    g_synchronousRunning = false;
    if (info != nullptr) {
        *info = result;
    }
    return code;
}

bool IsSynchronousCommandRunning() {
    return g_synchronousRunning;
}

}  // namespace zul::ui
