// The host's file search path, folder ids and open-file dialog answer.
//
// Threads: the host's main thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kit::rt {

void add_search_path(const std::filesystem::path &dir);
void clear_search_path();
void set_dialog_answer(std::optional<std::filesystem::path> file);

/// The path id of a folder, naming it when new; 0 when the table is full.
short folder_id(const std::filesystem::path &folder);
/// The folder of a path id (empty for 0: no folder); false for an id that
/// names none.
bool folder_of(short id, std::filesystem::path &folder);
/// Copies `text` into a caller's buffer of `capacity` bytes; false when it
/// does not fit (nothing is written then).
bool copy_name(char *out, size_t capacity, const std::string &text);

} // namespace kit::rt
