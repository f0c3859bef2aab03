// The host's file search path, folder ids and open-file dialog answer.
//
// Threads: the host's main thread.
#pragma once

#include <filesystem>
#include <optional>

namespace kit::rt {

void add_search_path(const std::filesystem::path &dir);
void clear_search_path();
void set_dialog_answer(std::optional<std::filesystem::path> file);

} // namespace kit::rt
