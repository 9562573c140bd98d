#pragma once

// The file calls as Windows makes them (system_calls.cpp's table there).
// Built on Windows only.

#include "files/system_calls.h"

namespace scp::windows {

SystemCalls realCalls();

// FormatMessage's text for an error carried as kWindowsError + code.
QString reason(int error);

} // namespace scp::windows
