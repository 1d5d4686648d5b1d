// Writes a laid-out project into an image file in the calling thread:
// the header, the boot image, then every new file in file-table order.
#pragma once

#include "sxISOLib/ImageLayout.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelvane {

class TDiscTree;

// Returns an empty text on success, otherwise the first failure, which ends
// the write and leaves no image file; so does a stop (`stopped` answering
// true), with "OPERATION ABORTED BY USER".
// A file that does not start at its laid-out sector is reported through
// `report` as ">>> INTERNAL ERROR 0004 path expected<>actual".
std::string writeImageDirect(const std::string &fileName, const std::vector<std::uint8_t> &header,
                             const TImageLayout &layout, const TDiscTree &tree, const std::string &bootImageFile,
                             const std::function<void(const std::string &)> &report,
                             const std::function<bool()> &stopped);

} // namespace zelvane
