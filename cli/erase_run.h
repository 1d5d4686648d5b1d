// Erasing the disc in the selected drive from the command line: the checks
// of the wizard's erase page, the erase itself with its percentage on
// standard output, and the check that the disc is blank afterwards. Used by
// "erase" and by the burn commands' "--erase-first".
#pragma once

#include "program_usage.h"

#include "sxCDBC/SarnixBurner.h"

#include <optional>
#include <string>

namespace zelvane::cli {

inline constexpr int kExitNotReady = 4;
inline constexpr int kExitNotRewritable = 5;
inline constexpr int kExitEraseFailed = 6;
inline constexpr int kExitNotBlank = 7;

struct EraseRequest {
    bool quick = true;
    std::optional<double> speedMultiple; // e.g. 4 for 4x; the drive's maximum when absent
};

// "4", "4x", "2.4X": a positive speed multiple; nothing otherwise.
std::optional<double> ParseSpeedMultiple(const std::string &text);

// The statuses EraseDisc answers.
std::vector<usage::ExitStatus> eraseExits();

// Answers 0 when the disc is blank (or formatted and empty) after the
// erase, else prints why (prefixed with the command's name) and answers the
// exit code.
int EraseDisc(TSarnixBurner &burner, const EraseRequest &request, const std::string &command);

} // namespace zelvane::cli
