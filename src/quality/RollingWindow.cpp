// SPDX-License-Identifier: GPL-3.0-or-later
#include "quality/RollingWindow.h"

#include <algorithm>

namespace zul {

RollingWindow::RollingWindow(size_t capacity)
    : capacity_(std::max<size_t>(capacity, 1)), ring_(2 * capacity_, 0.0) {}

void RollingWindow::Push(double value) {
    size_t position = 0;
    if (size_ < capacity_) {
        position = head_ + size_;
        ++size_;
    } else {
        position = head_;
        head_ = (head_ + 1) % capacity_;
    }
    position %= capacity_;
    ring_[position] = value;
    ring_[position + capacity_] = value;
    ++pushed_;
}

void RollingWindow::Clear() {
    head_ = 0;
    size_ = 0;
    pushed_ = 0;
}

}  // namespace zul
