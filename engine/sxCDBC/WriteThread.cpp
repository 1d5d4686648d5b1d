#include "sxCDBC/WriteThread.h"

#include "sxASPI/Transport.h"
#include "sxCDBC/SarnixBurner.h"
#include "sxCache/CacheThread.h"
#include "sxConst/EngineTexts.h"
#include "sxConst/ImageTexts.h"
#include "sxConst/TextFormat.h"
#include "sxConst/WriteTexts.h"
#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/SpeedText.h"
#include "sxDrvLib/VolumeDescriptor.h"
#include "sxStreamEx/StreamEx.h"
#include "sxStreamEx/TargetFile.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <ctime>
#include <memory>

namespace zelvane {

namespace {

using namespace std::chrono_literals;

constexpr std::int32_t kWriteUnit = 65536;
constexpr std::int32_t kSector = 2048;
constexpr int kBusyAttempts = 10000;
constexpr auto kBusyPause = 600ms;
constexpr auto kCloseBusyPause = 1000ms;
constexpr int kCloseBusyAttempts = 1000;
constexpr std::uint32_t kLongFlushMs = 1'800'000;
constexpr std::uint32_t kFlushMs = 120'000;
// The drive finishes an immediate flush on its own; it gets as long as the
// flush itself may take.
constexpr auto kFlushWaitLimit = 30min;
constexpr std::uint8_t kAscNotReady = 0x04;
constexpr std::uint8_t kAscNoSense = 0x00;
constexpr std::uint8_t kAscIncompatibleMedium = 0x30;
constexpr std::size_t kSenseAsc = 12;

// SET STREAMING performance descriptor for DVD-R: LBA 0 to 2,298,495,
// 43,965 kB read and 1,418 kB written per 1000 ms.
constexpr std::array<std::uint8_t, 28> kDvdRStreaming = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x23, 0x12, 0x7F, 0x00, 0x00,
    0xAB, 0xBD, 0x00, 0x00, 0x03, 0xE8, 0x00, 0x00, 0x05, 0x8A, 0x00, 0x00, 0x03, 0xE8};
// FORMAT UNIT parameter list for a blank DVD+RW: immediate, 2,295,104 blocks
// (or as many as the drive offers), type 26h.
constexpr std::array<std::uint8_t, 12> kDvdPlusRwFormat = {0x00, 0x82, 0x00, 0x08, 0x00, 0x23,
                                                           0x05, 0x40, 0x98, 0x00, 0x00, 0x00};
constexpr std::uint8_t kFormatWithData = 0x11;
// Restricted overwrite DVD-RW is written in packets of 16 sectors.
constexpr std::uint32_t kRestrictedOverwritePacket = 16;

bool isCdWriteOnceOrRewritable(int code) { return code == kMediaCdR || code == kMediaCdRw; }

bool isOverwrittenInPlace(int code)
{
    return code == kMediaDvdPlusRw || code == kMediaDvdRam || code == kMediaDvdRwRestricted ||
           code == kMediaDvdRwSequential;
}

bool flushesInBackground(int code)
{
    return code == kMediaDvdR || code == kMediaDvdRw || code == kMediaDvdRwRestricted ||
           code == kMediaDvdRwSequential;
}

bool isDvd(int code) { return code >= kMediaDvdR && code <= kMediaDvdPlusR; }

std::uint32_t roundUpTo32(std::int64_t sectors)
{
    return static_cast<std::uint32_t>((std::max<std::int64_t>(sectors, 0) + 31) / 32 * 32);
}

} // namespace

TThWrite::TThWrite(TSarnixBurner &burner, TCacheThread &cache, Job job)
    : burner_(burner), cache_(cache), job_(job), buffer_(kWriteUnit, 0)
{
}

TThWrite::~TThWrite()
{
    Join();
}

void TThWrite::Start()
{
    thread_ = std::thread(&TThWrite::run, this);
}

void TThWrite::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void TThWrite::run()
{
    burner_.BytesWritten = 0;
    sectorsToWrite_ = burner_.SectorsToWrite();
    if (job_.ToImageFile)
        writeToImageFile();
    else
        writeToDrive();
    complete();
    burner_.WriteThreadEnded();
}

bool TThWrite::stopRequested() const
{
    return burner_.StopRequested();
}

void TThWrite::failWith(const std::string &text)
{
    cache_.SetErrorText(text);
    cache_.Abort();
}

std::string TThWrite::writerError() const
{
    return std::string(texts::kWriterError) + " [" + burner_.LastErrorText() + "]";
}

// A busy-type failure: the drive said BUSY, or it answered with sense data
// telling "not ready, in progress" (04h) or no additional sense (00h). A
// request that never completed carries no sense data and is a hard failure,
// so a drive that stops answering ends the write instead of being retried.
bool TThWrite::busyFailure() const
{
    if (burner_.IsBusy())
        return true;
    const auto &sense = burner_.LastSense();
    const std::uint8_t responseCode = sense[0] & 0x7F;
    if (responseCode != 0x70 && responseCode != 0x71)
        return false;
    return sense[kSenseAsc] == kAscNotReady || sense[kSenseAsc] == kAscNoSense;
}

std::int32_t TThWrite::nextBlock()
{
    for (;;) {
        if (stopRequested()) {
            failWith(std::string(texts::kOperationAborted));
            return 0;
        }
        std::int32_t length;
        {
            std::lock_guard lock(burner_.CriticalSection());
            length = cache_.ReadBlock(buffer_.data());
        }
        if (!cache_.ErrorText().empty())
            return 0;
        if (length >= 0)
            return length;
        cache_.WaitForBlock(100ms);
    }
}

void TThWrite::noteBlock(std::int32_t length)
{
    {
        std::lock_guard lock(burner_.CriticalSection());
        burner_.LastSourceFile = cache_.CurrentFile();
    }
    const std::int64_t limit = sectorsToWrite_ * kSector;
    burner_.BytesWritten = std::min(burner_.BytesWritten.load() + length, limit);
}

void TThWrite::writeToImageFile()
{
    burner_.SessionStart = 0;
    const std::string &name = burner_.ISOFileName;
    // The image gets its name only when it is whole; a failed or stopped
    // write leaves nothing behind.
    std::unique_ptr<TTargetFileStream> file;
    try {
        file = std::make_unique<TTargetFileStream>(name);
    } catch (const StreamError &) {
        failWith(texts::fillText(texts::kCantCreateFile, name));
        return;
    }
    for (std::int32_t length = nextBlock(); length > 0; length = nextBlock()) {
        noteBlock(length);
        // A short write (a full disk) ends the write; the image is incomplete.
        if (!file->WriteFully(buffer_.data(), length)) {
            failWith(texts::fillText(texts::kCantWriteFile, name));
            return;
        }
        sectorsWritten_ += length / kSector;
    }
    if (cache_.ErrorText().empty() && !file->Commit())
        failWith(texts::fillText(texts::kCantWriteFile, name));
}

void TThWrite::writeToDrive()
{
    prepareDrive();
    int attempts = 0;
    sessionStart_ = job_.BurningImageFile ? 0 : burner_.SessionStart;
    if (job_.BurningImageFile)
        burner_.SessionStart = 0;
    std::int32_t length = nextBlock();
    const bool rewriteStart = length > 0 && !job_.BurningImageFile && isOverwrittenInPlace(mediaCode_);
    // On a blank disc the descriptors go first (a blank DVD+RW is formatted
    // on the way). On a disc that already holds sessions they are rewritten
    // only after the new session is on the disc, so that a stopped or failed
    // write leaves the disc as it was.
    if (rewriteStart && sessionStart_ == 0 && !rewriteLeadingDescriptors(length, attempts)) {
        finishDrive();
        return;
    }
    if (length > 0 && writeBlocks(length, attempts) && rewriteStart && sessionStart_ != 0)
        rewriteDescriptorSet();
    finishDrive();
}

void TThWrite::prepareDrive()
{
    bufferQuerySupported_ = burner_.ReadBufferCapacity();
    mediaCode_ = burner_.GetMediaCode();
    if (mediaCode_ == kMediaUnknown)
        mediaCode_ = job_.MediaCode;
    burner_.Eject(false);
    if (mediaCode_ != kMediaDvdPlusRw)
        burner_.RezeroUnit();
    burner_.SetCdSpeed(burner_.ReadSpeed, burner_.WriteSpeed);
    burner_.WaitUntilReady(10000, 1000);
    const unsigned speed = burner_.CurrentWriteSpeed();
    const bool finalize = burner_.FinalizeDisc;
    burner_.FinalizeDisc = true;
    burner_.SetWriteParameters(burner_.TestWrite, burner_.UnderrunProtection, mediaCode_);
    burner_.FinalizeDisc = finalize;
    trackNumber_ = static_cast<std::uint8_t>(std::min(burner_.RecordedSessions() + 1, 255));
    // A test write leaves the disc as it is: no time stamp, no reservation.
    if (mediaCode_ == kMediaDvdR && !burner_.TestWrite) {
        burner_.SetStreaming(kDvdRStreaming);
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        burner_.WriteTimestamp(local);
        burner_.ReserveTrack(roundUpTo32(sectorsToWrite_));
        burner_.WaitUntilReady(10000, 1000);
    }
    if (mediaCode_ != kMediaDvdRam && !burner_.TestWrite && burner_.PerformOPC)
        burner_.PerformOpc();
    const std::string speedText = SpeedMultipleText(speed, mediaCode_, isDvd(mediaCode_)) + " " + SpeedKBpsText(speed);
    std::string line = ">>> " + std::string(texts::kStartingWrite);
    line.replace(line.find("%s"), 2, MediaName(mediaCode_));
    line.replace(line.find("%s"), 2, speedText);
    burner_.EmitDebug(line, 1);
    if (burner_.TestWrite)
        burner_.EmitDebug(">>> " + std::string(texts::kTestDummyWrite), 1);
}

bool TThWrite::rewriteLeadingDescriptors(std::int32_t length, int &attempts)
{
    // The system area and the descriptors up to the terminator, in whole
    // packets on restricted overwrite; the first block follows at once.
    const KeptDescriptors &kept = burner_.KeptHeaderCopy();
    const std::size_t packet = std::size_t{mediaCode_ == kMediaDvdRwRestricted ? kRestrictedOverwritePacket : 1} * kSector;
    const std::size_t bytes = std::min<std::size_t>({static_cast<std::size_t>(length), kept.bytes.size(),
                                                    (kept.length + packet - 1) / packet * packet});
    const std::vector<std::uint8_t> start(kept.bytes.begin(), kept.bytes.begin() + static_cast<std::ptrdiff_t>(bytes));
    for (int attempt = 0; attempt < 2; ++attempt) {
        burner_.SetTraceShotUsed();
        if (burner_.Write10(0, static_cast<std::uint16_t>(start.size() / kSector), start)) {
            burner_.SynchronizeCache(false, kLongFlushMs);
            return true;
        }
        if (attempt == 0 && mediaCode_ == kMediaDvdPlusRw && burner_.LastSense()[kSenseAsc] == kAscIncompatibleMedium) {
            formatTried_ = true;
            if (formatBlankDvdPlusRw())
                continue;
        }
        if (busyFailure()) {
            std::this_thread::sleep_for(kBusyPause);
            attempts = 1;
            return true;
        }
        break;
    }
    failWith(writerError());
    return false;
}

bool TThWrite::rewriteDescriptorSet()
{
    // Sectors 16 up to the new terminator, and not one more: what follows
    // the old descriptors may hold the old session's files. Restricted
    // overwrite takes whole packets; the rest of the packet is read first
    // and written back as it was.
    const KeptDescriptors &kept = burner_.KeptHeaderCopy();
    const std::uint32_t first = kFirstDescriptorLba;
    const auto end = static_cast<std::uint32_t>(kept.length / kSector);
    if (end <= first)
        return true;
    const std::uint32_t packet = mediaCode_ == kMediaDvdRwRestricted ? kRestrictedOverwritePacket : 1;
    const std::uint32_t writeStart = first / packet * packet;
    const std::uint32_t writeEnd = (end + packet - 1) / packet * packet;
    const auto bytes = static_cast<std::int32_t>((writeEnd - writeStart) * kSector);
    if (bytes > kWriteUnit) {
        failWith(writerError());
        return false;
    }
    const std::span<std::uint8_t> unit(buffer_.data(), static_cast<std::size_t>(bytes));
    if ((writeStart != first || writeEnd != end) &&
        !burner_.Read10(writeStart, static_cast<std::uint16_t>(writeEnd - writeStart), unit)) {
        failWith(writerError());
        return false;
    }
    std::copy(kept.bytes.begin() + std::ptrdiff_t(first) * kSector, kept.bytes.begin() + std::ptrdiff_t(end) * kSector,
              unit.begin() + std::ptrdiff_t(first - writeStart) * kSector);
    int attempts = 0;
    return writeBlockToDrive(writeStart, bytes, attempts);
}

bool TThWrite::formatBlankDvdPlusRw()
{
    if (!burner_.FormatUnitAsOffered(kFormatWithData, kDvdPlusRwFormat))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + kFlushWaitLimit;
    do {
        std::this_thread::sleep_for(2000ms);
        burner_.ReadDiscInformation();
    } while (burner_.LastSense()[kSenseAsc] == kAscNotReady && std::chrono::steady_clock::now() < deadline &&
             !stopRequested());
    return true;
}

bool TThWrite::writeBlocks(std::int32_t length, int attempts)
{
    // A restricted-overwrite DVD-RW takes whole packets only, an image's last one too.
    const bool wholeUnits = !isCdWriteOnceOrRewritable(mediaCode_) &&
                            (!job_.BurningImageFile || mediaCode_ == kMediaDvdRwRestricted);
    bool first = true;
    while (length > 0) {
        std::int32_t bytes = length;
        // The final write unit of a DVD project is whole, and restricted
        // overwrite takes whole packets also of an image; the tail is zeros.
        std::int32_t unit = wholeUnits ? kWriteUnit : 0;
        if (mediaCode_ == kMediaDvdRwRestricted && !wholeUnits)
            unit = static_cast<std::int32_t>(kRestrictedOverwritePacket) * kSector;
        if (unit != 0 && bytes % unit != 0) {
            const std::int32_t padded = (bytes / unit + 1) * unit;
            std::memset(buffer_.data() + bytes, 0, static_cast<std::size_t>(padded - bytes));
            bytes = padded;
        }
        noteBlock(bytes);
        if (pollCounter_ == 0 && bufferQuerySupported_ && burner_.ReadBufferCapacity())
            pollCounter_ = 5;
        --pollCounter_;
        if (!first)
            attempts = 0;
        first = false;
        if (!writeBlockToDrive(static_cast<std::uint32_t>(sessionStart_ + sectorsWritten_), bytes, attempts))
            return false;
        sectorsWritten_ += bytes / kSector;
        length = nextBlock();
    }
    return cache_.ErrorText().empty();
}

bool TThWrite::writeBlockToDrive(std::uint32_t lba, std::int32_t bytes, int &attempts)
{
    for (;;) {
        if (stopRequested()) {
            failWith(std::string(texts::kOperationAborted));
            return false;
        }
        if (burner_.Write10(lba, static_cast<std::uint16_t>(bytes / kSector),
                            std::span<const std::uint8_t>(buffer_.data(), static_cast<std::size_t>(bytes))))
            return true;
        if (!busyFailure()) {
            // A new DVD+RW takes no write before it is formatted, whether a
            // project or an image is written to it.
            if (mediaCode_ == kMediaDvdPlusRw && !formatTried_ &&
                burner_.LastSense()[kSenseAsc] == kAscIncompatibleMedium) {
                formatTried_ = true;
                if (formatBlankDvdPlusRw())
                    continue;
            }
            failWith(writerError());
            return false;
        }
        std::this_thread::sleep_for(kBusyPause);
        if (++attempts >= kBusyAttempts) {
            failWith(std::string(texts::kWriterBusy));
            return false;
        }
    }
}

void TThWrite::finishDrive()
{
    if (mediaCode_ != kMediaDvdRam)
        burner_.ReadBufferCapacity();
    burner_.Synchronize([this] {
        if (burner_.OnFinalizingTrack)
            burner_.OnFinalizingTrack(&burner_);
    });
    flushDrive();
    burner_.DeviceBufferSize = 0;
    burner_.DeviceFreeBufferSize = 0;
    if (!cache_.ErrorText().empty())
        return;
    closeSession();
    if (!cache_.ErrorText().empty())
        return;
    restoreDrive();
}

// A flush or close the drive refused ends the write with an error: the data
// may not be on the disc, or the disc may not be readable elsewhere. A drive
// that answers "busy" is still working and is waited for instead.
bool TThWrite::checkFinishing(bool done)
{
    if (done || busyFailure())
        return true;
    failWith(writerError());
    return false;
}

void TThWrite::flushDrive()
{
    if (!flushesInBackground(mediaCode_)) {
        if (!burner_.SynchronizeCache(false, kFlushMs))
            checkFinishing(burner_.SynchronizeCache(true, kFlushMs));
        return;
    }
    if (!checkFinishing(burner_.SynchronizeCache(true, kLongFlushMs)))
        return;
    const std::uint32_t size = burner_.DeviceBufferSize;
    burner_.DeviceFreeBufferSize = size;
    const auto deadline = std::chrono::steady_clock::now() + kFlushWaitLimit;
    bool answered = false;
    while (!(answered = burner_.ReadDiscInformation()) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1s);
        const std::uint32_t step = size / 960;
        const std::uint32_t free = burner_.DeviceFreeBufferSize;
        burner_.DeviceFreeBufferSize = free > step ? free - step : 0;
    }
    if (!answered)
        failWith(writerError());
}

void TThWrite::closeSession()
{
    if (burner_.TestWrite || mediaCode_ == kMediaDvdRam || !burner_.FinalizeTrack)
        return;
    // DVD-R and sequential DVD-RW were prepared with a page that allows a next
    // session; a disc to be finalised gets one that does not before its
    // session is closed, or it would stay appendable.
    const bool closeDisc = burner_.FinalizeDisc &&
                           (mediaCode_ == kMediaDvdR || mediaCode_ == kMediaDvdRwSequential);
    if (mediaCode_ != kMediaDvdR || closeDisc)
        burner_.SetWriteParameters(burner_.TestWrite, burner_.UnderrunProtection, mediaCode_,
                                   closeDisc);
    const std::uint8_t track = trackNumber_;
    switch (mediaCode_) {
    case kMediaDvdPlusR:
        // Closing the session with the finalise function closes the disc.
        if (checkFinishing(burner_.Close(false, 1, 0, 0, track)))
            checkFinishing(burner_.Close(false, burner_.FinalizeDisc ? 5 : 2, 0, 0, 255));
        return;
    case kMediaDvdR:
        if (!checkFinishing(burner_.Close(false, 1, 0, 0, track)))
            return;
        // The track after the reserved one is usually the empty invisible
        // track, which drives may refuse to close: its answer does not count.
        burner_.Close(false, 1, 0, 0, static_cast<std::uint8_t>(track + 1));
        checkFinishing(burner_.Close(false, 2, 0, 0, static_cast<std::uint8_t>(track + 2)));
        return;
    case kMediaDvdRwRestricted:
    case kMediaDvdRwSequential:
        checkFinishing(burner_.Close(true, 2, 0, 0, 0));
        return;
    case kMediaDvdPlusRw:
        checkFinishing(burner_.Close(false, 3, 0, 0, 255));
        return;
    default:
        break;
    }
    for (int attempt = 0; attempt < kCloseBusyAttempts; ++attempt) {
        if (burner_.Close(true, 2, 0, 0, 0))
            return;
        if (!burner_.IsBusy() && burner_.LastSense()[kSenseAsc] != kAscNotReady) {
            // Sent once more; a second refusal is the drive's last word.
            if (!burner_.Close(true, 2, 0, 0, 0))
                failWith(writerError());
            return;
        }
        std::this_thread::sleep_for(kCloseBusyPause);
    }
    failWith(std::string(texts::kWriterBusy));
}

void TThWrite::restoreDrive()
{
    burner_.WaitUntilReady(240000, 5000);
    if (mediaCode_ != kMediaDvdRam)
        burner_.ReadBufferCapacity();
    burner_.SetWriteParameters(false, false, kMediaCdRom);
    burner_.SetCdSpeed(burner_.MaximumReadSpeed(), 2);
    burner_.RezeroUnit();
    burner_.AllowRemoval(true);
    burner_.Eject(false);
    burner_.RezeroUnit();
    burner_.TestUnitReady(5000);
}

void TThWrite::complete()
{
    std::string result;
    {
        std::lock_guard lock(burner_.CriticalSection());
        burner_.LastSourceFile = cache_.CurrentFile();
        result = cache_.ErrorText();
        burner_.ResultText = result;
    }
    burner_.EndWrite();
    burner_.Synchronize([this] { burner_.ReportWriteDone(); });
    aspi::SetCloseAfterCommand(true);
    std::lock_guard lock(burner_.CriticalSection());
    burner_.LastSourceFile.clear();
}

} // namespace zelvane
