// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering window's views: the pages that show the values and their statistics beside
// the graphs (AddViews is where a view is added), the statistics and the measure-line and
// information forms, and the panels' parts that tests and pictures reach through the window.
#include <algorithm>
#include <mutex>

#include <QTabWidget>
#include <QVBoxLayout>

#include "app/Application.h"
#include "buffering/BufferingStatistics.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingGraphPanel.h"
#include "ui/buffering/BufferingStatisticsView.h"
#include "ui/buffering/BufferingTexts.h"
#include "ui/buffering/BufferingView.h"
#include "ui/buffering/BufferingWnd.h"
#include "ui/buffering/CapabilityPanel.h"
#include "ui/buffering/CapabilityView.h"
#include "ui/framework/QtText.h"
#include "ui_BufferingWnd.h"

namespace zul::ui {

// The pages after the graphs and the settings page, in tab order. A new view is one line here:
//     AddView(new MyView(app_), "pageMyView", "Buffering_TabMyView");
// (the tab's title comes from the tab control's list while it has one for the page, else from
// the record named last; the window then hands the view its texts and the values shown).
void CBufferingWnd::AddViews() {
    auto* statistics = new CBufferingStatisticsView;
    AddView(statistics, "pageStatistics");
    for (int o = 0; o < 2; ++o) {
        capability_[size_t(o)] = new CCapabilityView(app_.Ui(), app_.Store(), o);
        AddView(capability_[size_t(o)], o == 0 ? "pageCapability1" : "pageCapability2",
                o == 0 ? "Buffering_TabCapability1" : "Buffering_TabCapability2");
        // The statistics page shows the main figures of both beside the statistics.
        const CCapabilityPanel& panel = capability_[size_t(o)]->Panel();
        connect(&panel, &CCapabilityPanel::figuresChanged, statistics,
                [statistics, &panel] { statistics->ShowCapability(panel); });
        statistics->ShowCapability(panel);
    }
}

CCapabilityPanel& CBufferingWnd::Capability(int output) const {
    return capability_[size_t(output)]->Panel();
}

// The page takes view->Widget() (and with it the view, which is that widget or owned by it).
void CBufferingWnd::AddView(BufferingView* view, const char* pageName, const char* titleRecord) {
    auto* page = new QWidget;
    page->setObjectName(pageName);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(view->Widget());
    ui_->tabPages->addTab(page, QString());
    views_.push_back({page, titleRecord, view});
}

// Tab titles from the tab control's list; a view's page beyond the list takes the caption of
// its own record; missing titles are empty.
void CBufferingWnd::ApplyTabTitles() {
    const UiDefinition& ui = app_.Ui();
    const QStringList titles = RecordCaptions(ui, "Buffering_TabPages");
    for (int i = 0; i < ui_->tabPages->count(); ++i) {
        QString title = i < titles.size() ? titles[i] : QString();
        for (const ViewPage& shown : views_) {
            const UiControlRecord* record =
                shown.titleRecord != nullptr ? ui.FindByName(shown.titleRecord) : nullptr;
            if (i >= titles.size() && shown.page == ui_->tabPages->widget(i) && record) {
                title = CaptionText(record->caption);
            }
        }
        ui_->tabPages->setTabText(i, title);
    }
}

void CBufferingWnd::RedrawAll() {
    graphs_->Redraw();
    if (ViewsShown()) {
        ComputeStatistics();
    }
}

void CBufferingWnd::ApplyMeasureLines() {
    for (int o = 0; o < 2; ++o) {
        const MeasureLines lines = LoadMeasureLines(app_.Store(), o);
        {
            std::lock_guard lock(data_->mutex);
            OutputDisplay& d = data_->outputs[size_t(o)].display;
            d.verticalOn = lines.verticalOn ? 1 : 0;
            d.verticalTop = lines.verticalTop;
            d.verticalBottom = lines.verticalBottom;
            d.horizontalOn = lines.horizontalOn ? 1 : 0;
            d.horizontalLeft = lines.horizontalLeft;
            d.horizontalRight = lines.horizontalRight;
        }
        graphs_->DrawMeasureLines(o);
    }
    if (ViewsShown()) {
        ComputeStatistics();
    }
}

void CBufferingWnd::MoveMeasureLine(int output, int line, double position) {
    graphs_->MoveMeasureLine(output, line, position);
}

// The statistics are computed while someone looks at them: the information form or the page
// of a view.
bool CBufferingWnd::ViewsShown() const {
    if (infoForm_ != nullptr) {
        return true;
    }
    const QWidget* current = ui_->tabPages->currentWidget();
    return std::any_of(views_.begin(), views_.end(),
                       [current](const ViewPage& shown) { return shown.page == current; });
}

void CBufferingWnd::ComputeStatistics() {
    ComputeBufferingStatistics(*data_, status_);
    ShowStatistics();
}

void CBufferingWnd::ShowStatistics() {
    for (const ViewPage& shown : views_) {
        shown.view->ShowValues(*data_, app_.Micron());
    }
    if (infoForm_ != nullptr) {
        std::array<OutputStatistics, 2> statistics;
        {
            std::lock_guard lock(data_->mutex);
            statistics = {data_->outputs[0].statistics, data_->outputs[1].statistics};
        }
        infoForm_->Show(statistics, app_.Micron());
    }
}

CBufferingConfForm* CBufferingWnd::OpenMeasureLines() {
    if (confForm_ == nullptr) {
        confForm_ = new CBufferingConfForm(Context(), this, this);
        confForm_->setWindowFlag(Qt::Window);
        confForm_->setAttribute(Qt::WA_DeleteOnClose);
        connect(confForm_, &CBufferingConfForm::linesChanged, this,
                &CBufferingWnd::ApplyMeasureLines);
    }
    confForm_->show();
    confForm_->raise();
    return confForm_;
}

CBufferingInfoForm* CBufferingWnd::OpenInformation() {
    if (infoForm_ == nullptr) {
        infoForm_ = new CBufferingInfoForm(Context(), this, this);
        infoForm_->setWindowFlag(Qt::Window);
        infoForm_->setAttribute(Qt::WA_DeleteOnClose);
    }
    infoForm_->show();
    infoForm_->raise();
    ComputeStatistics();
    return infoForm_;
}

// ---------------------------------------------------------------------------------------------
// The panels' parts

CTChart& CBufferingWnd::Chart(int output) {
    return graphs_->Chart(output);
}

CTChart& CBufferingWnd::BothChart() {
    return graphs_->BothChart();
}

QTableView& CBufferingWnd::Table(int output) {
    return graphs_->Table(output);
}

CBufferingTableModel& CBufferingWnd::TableModel(int output) {
    return graphs_->TableModel(output);
}

QString CBufferingWnd::SelectedPointText(int output) const {
    return graphs_->SelectedPointText(output);
}

int CBufferingWnd::MeasureLineOf(int output, int which) const {
    return graphs_->MeasureLineOf(output, which);
}

}  // namespace zul::ui
