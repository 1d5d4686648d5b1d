// Streams with 64-bit positions and sizes over operating-system file handles.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zelvane {

// Origins of Seek.
inline constexpr std::uint16_t soFromBeginning = 0;
inline constexpr std::uint16_t soFromCurrent = 1;
inline constexpr std::uint16_t soFromEnd = 2;

// Modes of TFileStreamEx.
inline constexpr std::uint16_t fmCreate = 0xFFFF;
inline constexpr std::uint16_t fmOpenReadShared = 0x40;

// Raised when a file cannot be opened or created, or its size cannot be set.
class StreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TStreamEx {
public:
    virtual ~TStreamEx() = default;
    virtual void SetSize(std::int64_t /*NewSize*/) {}
    virtual std::int32_t Read(void *Buffer, std::int32_t Count) = 0;
    virtual std::int32_t Write(const void *Buffer, std::int32_t Count) = 0;
    virtual std::int64_t Seek(std::int64_t Offset, std::uint16_t Origin) = 0;

    std::int64_t GetSize();
};

class THandleStreamEx : public TStreamEx {
public:
    explicit THandleStreamEx(int handle) : Handle(handle) {}

    std::int32_t Read(void *Buffer, std::int32_t Count) override;
    std::int32_t Write(const void *Buffer, std::int32_t Count) override;
    std::int64_t Seek(std::int64_t Offset, std::uint16_t Origin) override;
    void SetSize(std::int64_t NewSize) override;

    // Reads until Count bytes are read or the file ends; returns the count.
    std::int64_t ReadFully(void *Buffer, std::int64_t Count);
    // Writes all Count bytes; false when the system refuses any of them.
    bool WriteFully(const void *Buffer, std::int64_t Count);

    int Handle;
};

class TFileStreamEx : public THandleStreamEx {
public:
    // fmCreate creates (or truncates) the file; any other mode opens an
    // existing file for reading. Throws StreamError when that fails.
    TFileStreamEx(const std::string &FileName, std::uint16_t Mode);
    ~TFileStreamEx() override;
    TFileStreamEx(const TFileStreamEx &) = delete;
    TFileStreamEx &operator=(const TFileStreamEx &) = delete;
};

} // namespace zelvane
