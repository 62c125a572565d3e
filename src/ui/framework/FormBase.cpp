// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/FormBase.h"

#include <algorithm>
#include <array>
#include <unordered_set>

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/UiApplier.h"

namespace zul::ui {

namespace {

// Every open form, in creation order (GUI thread only).
std::vector<FormBase*>& Registry() {
    static std::vector<FormBase*> forms;
    return forms;
}

// How many DisableAllWindows calls are not yet matched by EnableAllWindows.
int32_t g_allDisabled = 0;

// Room between a window and the one it is placed beside, and the step from one cascaded
// window to the next (about the height of a title bar).
constexpr int kPlacementGap = 8;
constexpr int kCascadeStep = 28;

// The top-left position nearest to position that keeps a window of this size inside area: the
// whole window where it fits; a window larger than the area keeps its top-left (the title bar)
// in the first quarter of it, so that cascaded windows still stand apart.
QPoint KeptInside(const QPoint& position, const QSize& size, const QRect& area) {
    auto room = [](int extent, int length) {
        return length <= extent ? extent - length : extent / 4;
    };
    const int maxX = area.left() + room(area.width(), size.width());
    const int maxY = area.top() + room(area.height(), size.height());
    return {std::clamp(position.x(), area.left(), maxX),
            std::clamp(position.y(), area.top(), maxY)};
}

// The screen nearest to a point that lies on none.
QScreen* NearestScreen(const QPoint& point) {
    QScreen* nearest = QGuiApplication::primaryScreen();
    int64_t best = -1;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        const int64_t dx = point.x() < area.left()    ? area.left() - point.x()
                           : point.x() > area.right() ? point.x() - area.right()
                                                      : 0;
        const int64_t dy = point.y() < area.top()      ? area.top() - point.y()
                           : point.y() > area.bottom() ? point.y() - area.bottom()
                                                       : 0;
        const int64_t distance = dx * dx + dy * dy;
        if (best < 0 || distance < best) {
            best = distance;
            nearest = screen;
        }
    }
    return nearest;
}

}  // namespace

// Restores the position when the form is first shown and stores it when it is closed.
class FormBase::EventWatcher : public QObject {
public:
    explicit EventWatcher(FormBase& form) : form_(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == form_.widget_) {
            if (event->type() == QEvent::Show && !form_.positionRestored_) {
                form_.RestorePosition();
            } else if (event->type() == QEvent::Close && form_.positionRestored_) {
                form_.StorePosition();
            } else if (event->type() == QEvent::Hide && !event->spontaneous() &&
                       form_.positionRestored_) {
                // A dialog ended with OK or Cancel is hidden without a close event; a window
                // minimised is hidden spontaneously and keeps its position.
                form_.StorePosition();
            }
        }
        return false;
    }

private:
    FormBase& form_;
};

FormBase::FormBase(QWidget* widget, const FormContext& context, FormBase* parentForm)
    : widget_(widget), context_(context), parentForm_(parentForm) {
    if (parentForm_ != nullptr) {
        parentForm_->children_.push_back(this);
        disableCount_ = parentForm_->disableCount_;
        lockCount_ = parentForm_->lockCount_;
    } else {
        disableCount_ = g_allDisabled;
    }
    Registry().push_back(this);
    watcher_ = std::make_unique<EventWatcher>(*this);
    widget_->installEventFilter(watcher_.get());
    if (disableCount_ > 0) {
        widget_->setEnabled(false);
    }
}

FormBase::~FormBase() {
    if (positionRestored_ && !positionStored_) {
        StorePosition();
    }
    widget_->removeEventFilter(watcher_.get());
    for (FormBase* child : children_) {
        child->parentForm_ = nullptr;
    }
    if (parentForm_ != nullptr) {
        auto& siblings = parentForm_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    auto& forms = Registry();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

void FormBase::ApplyUiDefinition() {
    if (context_.ui == nullptr) {
        return;
    }
    const UiDefinition& ui = *context_.ui;
    if (const UiControlRecord* own = RecordOf(ui, widget_)) {
        ApplyRecord(ui, *own, widget_);
        // A form that a command or a box holds disabled stays disabled: the record may enable
        // the window, but the hold count decides while it is above zero.
        if (disableCount_ > 0) {
            widget_->setEnabled(false);
        }
    }
    // Widgets inside another form (a tab page) are that form's to apply, with its own rules.
    std::unordered_set<const QObject*> otherForms;
    for (const FormBase* form : Registry()) {
        if (form != this) {
            otherForms.insert(form->widget_);
        }
    }
    auto insideOtherForm = [&](const QObject* object) {
        for (const QObject* up = object; up != nullptr && up != widget_; up = up->parent()) {
            if (otherForms.count(up) != 0) {
                return true;
            }
        }
        return false;
    };
    for (QObject* object : widget_->findChildren<QObject*>()) {
        if (insideOtherForm(object)) {
            continue;
        }
        if (const UiControlRecord* record = RecordOf(ui, object)) {
            ApplyRecord(ui, *record, object);
        }
    }
    ApplyAccessibleNames(widget_);
    OnUiDefinitionApplied();
}

bool FormBase::FillChoiceList(int32_t ctrlId, QComboBox* box, int32_t wanted,
                              bool withBankAliases) {
    if (context_.ui == nullptr) {
        return false;
    }
    if (!withBankAliases || context_.store == nullptr) {
        return zul::ui::FillChoiceList(*context_.ui, ctrlId, box, wanted);
    }
    std::array<std::string, 16> aliases;
    for (int32_t bank = 0; bank < 16; ++bank) {
        aliases[size_t(bank)] = context_.store->GetText(kSoftMemAlias, bank);
    }
    return zul::ui::FillChoiceList(*context_.ui, ctrlId, box, wanted, &aliases);
}

void FormBase::SetWidgetEnabledFromCount() {
    widget_->setEnabled(disableCount_ == 0);
}

void FormBase::ClearInheritedHolds() {
    const bool before = IsFormEnabled();
    disableCount_ = 0;
    SetWidgetEnabledFromCount();
    if (!before) {
        OnEnableForm(true);
    }
}

void FormBase::EnableForm(bool enable) {
    const bool before = IsFormEnabled();
    if (!enable) {
        ++disableCount_;
    } else if (disableCount_ > 0) {
        --disableCount_;
    }
    SetWidgetEnabledFromCount();
    if (before != IsFormEnabled()) {
        OnEnableForm(IsFormEnabled());
    }
    const std::vector<FormBase*> children = children_;
    for (FormBase* child : children) {
        child->EnableForm(enable);
    }
}

void FormBase::LockPolling(bool lock) {
    const bool before = IsPollingLocked();
    if (lock) {
        ++lockCount_;
    } else if (lockCount_ > 0) {
        --lockCount_;
    }
    if (before != IsPollingLocked()) {
        OnPollingLockChanged(IsPollingLocked());
    }
    const std::vector<FormBase*> children = children_;
    for (FormBase* child : children) {
        child->LockPolling(lock);
    }
}

void FormBase::LineStateChanged(int32_t lineState) {
    OnLineStateChanged(lineState);
    const std::vector<FormBase*> children = children_;
    for (FormBase* child : children) {
        child->LineStateChanged(lineState);
    }
}

void FormBase::MemoryBankChanged(int32_t oldBank, int32_t newBank) {
    OnMemoryBankChanged(oldBank, newBank);
    const std::vector<FormBase*> children = children_;
    for (FormBase* child : children) {
        child->MemoryBankChanged(oldBank, newBank);
    }
}

void FormBase::TakeControlValues() {
    OnTakeControlValues();
    const std::vector<FormBase*> children = children_;
    for (FormBase* child : children) {
        child->TakeControlValues();
    }
}

void FormBase::SetPositionItems(const FormPositionItems& items) {
    positionItems_ = items;
}

void FormBase::RestorePosition() {
    positionRestored_ = true;
    positionStored_ = false;
    SettingsStore* store = context_.store;
    if (store == nullptr) {
        return;
    }
    const FormPositionItems& items = positionItems_;
    if (items.width != 0 && items.height != 0) {
        const int width = store->GetInt(items.width);
        const int height = store->GetInt(items.height);
        if (width > 0 && height > 0) {
            widget_->resize(width, height);
        }
    }
    if (items.top != 0 && items.left != 0) {
        const QPoint position(store->GetInt(items.left), store->GetInt(items.top));
        if (position.isNull()) {
            // Both items at their default: the window was never placed by the user.
            PlaceUnpositioned();
        } else if (QGuiApplication::screenAt(position) != nullptr) {
            widget_->move(position);
        } else {
            // Off every screen (a monitor removed since): onto the nearest one, whole if it fits.
            const QScreen* screen = NearestScreen(position);
            widget_->move(screen != nullptr ? KeptInside(position, widget_->frameGeometry().size(),
                                                         screen->availableGeometry())
                                            : QPoint());
        }
    }
    if (items.max != 0 && store->GetInt(items.max) != 0) {
        widget_->setWindowState(widget_->windowState() | Qt::WindowMaximized);
    }
    if (items.mode != 0) {
        RestoreFormMode(store->GetInt(items.mode));
    }
}

QWidget* FormBase::PlacementAnchor() const {
    for (const FormBase* form = parentForm_; form != nullptr; form = form->parentForm_) {
        QWidget* window = form->widget_->window();
        if (window != widget_ && window->isVisible()) {
            return window;
        }
    }
    QWidget* parent = widget_->parentWidget();
    QWidget* window = parent != nullptr ? parent->window() : nullptr;
    return window != nullptr && window->isVisible() ? window : nullptr;
}

void FormBase::PlaceUnpositioned() {
    // A modal dialog is centred over its parent by Qt; the main window is left to the window
    // manager. A window opened from another one goes beside it on the same screen, else
    // cascaded from it, and never onto a spot another open window of the program takes.
    QWidget* anchor = PlacementAnchor();
    if (anchor == nullptr || widget_->isModal()) {
        return;
    }
    const QScreen* screen = anchor->screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QRect beside = anchor->frameGeometry();
    const QSize size = widget_->frameGeometry().size();
    QPoint candidate;
    if (beside.right() + kPlacementGap + size.width() <= area.right()) {
        candidate = QPoint(beside.right() + 1 + kPlacementGap, beside.top());
    } else if (beside.left() - kPlacementGap - size.width() >= area.left()) {
        candidate = QPoint(beside.left() - kPlacementGap - size.width(), beside.top());
    } else {
        candidate = beside.topLeft() + QPoint(kCascadeStep, kCascadeStep);
    }
    auto taken = [this](const QPoint& spot) {
        for (const FormBase* form : Registry()) {
            const QWidget* other = form->widget_;
            if (other != widget_ && other->isWindow() && other->isVisible() &&
                (other->frameGeometry().topLeft() - spot).manhattanLength() < kCascadeStep / 2) {
                return true;
            }
        }
        return false;
    };
    QPoint placed = KeptInside(candidate, size, area);
    for (size_t step = 0; step < Registry().size() && taken(placed); ++step) {
        candidate += QPoint(kCascadeStep, kCascadeStep);
        placed = KeptInside(candidate, size, area);
    }
    widget_->move(placed);
}

void FormBase::StorePosition() {
    positionStored_ = true;
    positionRestored_ = false;  // a form shown again restores again
    SettingsStore* store = context_.store;
    if (store == nullptr) {
        return;
    }
    const FormPositionItems& items = positionItems_;
    const bool maximized = widget_->isMaximized();
    const QRect normal = maximized ? widget_->normalGeometry() : widget_->geometry();
    const QPoint position = maximized ? normal.topLeft() : widget_->pos();
    if (items.top != 0) {
        store->SetInt(items.top, position.y());
    }
    if (items.left != 0) {
        store->SetInt(items.left, position.x());
    }
    if (items.width != 0) {
        store->SetInt(items.width, normal.width());
    }
    if (items.height != 0) {
        store->SetInt(items.height, normal.height());
    }
    if (items.max != 0) {
        store->SetInt(items.max, maximized ? 1 : 0);
    }
    if (items.mode != 0) {
        if (const std::optional<int32_t> mode = FormModeToStore()) {
            store->SetInt(items.mode, *mode);
        }
    }
}

void FormBase::DisableAllWindows() {
    ++g_allDisabled;
    ForEachForm([](FormBase& form) {
        if (form.parentForm_ == nullptr) {
            form.EnableForm(false);
        }
    });
}

void FormBase::EnableAllWindows() {
    if (g_allDisabled == 0) {
        return;
    }
    --g_allDisabled;
    ForEachForm([](FormBase& form) {
        if (form.parentForm_ == nullptr) {
            form.EnableForm(true);
        }
    });
}

void FormBase::ReapplyAllForms() {
    ForEachForm([](FormBase& form) { form.ApplyUiDefinition(); });
}

void FormBase::ForEachForm(const std::function<void(FormBase&)>& visit) {
    const std::vector<FormBase*> forms = Registry();
    for (FormBase* form : forms) {
        // A form destroyed by an earlier visit is skipped.
        auto& now = Registry();
        if (std::find(now.begin(), now.end(), form) != now.end()) {
            visit(*form);
        }
    }
}

}  // namespace zul::ui
