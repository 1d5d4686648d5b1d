#include "core/write_parameters.h"

#include "core/sense.h"

namespace zelvane::vdrive {

namespace {

bool dvdMinusSequential(MediaKind kind) { return kind == MediaKind::DvdR || kind == MediaKind::DvdRwSequential; }

bool knownDataBlockType(uint8_t type) { return type <= 3 || (type >= 8 && type <= 13); }

} // namespace

bool simulating(const DriveState &state)
{
    const MediaKind kind = state.disc.kind;
    return testWrite(state) && (kind == MediaKind::CdR || kind == MediaKind::CdRw || dvdMinusSequential(kind));
}

bool sessionAtOnce(const DriveState &state)
{
    const MediaKind kind = state.disc.kind;
    return (kind == MediaKind::CdR || kind == MediaKind::CdRw) && writeType(state) == WriteType::SessionAtOnce;
}

bool discAtOnce(const DriveState &state)
{
    return dvdMinusSequential(state.disc.kind) && writeType(state) == WriteType::SessionAtOnce;
}

void validateWriteParameters(std::span<const uint8_t> page, const DriveState &state)
{
    if (page.size() < kWriteParametersLength || page[1] < kWriteParametersLength - 2)
        sense::parameterListLengthError();
    const uint8_t type = page[2] & 0x0F;
    const uint8_t blockType = page[4] & 0x0F;
    const uint8_t multiSession = page[3] >> 6;
    const bool fixedPackets = page[3] & 0x20;
    const uint32_t packetSize = uint32_t{page[10]} << 24 | uint32_t{page[11]} << 16 | uint32_t{page[12]} << 8 | page[13];
    if (type > 4 || multiSession == 2 || !knownDataBlockType(blockType))
        sense::invalidFieldInParameterList();
    const MediaKind kind = state.disc.kind;
    if (dvdMinusSequential(kind)) {
        // DVD-R/-RW write incrementally or disc-at-once, in 2048-byte mode 1 blocks.
        if ((type != 0 && type != 2) || blockType != 8)
            sense::invalidFieldInParameterList();
        if (type == 0 && fixedPackets && packetSize != 16)
            sense::invalidFieldInParameterList();
    } else if (kind == MediaKind::CdR || kind == MediaKind::CdRw) {
        // Raw recording (2352-byte blocks with sub-channel) is not offered.
        if (type == 3 || type == 4)
            sense::invalidFieldInParameterList();
        if (type == 0 && fixedPackets && packetSize == 0)
            sense::invalidFieldInParameterList();
    }
}

void checkWriteMode(const DriveState &state)
{
    const MediaKind kind = state.disc.kind;
    const WriteType type = writeType(state);
    if (kind == MediaKind::CdR || kind == MediaKind::CdRw) {
        // Session-at-once takes the cue sheet's data forms. Otherwise our
        // sectors are 2048-byte user data: mode 1 or mode 2 form 1 only.
        if (type == WriteType::SessionAtOnce)
            return;
        if (type == WriteType::Raw || (dataBlockType(state) != 8 && dataBlockType(state) != 10))
            sense::illegalModeForTrack();
    } else if (dvdMinusSequential(kind)) {
        if (type != WriteType::Incremental && type != WriteType::SessionAtOnce)
            sense::illegalModeForTrack();
        // A minimally blanked DVD-RW only takes disc-at-once recording.
        if (state.disc.quickBlanked && type != WriteType::SessionAtOnce)
            sense::illegalModeForTrack();
    }
}

} // namespace zelvane::vdrive
