// The MMC command wrappers of TSCSIDevice: each fills a fresh request block
// (CDB, direction, data buffer) and hands it to the command core.
#include "sxDrvLib/ScsiDevice.h"

#include "sxASPI/Transport.h"
#include "sxDrvLib/AnswerBytes.h"
#include "sxDrvLib/FormatCapacities.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zelvane {

namespace {

constexpr uint8_t kNoData = 0;
constexpr uint8_t kIn = ZV_SRB_DIR_IN;
constexpr uint8_t kOut = ZV_SRB_DIR_OUT;

constexpr uint32_t kShortTimeoutMs = 10'000;
constexpr uint32_t kStartStopTimeoutMs = 20'000;
constexpr uint32_t kModeSenseTimeoutMs = 20'000;
constexpr uint32_t kConfigurationTimeoutMs = 30'000;
constexpr uint32_t kCueSheetTimeoutMs = 30'000;
constexpr uint32_t kTrackInfoTimeoutMs = 60'000;
constexpr uint32_t kWriteTimeoutMs = 120'000;
constexpr uint32_t kOpcTimeoutMs = 150'000;
constexpr uint32_t kCloseTimeoutMs = 180'000;
constexpr uint32_t kBlankTimeoutMs = 4'800'000;

constexpr uint32_t kSectorBytes = 2048;
constexpr uint16_t kMaximumSpeed = 0xFFFF;

} // namespace

bool TSCSIDevice::SendMmc(const uint8_t *cdb, uint8_t cdbLength, uint8_t direction, void *data,
                          uint32_t length, uint32_t timeoutMs, bool pendingCounts)
{
    ZvSrbExec srb{}; // every field zero, as each request starts
    srb.flags = ZV_SRB_EVENT_NOTIFY | direction;
    srb.cdb_length = cdbLength;
    std::memcpy(srb.cdb, cdb, std::min<size_t>(cdbLength, ZV_CDB_MAX));
    srb.data = length ? data : nullptr;
    srb.data_length = data ? length : 0;
    const uint8_t submitted = Execute(srb, timeoutMs);
    if (srb.status == ZV_SS_COMP)
        return true;
    // A write or blank still pending after the wait was accepted by the
    // drive; a request that was never submitted is a failure.
    return pendingCounts && submitted == ZV_SS_COMP && srb.status == ZV_SS_PENDING;
}

bool TSCSIDevice::TestUnitReady(uint32_t timeoutMs)
{
    const uint8_t cdb[6] = {0x00};
    if (SendMmc(cdb, 6, kNoData, nullptr, 0, timeoutMs))
        return true;
    // A changed medium is reported once (UNIT ATTENTION, medium may have
    // changed); the question is asked again.
    const bool mediumChanged = (lastSense_[2] & 0x0F) == 0x06 && lastSense_[12] == 0x28 && lastSense_[13] == 0x00;
    return mediumChanged && SendMmc(cdb, 6, kNoData, nullptr, 0, timeoutMs);
}

bool TSCSIDevice::RezeroUnit()
{
    const uint8_t cdb[6] = {0x01};
    return SendMmc(cdb, 6, kNoData, nullptr, 0, kShortTimeoutMs);
}

bool TSCSIDevice::RequestSense(std::span<uint8_t> buffer)
{
    const auto length = static_cast<uint8_t>(std::min<size_t>(buffer.size(), 0xFF));
    const uint8_t cdb[6] = {0x03, 0, 0, 0, length, 0};
    return SendMmc(cdb, 6, kIn, buffer.data(), length, kShortTimeoutMs);
}

bool TSCSIDevice::FormatUnit(uint8_t byte1, std::span<const uint8_t> parameterList)
{
    std::vector<uint8_t> list(parameterList.begin(), parameterList.end());
    const uint8_t cdb[6] = {0x04, byte1};
    return SendMmc(cdb, 6, kOut, list.data(), static_cast<uint32_t>(list.size()), kShortTimeoutMs);
}

bool TSCSIDevice::FormatUnitAsOffered(uint8_t byte1, std::span<const uint8_t> parameterList)
{
    std::vector<uint8_t> list(parameterList.begin(), parameterList.end());
    constexpr size_t kBlocks = 4, kType = 8;
    if (list.size() >= kType + 1 && ReadFormatCapacities()) {
        if (const auto blocks = OfferedFormatBlocks(mmc_.formatCapacities, list[kType] >> 2)) {
            for (size_t i = 0; i < 4; ++i)
                list[kBlocks + i] = static_cast<uint8_t>(*blocks >> (24 - 8 * i));
        }
    }
    return FormatUnit(byte1, list);
}

bool TSCSIDevice::Eject(bool eject)
{
    const uint8_t cdb[6] = {0x1B, 0, 0, 0, static_cast<uint8_t>(eject ? 0x02 : 0x03), 0};
    // The pass-through provider lets go of the drive so that the tray moves.
    aspi::SetCloseAfterCommand(true);
    const bool ok = SendMmc(cdb, 6, kNoData, nullptr, 0, kStartStopTimeoutMs);
    aspi::SetCloseAfterCommand(false);
    return ok;
}

bool TSCSIDevice::AllowRemoval(bool allow)
{
    const uint8_t cdb[6] = {0x1E, 0, 0, 0, static_cast<uint8_t>(allow ? 0x00 : 0x01), 0};
    if (!allow)
        return SendMmc(cdb, 6, kNoData, nullptr, 0, kShortTimeoutMs);
    aspi::SetCloseAfterCommand(true);
    const bool ok = SendMmc(cdb, 6, kNoData, nullptr, 0, kShortTimeoutMs);
    aspi::SetCloseAfterCommand(false);
    return ok;
}

bool TSCSIDevice::ReadFormatCapacities()
{
    mmc_.formatCapacities.fill(0);
    const uint8_t cdb[10] = {0x23, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(kFormatCapacitiesLength)};
    return SendMmc(cdb, 10, kIn, mmc_.formatCapacities.data(), kFormatCapacitiesLength,
                   kShortTimeoutMs);
}

bool TSCSIDevice::ReadCapacity(uint32_t &lastLba, uint32_t &blockLength)
{
    mmc_.capacity.fill(0);
    const uint8_t cdb[10] = {0x25};
    if (!SendMmc(cdb, 10, kIn, mmc_.capacity.data(), kCapacityLength, kShortTimeoutMs))
        return false;
    const CapacityAnswer answer = DecodeCapacity(mmc_.capacity);
    lastLba = answer.lastLba;
    blockLength = answer.blockLength;
    return true;
}

bool TSCSIDevice::Read10(uint32_t lba, uint16_t blocks, std::span<uint8_t> buffer)
{
    uint8_t cdb[10] = {0x28};
    PutBe32(&cdb[2], lba);
    PutBe16(&cdb[7], blocks);
    // Never let the drive deliver more than the buffer holds.
    if (uint64_t(blocks) * kSectorBytes > buffer.size())
        return false;
    return SendMmc(cdb, 10, kIn, buffer.data(), blocks * kSectorBytes, kShortTimeoutMs);
}

bool TSCSIDevice::Write10(uint32_t lba, uint16_t blocks, std::span<const uint8_t> buffer,
                          uint8_t flags)
{
    uint8_t cdb[10] = {0x2A};
    PutBe32(&cdb[2], lba);
    PutBe16(&cdb[7], blocks);
    if (uint64_t(blocks) * kSectorBytes > buffer.size())
        return false;
    // The provider only reads an outgoing buffer.
    void *data = const_cast<uint8_t *>(buffer.data());
    const uint8_t direction = flags & (ZV_SRB_DIR_IN | ZV_SRB_DIR_OUT);
    return SendMmc(cdb, 10, direction, data, blocks * kSectorBytes, kWriteTimeoutMs, true);
}

bool TSCSIDevice::SynchronizeCache(bool immediate, uint32_t timeoutMs)
{
    const uint8_t cdb[10] = {0x35, static_cast<uint8_t>(immediate ? 0x02 : 0x00)};
    return SendMmc(cdb, 10, kNoData, nullptr, 0, timeoutMs);
}

bool TSCSIDevice::ReadToc(uint8_t format, bool msf, uint8_t trackOrSession,
                          std::span<uint8_t> buffer, uint8_t control)
{
    const auto length = static_cast<uint8_t>(std::min<size_t>(buffer.size(), 0xFF));
    const uint8_t cdb[10] = {0x43, static_cast<uint8_t>(msf ? 0x02 : 0x00), format, 0, 0, 0,
                             trackOrSession, 0, length, control};
    return SendMmc(cdb, 10, kIn, buffer.data(), length, kShortTimeoutMs);
}

bool TSCSIDevice::GetConfiguration(uint8_t rt, uint16_t startingFeature)
{
    mmc_.configuration.fill(0);
    uint8_t cdb[10] = {0x46, rt};
    PutBe16(&cdb[2], startingFeature);
    cdb[8] = static_cast<uint8_t>(kConfigurationLength);
    return SendMmc(cdb, 10, kIn, mmc_.configuration.data(), kConfigurationLength,
                   kConfigurationTimeoutMs);
}

bool TSCSIDevice::ReadDiscInformation()
{
    mmc_.discInfo.fill(0);
    const uint8_t cdb[10] = {0x51, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(kDiscInfoLength)};
    return SendMmc(cdb, 10, kIn, mmc_.discInfo.data(), kDiscInfoLength, kShortTimeoutMs);
}

bool TSCSIDevice::ReadTrackInformation(uint32_t track)
{
    mmc_.trackInfo.fill(0);
    if (track > 0xFF)
        return false;
    uint8_t cdb[10] = {0x52, 0x01};
    PutBe32(&cdb[2], track);
    cdb[8] = static_cast<uint8_t>(kTrackInfoLength);
    return SendMmc(cdb, 10, kIn, mmc_.trackInfo.data(), kTrackInfoLength, kTrackInfoTimeoutMs);
}

bool TSCSIDevice::ReadSessionTrackInformation(uint32_t session)
{
    mmc_.trackInfo.fill(0);
    if (session == 0 || session > 0xFF)
        return false;
    uint8_t cdb[10] = {0x52, 0x02};
    PutBe32(&cdb[2], session);
    cdb[8] = static_cast<uint8_t>(kTrackInfoLength);
    return SendMmc(cdb, 10, kIn, mmc_.trackInfo.data(), kTrackInfoLength, kTrackInfoTimeoutMs);
}

DiscInfo TSCSIDevice::LastDiscInfo() const { return DecodeDiscInfo(mmc_.discInfo); }
TrackInfo TSCSIDevice::LastTrackInfo() const { return DecodeTrackInfo(mmc_.trackInfo); }

bool TSCSIDevice::ReserveTrack(uint32_t blocks)
{
    uint8_t cdb[12] = {0x53};
    PutBe32(&cdb[5], blocks);
    return SendMmc(cdb, 12, kNoData, nullptr, 0, kShortTimeoutMs);
}

bool TSCSIDevice::PerformOpc()
{
    const uint8_t cdb[10] = {0x54, 0x01};
    return SendMmc(cdb, 10, kNoData, nullptr, 0, kOpcTimeoutMs);
}

bool TSCSIDevice::ModeSelect(std::span<const uint8_t> parameterList)
{
    std::vector<uint8_t> list(parameterList.begin(),
                              parameterList.begin() + std::min<size_t>(parameterList.size(), 0xFF));
    const uint8_t cdb[10] = {0x55, 0x10, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(list.size())};
    return SendMmc(cdb, 10, kOut, list.data(), static_cast<uint32_t>(list.size()), kShortTimeoutMs);
}

bool TSCSIDevice::ModeSense(uint8_t pageCode, bool defaultValues, std::span<uint8_t> buffer)
{
    std::fill(buffer.begin(), buffer.end(), uint8_t{0});
    const auto length = static_cast<uint16_t>(std::min<size_t>(buffer.size(), 0xFFFF));
    uint8_t cdb[10] = {0x5A, 0, static_cast<uint8_t>(pageCode | (defaultValues ? 0x80 : 0x00))};
    PutBe16(&cdb[7], length);
    return SendMmc(cdb, 10, kIn, buffer.data(), length, kModeSenseTimeoutMs);
}

bool TSCSIDevice::Close(bool track, bool immediate, bool finalize)
{
    const uint8_t function = finalize ? 5 : (track ? 1 : 2);
    return Close(immediate, function, 0, 0, track ? 0xFF : 0);
}

bool TSCSIDevice::Close(bool immediate, uint8_t function, uint8_t byte3, uint8_t byte4,
                        uint8_t byte5)
{
    const bool immed = immediate && !mmc_.quirks.closeWithoutImmediate;
    const uint8_t cdb[10] = {0x5B, static_cast<uint8_t>(immed ? 0x01 : 0x00), function, byte3,
                             byte4, byte5};
    return SendMmc(cdb, 10, kNoData, nullptr, 0, kCloseTimeoutMs);
}

bool TSCSIDevice::ReadBufferCapacity()
{
    mmc_.bufferCapacity.fill(0);
    const uint8_t cdb[10] = {0x5C, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(kBufferCapacityLength)};
    if (!SendMmc(cdb, 10, kIn, mmc_.bufferCapacity.data(), kBufferCapacityLength, kShortTimeoutMs)) {
        DeviceFreeBufferSize = 0;
        return false;
    }
    const AnswerBytes answer(mmc_.bufferCapacity);
    const uint32_t length = answer.be32(4);
    const uint32_t free = answer.be32(8);
    DeviceBufferSize = length;
    DeviceFreeBufferSize = free == 0xFFFFFFFF ? length : free;
    return true;
}

bool TSCSIDevice::SendCueSheet(std::span<const uint8_t> cueSheet)
{
    std::vector<uint8_t> sheet(cueSheet.begin(), cueSheet.begin() + std::min<size_t>(cueSheet.size(), 0xFFFF));
    uint8_t cdb[10] = {0x5D};
    PutBe16(&cdb[7], static_cast<uint32_t>(sheet.size()));
    return SendMmc(cdb, 10, kOut, sheet.data(), static_cast<uint32_t>(sheet.size()), kCueSheetTimeoutMs);
}

bool TSCSIDevice::Blank(uint8_t blankType)
{
    const uint8_t cdb[12] = {0xA1, static_cast<uint8_t>((blankType & 0x07) | 0x10)};
    return SendMmc(cdb, 12, kNoData, nullptr, 0, kBlankTimeoutMs, true);
}

bool TSCSIDevice::SetStreaming(std::span<const uint8_t> descriptor)
{
    std::vector<uint8_t> list(descriptor.begin(), descriptor.begin() + std::min<size_t>(descriptor.size(), 0xFFFF));
    uint8_t cdb[12] = {0xB6};
    PutBe16(&cdb[9], static_cast<uint32_t>(list.size()));
    return SendMmc(cdb, 12, kOut, list.data(), static_cast<uint32_t>(list.size()), kShortTimeoutMs);
}

bool TSCSIDevice::SetCdSpeed(uint16_t readKBps, uint16_t writeKBps)
{
    uint8_t cdb[12] = {0xBB};
    PutBe16(&cdb[2], readKBps ? readKBps : kMaximumSpeed);
    PutBe16(&cdb[4], writeKBps ? writeKBps : kMaximumSpeed);
    return SendMmc(cdb, 12, kNoData, nullptr, 0, kShortTimeoutMs);
}

bool TSCSIDevice::SetSpeeds()
{
    return SetCdSpeed(ReadSpeed, WriteSpeed);
}

void TSCSIDevice::SetWriteSpeed(uint16_t kbps)
{
    SetCdSpeed(ReadSpeed, kbps);
    WriteSpeed = kbps;
}

bool TSCSIDevice::SendDvdStructure(uint8_t format, std::span<const uint8_t> parameterList)
{
    std::vector<uint8_t> list(parameterList.begin(), parameterList.begin() + std::min<size_t>(parameterList.size(), 0xFFFF));
    uint8_t cdb[12] = {0xBF};
    cdb[7] = format;
    PutBe16(&cdb[8], static_cast<uint32_t>(list.size()));
    return SendMmc(cdb, 12, kOut, list.data(), static_cast<uint32_t>(list.size()), kShortTimeoutMs);
}

bool TSCSIDevice::WriteTimestamp(const std::tm &localTime)
{
    alignas(8) std::array<uint8_t, 22> list{};
    PutBe16(&list[0], 0x0014);
    char digits[15];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d",
                  std::clamp(localTime.tm_year + 1900, 0, 9999), std::clamp(localTime.tm_mon + 1, 1, 12),
                  std::clamp(localTime.tm_mday, 1, 31), std::clamp(localTime.tm_hour, 0, 23),
                  std::clamp(localTime.tm_min, 0, 59), std::clamp(localTime.tm_sec, 0, 59));
    std::memcpy(&list[8], digits, 14);
    return SendDvdStructure(0x0F, list);
}

} // namespace zelvane
