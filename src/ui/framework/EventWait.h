// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting on the GUI thread for something the event loop brings (a request handled, a cycle
// come back) without a sleep: the events run while the wait lasts, and the wait is bounded.
// For pictures, benchmarks and tests; a window never waits this way on the request path.
#pragma once

#include <functional>

namespace zul::ui {

// Runs the event loop until done() holds (true) or limitMs have passed (false). done() is
// asked after every batch of events and at least every 50 ms.
bool RunEventsUntil(const std::function<bool()>& done, int limitMs);

}  // namespace zul::ui
