// SPDX-License-Identifier: GPL-3.0-or-later
// A small strip chart of an output's most recent values (the last 600 by default: one minute
// at the default measurement cycle). Values beyond +-950 (the controller's out-of-range marks)
// leave a gap. The vertical scale follows the values shown.
#pragma once

#include <cstddef>
#include <vector>

#include <QWidget>

namespace zul::ui {

class CTrendStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr size_t kDefaultCapacity = 600;

    explicit CTrendStrip(QWidget* parent = nullptr, size_t capacity = kDefaultCapacity);

    void AddValue(double value);
    void Clear();
    size_t Count() const { return count_; }
    size_t Capacity() const { return values_.size(); }
    // Value i of those held, 0 the oldest.
    double ValueAt(size_t index) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<double> values_;  // ring buffer
    size_t next_ = 0;
    size_t count_ = 0;
};

}  // namespace zul::ui
