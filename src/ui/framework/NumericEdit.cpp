// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/NumericEdit.h"

#include <algorithm>
#include <cmath>

#include <QLocale>
#include <QRegularExpression>

#include "settings/UiControlRecord.h"

namespace zul::ui {

namespace {

// Digits after the decimal point written in a number text ("0.125" -> 3, "5" -> 0).
int FractionDigits(const std::string& text) {
    const size_t point = text.find('.');
    if (point == std::string::npos) {
        return 0;
    }
    int digits = 0;
    for (size_t i = point + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        ++digits;
    }
    return digits;
}

QString FormatLimit(double value, CNumericEdit::Kind kind, int decimals) {
    if (kind == CNumericEdit::Kind::Integer) {
        return QString::number(static_cast<qlonglong>(std::llround(value)));
    }
    return QString::number(value, 'f', decimals);
}

}  // namespace

CNumericEdit::CNumericEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { UpdateRangeMark(); });
}

void CNumericEdit::ApplyRecord(const UiControlRecord& record) {
    if (record.type == kUiTypeReal) {
        SetKind(Kind::Real);
        SetDecimals(
            std::max({FractionDigits(record.defaultValue.text),
                      FractionDigits(record.minValue.text), FractionDigits(record.maxValue.text)}));
    } else {
        SetKind(Kind::Integer);
    }
    if (record.maxValue.real > record.minValue.real) {
        SetRange(record.minValue.real, record.maxValue.real);
    } else {
        ClearRange();
    }
    SetBaseToolTip(QString::fromUtf8(record.tooltip.data(), qsizetype(record.tooltip.size())));
}

void CNumericEdit::SetKind(Kind kind) {
    kind_ = kind;
    UpdateRangeMark();
}

void CNumericEdit::SetDecimals(int decimals) {
    decimals_ = std::clamp(decimals, 0, 15);
    UpdateRangeMark();
}

void CNumericEdit::SetRange(double minimum, double maximum) {
    hasRange_ = true;
    minimum_ = std::min(minimum, maximum);
    maximum_ = std::max(minimum, maximum);
    UpdateRangeMark();
}

void CNumericEdit::ClearRange() {
    hasRange_ = false;
    UpdateRangeMark();
}

bool CNumericEdit::HoldsValidNumber() const {
    return RealValue().has_value();
}

bool CNumericEdit::IsInRange() const {
    const std::optional<double> value = RealValue();
    if (!value) {
        return false;
    }
    return !hasRange_ || (*value >= minimum_ && *value <= maximum_);
}

std::optional<int32_t> CNumericEdit::IntValue() const {
    if (kind_ == Kind::Integer) {
        static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
        const QString trimmed = text().trimmed();
        if (!integer.match(trimmed).hasMatch()) {
            return std::nullopt;
        }
        bool ok = false;
        const qlonglong value = trimmed.toLongLong(&ok);
        if (!ok || value < INT32_MIN || value > INT32_MAX) {
            return std::nullopt;
        }
        return int32_t(value);
    }
    const std::optional<double> value = RealValue();
    if (!value || *value < double(INT32_MIN) || *value > double(INT32_MAX)) {
        return std::nullopt;
    }
    return int32_t(std::trunc(*value));
}

std::optional<double> CNumericEdit::RealValue() const {
    if (kind_ == Kind::Integer) {
        const std::optional<int32_t> value = IntValue();
        return value ? std::optional<double>(double(*value)) : std::nullopt;
    }
    static const QRegularExpression real(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    const QString trimmed = text().trimmed();
    if (!real.match(trimmed).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

void CNumericEdit::SetIntValue(int32_t value) {
    setText(QString::number(value));
}

void CNumericEdit::SetRealValue(double value) {
    if (kind_ == Kind::Integer) {
        setText(QString::number(static_cast<qlonglong>(std::llround(value))));
    } else {
        setText(QString::number(value, 'f', decimals_));
    }
}

void CNumericEdit::SetBaseToolTip(const QString& text) {
    baseToolTip_ = text;
    tipDirty_ = true;
    UpdateRangeMark();
}

void CNumericEdit::UpdateRangeMark() {
    // Only a number outside the range is marked; an empty or half-typed text is not, since it
    // is what every edit goes through while the user types.
    const bool outOfRange = HoldsValidNumber() && !IsInRange();
    const bool valid = HoldsValidValue();
    const bool wasMarked = property("outOfRange").toBool();
    if (outOfRange != wasMarked || tipDirty_) {
        tipDirty_ = false;
        setProperty("outOfRange", outOfRange);
        setStyleSheet(outOfRange ? QStringLiteral("QLineEdit { border: 2px solid #d00000; }")
                                 : QString());
        QString tip = baseToolTip_;
        if (outOfRange) {
            const QString range = QStringLiteral("[%1 … %2]")
                                      .arg(FormatLimit(minimum_, kind_, decimals_),
                                           FormatLimit(maximum_, kind_, decimals_));
            tip = tip.isEmpty() ? range : tip + QLatin1Char('\n') + range;
        }
        setToolTip(tip);
    }
    if (markedValid_ != valid) {
        markedValid_ = valid;
        emit validityChanged(valid);
    }
}

}  // namespace zul::ui
