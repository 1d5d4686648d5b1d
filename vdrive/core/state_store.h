// The drive's folder: the state file (replaced atomically), the disc image
// (a sparse file of 2048-byte sectors) and the lock file that serialises the
// processes driving the same drive.
#pragma once

#include "core/drive_state.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace zelvane::vdrive {

inline constexpr uint32_t kSectorSize = 2048;

class StateStore {
public:
    explicit StateStore(std::filesystem::path folder);

    // ZELVANE_VDRIVE_DIR, else $XDG_DATA_HOME/zelvane/vdrive, else ~/.local/share/zelvane/vdrive.
    static std::filesystem::path defaultFolder();

    // Exclusive lock on the drive for the lifetime of the object.
    class Lock {
    public:
        explicit Lock(const std::filesystem::path &lockFile);
        ~Lock();
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        int fd_ = -1;
    };

    Lock lock() const;
    DriveState load() const;            // a fresh drive when no state file exists
    void save(const DriveState &state) const;

    // Disc image access; blocks never written read as zeros.
    void readBlocks(uint32_t lba, std::span<uint8_t> out) const;
    void writeBlocks(uint32_t lba, std::span<const uint8_t> in) const;
    void clearImage() const;
    // Copies a file into the image; returns its size in blocks (rounded up).
    uint32_t importImage(const std::filesystem::path &source) const;
    void exportBlocks(const std::filesystem::path &target, uint32_t first, uint32_t count) const;

    const std::filesystem::path &folder() const { return folder_; }
    std::filesystem::path imagePath() const { return folder_ / "disc.img"; }

private:
    std::filesystem::path folder_;
};

} // namespace zelvane::vdrive
