// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering window: starts and stops the controller's buffering, shows its state, reads
// the stored values of both outputs and shows them as graphs, tables and statistics; saves
// and loads them as buffering data files or CSV.
//
// The window keeps the session (what is out at the buffering thread, the status record, the
// blocks) and the commands; its parts are panels of their own: the settings page
// (CBufferingSettingsPage), the graphs and tables with their measure lines
// (CBufferingGraphPanel) and the views on pages of their own (BufferingView, added in AddViews).
//
// All controller traffic goes through CThreadBuffering (requests come back as window messages
// through a WorkerRequest) and the synchronous buffering procedures (RunSynchronous). The
// window owns two BufferingData blocks: the one it shows (graphs, tables, statistics, files)
// and the one a read fills, which is attached to the thread while the window is open. Only a
// read that completes hands its values over to the block shown, so a read that is cancelled
// (Stop, the read's cancel button, closing) or fails leaves the values shown before it.
//
// The connection state is the application's (Application::Online()); the window asks
// it when it needs it and re-runs its rules on the line-state notification.
//
// Lifetime: closing cancels whatever request the thread holds (a state read, a read, or a
// running monitoring) and detaches the block, so that nothing can post to the window or write
// into the block afterwards; results still on their way are destroyed unread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QMainWindow>
#include <QPageLayout>
#include <QPointer>
#include <QTimer>

#include "base/ResultInfo.h"
#include "buffering/BufferingData.h"
#include "buffering/BufferingRequest.h"
#include "ui/buffering/BufferingConfForm.h"
#include "ui/buffering/BufferingIds.h"
#include "ui/buffering/BufferingInfoForm.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/WorkerRequest.h"

class QPrinter;
class QTableView;

namespace Ui {
class BufferingWnd;
}

namespace zul {

class Application;

}  // namespace zul

namespace zul::ui {

class CBufferingGraphPanel;
class CBufferingSettingsPage;
class CBufferingTableModel;
class BufferingView;
class CCapabilityPanel;
class CCapabilityView;
class CTChart;

// What the window waits for at the buffering thread.
enum class BufferingWndState : int32_t {
    kIdle = 0,       // nothing of the window's is out (a Stop may still be on its way)
    kStateRead = 1,  // a ReadState request of the state display loop is out
    kRunning = 2,    // buffering runs: the monitoring request is out
    kReading = 3,    // a ReadData request is out
    kClosed = 4,     // the window has let go of the thread; nothing is sent any more
};

class CBufferingWnd : public QMainWindow, public FormBase {
    Q_OBJECT
public:
    // Null when the data block cannot be allocated (the window is then not created).
    static CBufferingWnd* Create(Application& app, FormBase* parentForm, QWidget* parent = nullptr);
    ~CBufferingWnd() override;

    // --- Commands (menus and buttons call these) ---
    void Start();
    void Stop();
    void Read();
    void CancelRead();
    void Save();
    void Load();
    void Clear();
    void SetSelfStop(bool on);
    void ShowTable(int output, bool shown);
    // Every graph follows its data (remembered); the value axis starts at -950..950 otherwise.
    void SetAlwaysFit(bool on);
    void ReadSettingsFromController();
    // Fills the settings page from the store again (after the store's buffering settings or the
    // sampling cycle changed elsewhere); what the page held is dropped.
    void ReloadSettingsPage();
    CBufferingConfForm* OpenMeasureLines();
    CBufferingInfoForm* OpenInformation();
    bool ExportGraphs(const QString& path, bool pdf, ResultInfo* result = nullptr);
    // Prints the graph of the shown page (the OUT2 graph on its page, the graph of both outputs
    // on the other pages but the OUT1 one) on a printer or into a PDF file, both chosen in the
    // print dialog. False when the dialog was cancelled or printing failed (then shown).
    bool PrintGraph();
    // Sets up the printer in place of the print dialog (true: print); tests print into a PDF
    // file through it. Returns the setup it replaces; an empty one restores the dialog.
    using PrintSetup = std::function<bool(QPrinter& printer, QWidget* parent)>;
    static PrintSetup SetPrintSetup(PrintSetup setup);
    // The process-capability figures of both outputs: saved as CSV or JSON (chosen by the
    // path's suffix in the dialog), printed as a report through the print path of PrintGraph.
    void SaveStatistics();
    bool SaveStatisticsToPath(const QString& path);
    bool PrintCapabilityReport();
    // Save and load without the dialog (the commands use them after the dialog).
    bool SaveToPath(const QString& path);
    bool LoadFromPath(const QString& path);

    // --- State (tests, pictures, benchmarks) ---
    BufferingWndState State() const { return state_; }
    bool IsRunning() const { return state_ == BufferingWndState::kRunning; }
    bool IsReading() const { return state_ == BufferingWndState::kReading; }
    bool IsStateReadOutstanding() const { return state_ == BufferingWndState::kStateRead; }
    const BufferingValueSet& Status() const { return status_; }
    BufferingData& Data() { return *data_; }
    CTChart& Chart(int output);
    CTChart& BothChart();
    QTableView& Table(int output);
    CBufferingTableModel& TableModel(int output);
    CBufferingInfoForm* InformationForm() const { return infoForm_; }
    CBufferingConfForm* MeasureLinesForm() const { return confForm_; }
    // The process-capability panel of an output (on its page).
    CCapabilityPanel& Capability(int output) const;
    QString StatusText() const;
    QString SelectedPointText(int output) const;
    // Graphs, tables and (when shown) statistics from the block, as after a read.
    void RedrawAll();
    // Measure lines from the store into the block and the graphs, then the statistics.
    void ApplyMeasureLines();
    void ComputeStatistics();
    // A measure line of the output's graph was dragged to position (plot coordinates).
    void MoveMeasureLine(int output, int line, double position);
    // The chart's number of a measure line: 0 upper value line, 1 lower, 2 left number line,
    // 3 right.
    int MeasureLineOf(int output, int which) const;

signals:
    void closed();
    // A request came back and was handled (kind, result code).
    void requestHandled(int kind, int code);

protected:
    void closeEvent(QCloseEvent* event) override;
    void OnUiDefinitionApplied() override;
    void OnLineStateChanged(int32_t lineState) override;
    void OnMemoryBankChanged(int32_t oldBank, int32_t newBank) override;
    void OnTakeControlValues() override;
    void RestoreFormMode(int32_t mode) override;
    std::optional<int32_t> FormModeToStore() const override;

private:
    // A view on a tab page of its own (see AddViews).
    struct ViewPage {
        QWidget* page;
        const char* titleRecord;  // caption of the tab when the tab list has no title for it
        BufferingView* view;      // owned by the page through its widget
    };

    CBufferingWnd(Application& app, std::unique_ptr<BufferingData> data,
                  std::unique_ptr<BufferingData> incoming, FormBase* parentForm, QWidget* parent);

    // Construction.
    void BuildPanels();
    void AddViews();
    void AddView(BufferingView* view, const char* pageName, const char* titleRecord = nullptr);
    void ConnectCommands();
    void ConnectFileCommands();
    void RestoreChoices();
    void StartTimers();
    void ApplyTabTitles();
    // Requests out at the thread and their results.
    void Submit(int32_t kind);
    void OnReturned(std::unique_ptr<BufferingRequest> request);
    void OnMonitoringEnded(const BufferingRequest& request);
    void OnReadReturned(const BufferingRequest& request);
    void OnMonitoringComplete(const BufferingRequest& request);
    void TakeReadResult();
    void CancelStateRead();
    void OnStateTimer();
    void OnProgressTimer();
    void ShowReadProgress(bool shown);
    void CopyState(const BufferingValueSet& raw);
    // Display.
    void UpdateCommands();
    void ShowStatus();
    void ShowResult(const ResultInfo& result);
    // Shows the message of code; for a file, detail1 is its path and reason why it failed.
    void ShowResultCode(int32_t code, const std::string& detail1 = {},
                        const std::string& reason = {});
    bool ViewsShown() const;
    void ShowStatistics();
    CTChart& ShownChart();
    // Files.
    FileDialogRequest FileRequest(FileDialogRequest::Mode mode, const QStringList& filters,
                                  const QString& suffix) const;
    void RememberFolder(const QString& path);
    void ExportShownGraph(bool pdf);
    // Lets the user set up the printer (dialog or PrintSetup), then prints with print: on the
    // printer, or, printed to a file, through a scratch file so that the file appears whole or
    // not at all. False when cancelled or failed (then shown).
    bool PrintWith(QPageLayout::Orientation orientation,
                   const std::function<bool(QPrinter&)>& print);
    void Shutdown();

    Application& app_;
    std::unique_ptr<BufferingData> data_;      // the values shown
    std::unique_ptr<BufferingData> incoming_;  // the values a read brings
    std::unique_ptr<Ui::BufferingWnd> ui_;
    QtMessageBoxHost boxes_;
    QtFileDialogHost files_;
    WorkerRequest<BufferingRequest> requests_;
    QTimer stateTimer_;
    QTimer progressTimer_;
    CBufferingSettingsPage* page_ = nullptr;
    CBufferingGraphPanel* graphs_ = nullptr;
    std::vector<ViewPage> views_;
    std::array<CCapabilityView*, 2> capability_{};  // views of views_
    QPointer<CBufferingInfoForm> infoForm_;
    QPointer<CBufferingConfForm> confForm_;
    BufferingValueSet status_;
    BufferingWndState state_ = BufferingWndState::kIdle;
    int64_t readTotal_ = 0;
    int64_t readDone_ = 0;
};

}  // namespace zul::ui
