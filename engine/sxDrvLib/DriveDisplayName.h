// The name under which the wizard shows a drive list line.
#pragma once

#include <string>

namespace zelvane {

// Collapses every run of characters 00h..20h into one blank, trims both
// ends and drops the address prefix ("a:t:l,"), so that what remains is the
// drive name followed by vendor, product and revision.
std::string DriveDisplayName(const std::string &driveListLine);

} // namespace zelvane
