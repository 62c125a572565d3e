// SPDX-License-Identifier: GPL-3.0-or-later
// QCustomPlot as the shared library Debian ships (its header needs to be told so before it is
// included).
#pragma once

#ifndef QCUSTOMPLOT_USE_LIBRARY
#define QCUSTOMPLOT_USE_LIBRARY
#endif
#include <qcustomplot.h>
