// Includes a layer above its own, which the layering check must refuse.
#pragma once
#include "app/Application.h"
