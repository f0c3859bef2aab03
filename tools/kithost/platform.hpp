// The few things kithost asks of the operating system, one small function
// each, implemented per platform under posix/ and win32/.
#pragma once

#include <filesystem>

namespace kithost {

/// The running executable's own file, or an empty path when unknown.
std::filesystem::path executable_path();

/// True when standard input is an interactive terminal.
bool stdin_is_terminal();

} // namespace kithost
