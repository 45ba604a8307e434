#pragma once
// The older device windows: the converter, the Marlo and the TREKKA GPS windows.
#include "legacy/converter_window.h"
#include "legacy/legacy_window_base.h"
#include "legacy/marlo_window.h"
#include "legacy/trekka_window.h"
