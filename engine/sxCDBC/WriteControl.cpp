// The burner's write operations: burning the project or an image file to the
// disc and saving the project as an image file, each through the read-ahead
// cache and the writing thread; stopping a write and its fill level.
#include "sxCDBC/SarnixBurner.h"

#include "sxCDBC/DirectImageWriter.h"
#include "sxCDBC/WriteThread.h"
#include "sxCache/CacheThread.h"
#include "sxConst/ImageTexts.h"
#include "sxConst/ImportTexts.h"
#include "sxConst/TextFormat.h"
#include "sxConst/EngineTexts.h"
#include "sxConst/WriteTexts.h"
#include "sxDrvLib/MediaCode.h"
#include "sxStreamEx/StreamEx.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <thread>

namespace zelvane {

namespace {

constexpr std::int32_t kBlockSize = 65536;
constexpr std::int32_t kCdBlockSize = 55296;  // 27 sectors
constexpr std::int64_t kSector = 2048;

// One write at a time in the process: set while a writing thread runs.
std::atomic<bool> gWritingActive{false};

std::int32_t blockSizeFor(int mediaCode)
{
    return mediaCode == kMediaCdR || mediaCode == kMediaCdRw ? kCdBlockSize : kBlockSize;
}

} // namespace

TSarnixBurner::~TSarnixBurner()
{
    EndOperations();
}

void TSarnixBurner::EndOperations()
{
    // The drive blanks on by itself; the erase thread only stops waiting.
    eraseAbandoned_ = true;
    if (writer_ && writer_->Joinable())
        CancelWrite();
    releaseLastWrite();
    eraseThread_.reset();
    finishedErases_.clear();
}

void TSarnixBurner::Synchronize(const std::function<void()> &Call)
{
    if (Dispatcher)
        Dispatcher(Call);
    else
        Call();
}

void TSarnixBurner::ReportWriteDone()
{
    if (OnWriteDone)
        OnWriteDone(this, ResultText);
}

// The stop reaches this burner's write only: another burner of the process
// (another drive) writes on.
void TSarnixBurner::CancelWrite()
{
    stop_ = true;
}

bool TSarnixBurner::StopRequested() const
{
    return stop_.load();
}

bool TSarnixBurner::WriteRunning()
{
    return gWritingActive.load();
}

void TSarnixBurner::EndWrite()
{
    gWritingActive = false;
}

std::int32_t TSarnixBurner::CacheFillPercent() const
{
    if (!gWritingActive || !cache_)
        return 0;
    const double percent = static_cast<double>(cache_->BytesInCache()) / CacheSize() * 100.0;
    return static_cast<std::int32_t>(std::nearbyint(percent));  // ties to even
}

void TSarnixBurner::WaitForWriteEnd()
{
    if (writer_)
        writer_->Join();
}

void TSarnixBurner::releaseLastWrite()
{
    // The writer goes first: it reads from the cache until it ends.
    writer_.reset();
    cache_.reset();
}

void TSarnixBurner::pause(int ms)
{
    if (mmc_.sleep)
        mmc_.sleep(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::vector<CacheEntry> TSarnixBurner::projectEntries() const
{
    std::vector<CacheEntry> entries;
    if (layout_.Bootable)
        entries.push_back(CacheEntry{BootImageFile, layout_.BootImageSize, 0});
    std::vector<const TFEntry *> files;
    for (const auto &entry : tree_.Files())
        if (!entry->isDirectory() && !entry->FromPreviousSession && !entry->SourcePath.empty() &&
            entry->IsoDataLength > 0)
            files.push_back(entry.get());
    std::stable_sort(files.begin(), files.end(),
                     [](const TFEntry *a, const TFEntry *b) { return a->IsoLocation < b->IsoLocation; });
    for (const TFEntry *file : files)
        entries.push_back(CacheEntry{file->SourcePath, file->IsoDataLength, file->Attr});
    return entries;
}

bool TSarnixBurner::startWrite(std::int32_t blockSize, std::vector<CacheEntry> entries, bool burningImageFile,
                               bool toImageFile)
{
    CacheSettings settings;
    settings.cacheSize = CacheSize();
    settings.blockSize = blockSize;
    settings.padRequested = WritePostGap;
    settings.imageSize = sectorCount_ * kSector;
    if (!burningImageFile)
        settings.metadata = header_;
    settings.entries = std::move(entries);
    settings.burningImageFile = burningImageFile;
    cache_ = std::make_unique<TCacheThread>(std::move(settings));

    // The cache is waited for as long as it keeps filling; a source that
    // gives nothing for CacheStallLimitMs (a hung network share, a device
    // that never answers) ends the write before it starts.
    using Clock = std::chrono::steady_clock;
    auto lastProgress = Clock::now();
    std::int64_t filled = cache_->BytesInCache();
    while (!cache_->WaitUntilReady(std::chrono::milliseconds(100))) {
        std::string error = cache_->ErrorText();
        if (error.empty() && StopRequested())
            error = std::string(texts::kOperationAborted);
        if (error.empty()) {
            if (cache_->BytesInCache() != filled) {
                filled = cache_->BytesInCache();
                lastProgress = Clock::now();
                continue;
            }
            if (Clock::now() - lastProgress < std::chrono::milliseconds(CacheStallLimitMs))
                continue;
            error = std::string(texts::kCacheNotReady);
        }
        cache_->SetErrorText(error);
        cache_->Abort();
        {
            std::lock_guard lock(CriticalSection());
            LastSourceFile = cache_->CurrentFile();
            ResultText = error;
        }
        writeBusy_ = false;
        if (OnWriteDone)
            OnWriteDone(this, error);
        return false;
    }
    gWritingActive = true;
    writer_ = std::make_unique<TThWrite>(*this, *cache_,
                                         TThWrite::Job{toImageFile, burningImageFile, static_cast<std::uint8_t>(LastMediaCode())});
    writer_->Start();
    return true;
}

void TSarnixBurner::prepareDvdRw(int mediaCode)
{
    // FORMAT UNIT with format data: one descriptor of 8 bytes.
    auto list = [](std::uint8_t flags, std::uint32_t blocks, std::uint8_t type) {
        return std::array<std::uint8_t, 12>{0x00, flags, 0x00, 0x08,
                                            static_cast<std::uint8_t>(blocks >> 24), static_cast<std::uint8_t>(blocks >> 16),
                                            static_cast<std::uint8_t>(blocks >> 8), static_cast<std::uint8_t>(blocks),
                                            static_cast<std::uint8_t>(type << 2), 0x00, 0x00, 16};
    };
    constexpr std::uint8_t kFormatWithData = 0x11;
    bool accepted;
    if (mediaCode == kMediaDvdRwSequential)
        accepted = FormatUnit(kFormatWithData, list(0xA2, 1000, 0x15));
    else
        accepted = FormatUnit(kFormatWithData, list(0x82, 0, 0x13));
    if (!accepted)
        FormatUnit(kFormatWithData, list(0x82, 0, 0x15));
    // The drive formats in the background; it is given half an hour.
    constexpr int kStepMs = 5000;
    constexpr int kLimitMs = 30 * 60 * 1000;
    for (int waited = 0; waited < kLimitMs; waited += kStepMs) {
        pause(kStepMs);
        ReadDiscInformation();
        if (LastSense()[12] != 0x04)
            break;
    }
}

bool TSarnixBurner::beginWrite()
{
    // One write or erase at a time: a second one would drive the drive from
    // two threads, and change the layout and header the running write
    // streams. The running write's OnWriteDone is its own, so the refusal
    // is told through the debug channel.
    std::string_view refusal;
    if (erasing_)
        refusal = texts::kEraseRunning;
    else if (writeBusy_.exchange(true))
        refusal = texts::kWriteAlreadyRunning;
    if (!refusal.empty()) {
        EmitDebug(">>> " + std::string(refusal), 4);
        return false;
    }
    releaseLastWrite();
    stop_ = false;
    return true;
}

void TSarnixBurner::WriteThreadEnded()
{
    writeBusy_ = false;
}

bool TSarnixBurner::BurnProject()
{
    if (!beginWrite())
        return false;
    TestUnitReady(); // takes a medium change report before the disc is read
    const int mediaCode = GetMediaCode();
    if (mediaCode == kMediaDvdRwRestricted || mediaCode == kMediaDvdRwSequential)
        prepareDvdRw(mediaCode);
    nextWritableQuery_ = true;
    PrepareLayout(false, nullptr);
    BuildHeader(false, nullptr);
    nextWritableQuery_ = false;
    // A continue whose import could not read the last session would write a
    // session that hides the files it missed.
    if (ImportSessionNumber != 0 && LastImportFailed()) {
        const std::string error(texts::kPreviousSessionUnreadable);
        writeBusy_ = false;
        ResultText = error;
        if (OnWriteDone)
            OnWriteDone(this, error);
        return false;
    }
    return startWrite(blockSizeFor(mediaCode), projectEntries(), false, false);
}

bool TSarnixBurner::BurnImageFile(const std::string &FileName)
{
    if (!beginWrite())
        return false;
    std::int64_t size = 0;
    try {
        TFileStreamEx image(FileName, fmOpenReadShared);
        size = image.GetSize();
    } catch (const StreamError &) {
        size = -1;
    }
    if (size <= 0) {
        const std::string error = texts::fillText(texts::kCantOpenFile, FileName);
        writeBusy_ = false;
        ResultText = error;
        if (OnWriteDone)
            OnWriteDone(this, error);
        return false;
    }
    sectorCount_ = (size + kSector - 1) / kSector;
    TestUnitReady(); // takes a medium change report before the disc is read
    const int mediaCode = GetMediaCode();
    // As for a project: a minimally blanked DVD-RW takes no incremental
    // writes until it is prepared.
    if (mediaCode == kMediaDvdRwRestricted || mediaCode == kMediaDvdRwSequential)
        prepareDvdRw(mediaCode);
    return startWrite(blockSizeFor(mediaCode), {CacheEntry{FileName, size, 0}}, true, false);
}

int TSarnixBurner::SaveImageFile(const std::string &FileName, bool Direct)
{
    if (!beginWrite())
        return -1;
    ISOFileName = FileName;
    PrepareLayout(true, nullptr);
    BuildHeader(true, nullptr);
    if (!Direct) {
        startWrite(kBlockSize, projectEntries(), false, true);
        return -1;
    }
    const std::string error = writeImageDirect(FileName, header_, layout_, tree_, Bootable ? BootImageFile : std::string{},
                                               [this](const std::string &message) { EmitDebug(message, 4); },
                                               [this] { return StopRequested(); });
    writeBusy_ = false;
    if (OnWriteDone)
        OnWriteDone(this, error);
    return error.empty() ? 1 : -1;
}

} // namespace zelvane
