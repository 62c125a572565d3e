// SPDX-License-Identifier: GPL-3.0-or-later
// Includes a layer above its own, which the layering check must refuse.
#pragma once
#include "app/Application.h"
