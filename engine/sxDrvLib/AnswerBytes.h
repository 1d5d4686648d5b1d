// Bounds-checked reading of drive answers. Every multi-byte field of an MMC
// answer is big-endian; a field that lies (partly) outside the answer reads 0,
// so a short or truncated answer can never be read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zelvane {

class AnswerBytes {
public:
    AnswerBytes() = default;
    explicit AnswerBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t size() const { return bytes_.size(); }
    bool holds(size_t offset, size_t count) const
    {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    uint8_t u8(size_t offset) const { return holds(offset, 1) ? bytes_[offset] : 0; }
    uint16_t be16(size_t offset) const
    {
        if (!holds(offset, 2))
            return 0;
        return static_cast<uint16_t>(bytes_[offset] << 8 | bytes_[offset + 1]);
    }
    uint32_t be24(size_t offset) const
    {
        if (!holds(offset, 3))
            return 0;
        return uint32_t(bytes_[offset]) << 16 | uint32_t(bytes_[offset + 1]) << 8 | bytes_[offset + 2];
    }
    uint32_t be32(size_t offset) const
    {
        if (!holds(offset, 4))
            return 0;
        return uint32_t(bytes_[offset]) << 24 | uint32_t(bytes_[offset + 1]) << 16 |
               uint32_t(bytes_[offset + 2]) << 8 | bytes_[offset + 3];
    }
    uint32_t le32(size_t offset) const
    {
        if (!holds(offset, 4))
            return 0;
        return uint32_t(bytes_[offset + 3]) << 24 | uint32_t(bytes_[offset + 2]) << 16 |
               uint32_t(bytes_[offset + 1]) << 8 | bytes_[offset];
    }

private:
    std::span<const uint8_t> bytes_;
};

// Writes a big-endian field into a command block or parameter list.
inline void PutBe16(uint8_t *at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}
inline void PutBe32(uint8_t *at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}

} // namespace zelvane
