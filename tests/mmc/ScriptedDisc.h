// A drive and its disc as the scripted drive answers them: each field is an
// answer the test chooses; a field left empty makes that command fail the
// way a drive without it does (ILLEGAL REQUEST, invalid opcode or field).
#pragma once

#include "FakeDrive.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

namespace fakedrive {

std::vector<uint8_t> Be32(uint32_t value);

// READ TRACK INFORMATION answer.
std::vector<uint8_t> TrackBytes(uint32_t start, uint32_t nextWritable, uint32_t freeBlocks,
                                uint32_t size, bool nextWritableValid = true);
// READ DISC INFORMATION answer.
std::vector<uint8_t> DiscInfoBytes(uint8_t discStatus, uint8_t lastSessionState, bool erasable,
                                   uint8_t sessions, uint8_t firstTrackOfLastSession);
// ATIP answer with the last possible lead-out start and the disc type bits.
std::vector<uint8_t> AtipBytes(uint8_t m, uint8_t s, uint8_t f, bool rewritable);
// READ FORMAT CAPACITIES with one current descriptor.
std::vector<uint8_t> FormatCapacityBytes(uint32_t blocks, uint8_t descriptorType);
// A capabilities page 2Ah (page code first).
std::vector<uint8_t> CapabilitiesPage(uint8_t reads, uint8_t writes, uint8_t byte4,
                                      uint16_t maxRead, uint16_t maxWrite, uint16_t currentWrite);
// A 2048-byte primary volume descriptor with the volume space size.
std::vector<uint8_t> PrimaryDescriptor(uint32_t volumeBlocks);

struct ScriptedDisc {
    bool ready = true;
    bool requestSenseWorks = true;
    std::vector<uint8_t> notReadySense = {2, 0x3A, 0}; // key, ASC, ASCQ while not ready
    int becomesReadyAfter = 0; // TEST UNIT READY / READ DISC INFORMATION answers still "becoming ready"
    std::optional<uint16_t> profile;
    std::optional<std::vector<uint8_t>> atip;
    std::optional<std::vector<uint8_t>> discInfo;
    std::map<uint8_t, std::vector<uint8_t>> tracks;
    std::optional<uint32_t> capacityLastLba;
    std::optional<std::vector<uint8_t>> formatCapacities;
    std::optional<std::vector<uint8_t>> toc;
    std::map<uint32_t, std::vector<uint8_t>> sectors;
    std::vector<uint8_t> defaultCapabilities;
    std::vector<uint8_t> currentCapabilities;
    uint16_t blockDescriptorLength = 0;
    bool underrunPage = false;
    std::map<uint16_t, std::vector<uint8_t>> features;
    std::vector<uint8_t> writePage;
    std::set<uint8_t> acceptedWriteTypes = {1, 2};

    Answer operator()(const Request &request);

private:
    Answer NotReady();
    Answer ModePage(const std::vector<uint8_t> &page) const;
    bool BecomingReady();
};

} // namespace fakedrive
