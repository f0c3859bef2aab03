// Reading a patcher file: the JSON document the visual host saves, with the
// place of a syntax fault given as a line and a column.
//
// Threads: any; nothing is shared.
#pragma once

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>

namespace kithost {

/// Why a patch could not be built: `where` is the file with a line and
/// column (malformed JSON) or the file alone, and the message names the
/// box, or the JSON path, at fault.
struct PatchError {
  std::string where;
  std::string message;
};

/// The JSON document in `text`; `name` stands for the file in errors.
/// Nullopt with `failure` set ("NAME:LINE:COLUMN", "malformed JSON: ...")
/// when the text is not JSON.
std::optional<nlohmann::json> parse_patch_text(const std::string &text, const std::string &name,
                                               PatchError &failure);

/// Reads and parses `file`. Nullopt with `failure` set when it cannot be
/// read ("no such patcher", "cannot open the patcher", "read error") or is
/// not JSON.
std::optional<nlohmann::json> read_patch_file(const std::filesystem::path &file,
                                              PatchError &failure);

/// True for the file names kithost runs as patchers (.maxpat, .maxhelp).
bool is_patcher_file(const std::filesystem::path &file);

} // namespace kithost
