// What the guest's Linux kernel reports about a CD/DVD drive and its disc:
// the disc size of the block device, the drive's abilities in the cdrom
// driver's info table, and the disc status and last session the driver reads.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

struct KernelView {
    std::optional<uint64_t> blocks;         // /sys/block/srN/size, in 2048-byte blocks
    std::map<std::string, int> abilities;   // "Can read DVD" -> 1, ... (/proc/sys/dev/cdrom/info)
    std::optional<int> discStatus;          // CDROM_DISC_STATUS (CDS_DATA_1 for a data CD)
    std::optional<uint32_t> lastSessionLba; // CDROMMULTISESSION
    bool multisession = false;              // CDROMMULTISESSION: more than one session
};

// name: "sr0".
KernelView ReadKernelView(const std::string &name);
