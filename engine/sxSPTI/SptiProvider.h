// The built-in pass-through provider ("SXASPI32"): answers the request
// interface by sending SCSI commands with SG_IO to the CD/DVD block devices
// /dev/sr0 .. /dev/sr24. The 25 slots stand for the drive-letter slots C..Z.
//
// Linux host numbers can be large, but drive ids are parsed as single
// digits, so each drive gets a compact address: adapter = ordinal of its
// host among the hosts of the drives found, target = ordinal of its
// (channel, id) on that host, lun as the kernel reports it.
//
// The drive table is process-wide and unguarded, like the transport state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zelvane::spti {

inline constexpr int kSlotCount = 25;          // /dev/sr0 .. /dev/sr24
inline constexpr int kFirstLetterIndex = 2;    // slot 0 stands for "C"
inline constexpr uint8_t kNotADriveTarget = 120;
inline constexpr uint8_t kNoAddressLun = 250;
inline constexpr std::size_t kCachedInquiryBytes = 40;
inline constexpr std::size_t kInquiryAnswerBytes = 36;
inline constexpr unsigned kRequestTimeoutSeconds = 120;

// A SCSI address as Linux reports it (host:channel:id:lun).
struct LinuxScsiAddress {
    int host = 0;
    int channel = 0;
    int id = 0;
    int lun = 0;
};

// One slot of the drive table.
struct DriveSlot {
    uint8_t adapter = 0;
    uint8_t target = 0;
    uint8_t lun = 0;
    uint8_t letter = 0;          // letter index, 2 = "C"
    bool present = false;        // a CD/DVD drive that answered INQUIRY
    int fd = -1;                 // open descriptor, or -1
    std::array<uint8_t, kCachedInquiryBytes> inquiry{};
    std::optional<LinuxScsiAddress> linuxAddress;  // empty: no SCSI address
    std::string path;            // device node, e.g. /dev/sr0
};

using DriveTable = std::array<DriveSlot, kSlotCount>;

// Where device nodes and sysfs are looked up ("/dev" and "/sys" unless set;
// tests point them at prepared folders). Setting them releases the table.
void SetRoots(const std::string &deviceRoot, const std::string &sysfsRoot);

// Scans the slots once (until Release); returns the number of drives found,
// or 0 when the table was already scanned.
int Scan();

// Closes every handle and zeroes the table, so the next Scan runs again.
void Release();

// Entry points of the request interface.
uint32_t GetSupportInfo();
uint32_t SendCommand(void *srb);

void SetCloseAfterCommand(bool on);

// Device path of the drive at a compact address, empty when none.
std::string DrivePath(uint8_t adapter, uint8_t target, uint8_t lun);

// Adapter count of the scanned table.
uint8_t AdapterCount();

// --- Parts of the scan that need no hardware (used by the scan, tested alone).

// Gives every present slot its compact address. Slots with a Linux address
// are numbered by host and then by (channel, id); slots without one get
// lun 0, consecutive targets and the adapter after the real ones. Returns
// the adapter count (0 when no slot is present).
uint8_t AssignCompactAddresses(DriveTable &table);

// Reads the SCSI address of a block device from sysfs
// (<sysfsRoot>/class/block/<name>/device is named host:channel:id:lun).
std::optional<LinuxScsiAddress> ReadSysfsAddress(const std::string &sysfsRoot,
                                                 const std::string &blockName);

// Whether a node is a SCSI CD-ROM block device (major 11).
bool IsCdromNode(const std::string &path);

} // namespace zelvane::spti
