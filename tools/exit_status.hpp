// The exit statuses of the kit's tools (kithost, tovik-sim): scripts and the
// tests tell the outcomes apart by them, so every tool gives each the same
// number.
#pragma once

/// All went well.
inline constexpr int exit_ok = 0;
/// The run failed: a port that cannot be had, or (kithost --fail-on-error)
/// an error reported or work left pending.
inline constexpr int exit_run_failed = 1;
/// Bad usage or bad input: an option, a script line, a patcher file.
inline constexpr int exit_bad_input = 2;
