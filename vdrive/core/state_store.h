// The drive's folder: the state file (replaced atomically), the disc image
// (a sparse file of 2048-byte sectors) and the lock file that serialises the
// processes driving the same drive.
//
// A process keeps its open files of a folder and the state it last read or
// saved between commands, and reads the state file again only when it was
// replaced. How far the open track (or an overwritable disc) is recorded is
// also told by the size of the disc image, which only writes make grow and
// erasing empties: the state that loading yields includes it, so a write
// whose only change is that need not replace the state file.
#pragma once

#include "core/drive_state.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace zelvane::vdrive {

inline constexpr uint32_t kSectorSize = 2048;

class StateStore {
public:
    explicit StateStore(std::filesystem::path folder);

    // ZELVANE_VDRIVE_DIR, else $XDG_DATA_HOME/zelvane/vdrive, else ~/.local/share/zelvane/vdrive.
    static std::filesystem::path defaultFolder();

    // Exclusive lock on the drive for the lifetime of the object.
    // The threads of one process take turns as the processes do.
    class Lock {
    public:
        explicit Lock(const std::filesystem::path &folder);
        ~Lock();
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        struct Held;
        std::unique_ptr<Held> held_;
    };

    Lock lock() const;
    // The saved state as the file holds it; a fresh drive when there is none.
    DriveState loadSaved() const;
    // The saved state brought up to what the disc image holds.
    DriveState load() const;
    void save(const DriveState &state) const;
    // Brings the recorded extent of the disc up to the image's size in blocks.
    static void includeImage(DriveState &state, uint32_t imageBlocks);
    uint32_t imageBlocks() const;

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
