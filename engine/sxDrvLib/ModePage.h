// Finding a mode page inside a MODE SENSE (10) answer. Drives differ in what
// precedes the page: the 8-byte mode parameter header alone, the header with an
// 8-byte block descriptor, or (rarely) a header one byte short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zelvane {

// Offset of the page `pageCode` in `answer`, trying the offset the header's
// block descriptor length gives first, then bytes 16, 8 and 7. The parameters
// saveable bit (80h) of the page byte is ignored. Empty when none holds it.
std::optional<size_t> FindModePage(std::span<const uint8_t> answer, uint8_t pageCode);

// The page's offset as above, or 8 when no candidate holds the page code.
size_t ModePageOffset(std::span<const uint8_t> answer, uint8_t pageCode);

// Moves the page found by ModePageOffset to the start of `answer` (the tail is
// zero-filled) and answers its offset in the original answer.
size_t MoveModePageToStart(std::span<uint8_t> answer, uint8_t pageCode);

} // namespace zelvane
