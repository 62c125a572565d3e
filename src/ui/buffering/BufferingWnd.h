// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering window: starts and stops the controller's buffering, shows its state, reads
// the stored values of both outputs and shows them as graphs, tables and statistics; saves
// and loads them as buffering data files or CSV.
//
// All controller traffic goes through CThreadBuffering (requests come back as window messages
// through the window's sink) and the synchronous buffering procedures (RunSynchronous). The
// window owns two BufferingData blocks: the one it shows (graphs, tables, statistics, files)
// and the one a read fills, which is attached to the thread while the window is open. Only a
// read that completes hands its values over to the block shown, so a read that is cancelled
// (Stop, the read's cancel button, closing) or fails leaves the values shown before it.
//
// Lifetime: closing cancels whatever request the thread holds (a state read, a read, or a
// running monitoring) and detaches the block, so that nothing can post to the window or write
// into the block afterwards; messages still queued are destroyed with the window's sink.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include "base/ResultInfo.h"
#include "buffering/BufferingData.h"
#include "buffering/BufferingRequest.h"
#include "ui/buffering/BufferingConfForm.h"
#include "ui/buffering/BufferingInfoForm.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"

class QComboBox;
class QPrinter;
class QTableView;

namespace Ui {
class BufferingWnd;
}

namespace zul {

class Application;
class BufferingInfoView;
class BufferingTableModel;
class CNumericEdit;
class CTChart;
class QtWindowSink;
struct Message;

// A buffering request came back from the thread.
inline constexpr uint32_t kWmBufferingReturned = 1024 + 30;
inline constexpr int kBufferingStateLoopMs = 500;

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
    // Save and load without the dialog (the commands use them after the dialog).
    bool SaveToPath(const QString& path);
    bool LoadFromPath(const QString& path);

    // --- State (tests, pictures, benchmarks) ---
    bool IsRunning() const { return running_; }
    bool IsReading() const { return reading_; }
    bool IsStateReadOutstanding() const { return stateRead_; }
    const BufferingValueSet& Status() const { return status_; }
    BufferingData& Data() { return *data_; }
    CTChart& Chart(int output) { return *charts_[size_t(output)]; }
    CTChart& BothChart() { return *bothChart_; }
    QTableView& Table(int output) { return *tables_[size_t(output)]; }
    BufferingTableModel& TableModel(int output) { return *models_[size_t(output)]; }
    CBufferingInfoForm* InformationForm() const { return infoForm_; }
    CBufferingConfForm* MeasureLinesForm() const { return confForm_; }
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
    int MeasureLineOf(int output, int which) const { return lines_[size_t(output)][size_t(which)]; }

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
    CBufferingWnd(Application& app, std::unique_ptr<BufferingData> data,
                  std::unique_ptr<BufferingData> incoming, FormBase* parentForm, QWidget* parent);

    void BuildViews();
    void ConnectCommands();
    void OnWindowMessage(Message& message);
    void OnReturned(std::unique_ptr<BufferingRequest> request);
    void Submit(int32_t kind, int64_t userData = 0);
    void TakeReadResult();
    void CancelStateRead();
    void OnStateTimer();
    void OnProgressTimer();
    void CopyState(const BufferingValueSet& raw);
    void UpdateCommands();
    void ShowStatus();
    void ShowResult(const ResultInfo& result);
    // Shows the message of code; for a file, detail1 is its path and reason why it failed.
    void ShowResultCode(int32_t code, const std::string& detail1 = {},
                        const std::string& reason = {});
    void Shutdown();
    bool Online() const;
    // Settings page.
    void FillPage(int32_t bank);
    void PageToStore(int32_t bank);
    void UpdatePageEnabled();
    bool RecordAllows(const QWidget* widget) const;
    // Graphs.
    void DrawOutput(int output);
    void DrawMeasureLines(int output);
    void ShowStatistics();
    bool StatisticsShown() const;
    double ValueFactor() const;
    QString ValueUnit() const;
    FileDialogRequest FileRequest(FileDialogRequest::Mode mode) const;
    void RememberFolder(const QString& path);
    CTChart& ShownChart();

    Application& app_;
    std::unique_ptr<BufferingData> data_;      // the values shown
    std::unique_ptr<BufferingData> incoming_;  // the values a read brings
    std::unique_ptr<Ui::BufferingWnd> ui_;
    std::unique_ptr<QtWindowSink> sink_;
    QtMessageBoxHost boxes_;
    QtFileDialogHost files_;
    QTimer stateTimer_;
    QTimer progressTimer_;
    std::array<CTChart*, 2> charts_{};
    CTChart* bothChart_ = nullptr;
    std::array<QTableView*, 2> tables_{};
    std::array<BufferingTableModel*, 2> models_{};
    std::array<std::array<int, 4>, 2>
        lines_{};  // measure lines per chart: top, bottom, left, right
    BufferingInfoView* statisticsPage_ = nullptr;
    QPointer<CBufferingInfoForm> infoForm_;
    QPointer<CBufferingConfForm> confForm_;
    std::array<QString, 2> pointText_;
    BufferingValueSet status_;
    bool running_ = false;
    bool reading_ = false;
    bool stateRead_ = false;
    bool boxOpen_ = false;
    bool shutDown_ = false;
    bool fillingPage_ = false;
    int32_t lineState_ = 0;
    int32_t pageBank_ = 0;
    int64_t readTotal_ = 0;
    int64_t readDone_ = 0;
    int64_t readSerial_ = 0;  // number of the read last sent
};

}  // namespace zul
