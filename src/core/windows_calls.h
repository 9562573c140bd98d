#pragma once

// The file calls as Windows makes them (system_calls.cpp's table there).
// Built on Windows only.

#include "system_calls.h"

namespace scp::windows {

SystemCalls realCalls();

// FormatMessage's text for an error carried as kWindowsError + code.
QString reason(int error);

// Whether `path` and the open `fd` are one file: the volume and the file
// index, what Windows has for a device and an inode. False with errno.
bool sameFile(const QByteArray& path, int fd);

} // namespace scp::windows
