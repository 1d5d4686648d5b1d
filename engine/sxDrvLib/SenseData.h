// Sense data in the two forms drives send: fixed (response codes 70h/71h)
// and descriptor (72h/73h). The engine reads the fixed layout (key at byte 2,
// additional sense code and qualifier at bytes 12 and 13), so descriptor
// sense is turned into it as soon as a request completes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zelvane {

// Rewrites descriptor-format sense in place as fixed-format sense with the
// same key, code, qualifier, information, command-specific and sense-key
// specific fields (70h for current, 71h for deferred errors). Other sense
// data is left as it is. Every descriptor is bounds-checked against the area.
void NormalizeSense(std::span<std::uint8_t> sense);

} // namespace zelvane
