// SPDX-License-Identifier: GPL-3.0-or-later
// CNumericEdit: an edit for one integer or real number.
//
// Its kind, decimals and range come from its UI record (ApplyRecord, which the form base calls):
// Type 2 makes a real edit, any other type an integer edit; the decimals of a real edit are the
// most digits after the point among the record's Default, MinVal and MaxVal texts (SetDecimals
// overrides, e.g. for micron mode); the range is MinVal..MaxVal inclusive when MaxVal > MinVal,
// otherwise no range.
//
// The edit accepts any typing (so that a user can pass through intermediate texts), and says
// whether it holds a valid number: HoldsValidNumber() is false for an empty or non-numeric text
// (then callers leave the setting unchanged). A number outside the range is shown at once with
// a red frame and a tool tip naming the range, and IsInRange() is false.
#pragma once

#include <cstdint>
#include <optional>

#include <QLineEdit>

namespace zul {

struct UiControlRecord;

}  // namespace zul

namespace zul::ui {

class CNumericEdit : public QLineEdit {
    Q_OBJECT
public:
    enum class Kind { Integer, Real };

    explicit CNumericEdit(QWidget* parent = nullptr);

    void ApplyRecord(const UiControlRecord& record);

    void SetKind(Kind kind);
    Kind GetKind() const { return kind_; }
    // Digits after the point of a real edit (0..15).
    void SetDecimals(int decimals);
    int Decimals() const { return decimals_; }
    // Inclusive range; ClearRange accepts every number.
    void SetRange(double minimum, double maximum);
    void ClearRange();
    bool HasRange() const { return hasRange_; }
    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }

    // True when the whole text (blanks around it allowed) is a number of the edit's kind:
    // an integer edit takes an optional sign and digits, a real edit also a decimal point and
    // an exponent. The decimal point is "." whatever the locale.
    bool HoldsValidNumber() const;
    // True when the text holds a valid number inside the range (or there is no range).
    bool IsInRange() const;
    bool HoldsValidValue() const { return HoldsValidNumber() && IsInRange(); }

    // The number held, when valid (an integer edit's value is also given as a real).
    std::optional<int32_t> IntValue() const;
    std::optional<double> RealValue() const;

    // Shows the value: integers as "%d", reals with the edit's decimals.
    void SetIntValue(int32_t value);
    void SetRealValue(double value);

    // The tool tip from the record (the range note is added to it while out of range).
    void SetBaseToolTip(const QString& text);

signals:
    // The text moved in or out of the range (or validity); valid = HoldsValidValue().
    void validityChanged(bool valid);

private:
    void UpdateRangeMark();

    Kind kind_ = Kind::Integer;
    int decimals_ = 0;
    bool hasRange_ = false;
    double minimum_ = 0.0;
    double maximum_ = 0.0;
    QString baseToolTip_;
    bool markedValid_ = true;
    bool tipDirty_ = true;
};

}  // namespace zul::ui
