#include "sxCache/CacheThread.h"

#include "sxConst/EngineTexts.h"
#include "sxConst/ImageTexts.h"
#include "sxConst/TextFormat.h"
#include "sxStreamEx/StreamEx.h"

#include <algorithm>
#include <cstring>

namespace zelvane {

namespace {

constexpr std::int32_t kSector = 2048;
constexpr std::uint32_t kDirectoryAttr = 0x10;

std::int32_t wholeSectors(std::int32_t bytes) { return (bytes + kSector - 1) / kSector * kSector; }

std::int32_t validBlockSize(std::int32_t asked)
{
    const std::int32_t size = std::clamp(asked, kSector, TCacheThread::kMaxBlockSize);
    return size - size % kSector;
}

} // namespace

TCacheThread::TCacheThread(CacheSettings settings)
    : settings_(std::move(settings)),
      blockSize_(validBlockSize(settings_.blockSize)),
      cacheBytes_(settings_.cacheSize),
      blockCount_(std::max(2, settings_.cacheSize / blockSize_)),
      padToMinimum_(settings_.padRequested && !settings_.burningImageFile &&
                    settings_.imageSize < kMinimumTrackBytes)
{
    bytesRemaining_ = settings_.imageSize;
    thread_ = std::thread(&TCacheThread::run, this);
}

TCacheThread::~TCacheThread()
{
    Abort();
    if (thread_.joinable())
        thread_.join();
}

void TCacheThread::run()
{
    if (!settings_.burningImageFile && !copyMetadata())
        return;
    for (const CacheEntry &entry : settings_.entries) {
        if ((entry.attr & kDirectoryAttr) || entry.path.empty() || entry.size <= 0)
            continue;
        if (!streamEntry(entry))
            return;
    }
    if (padToMinimum_ && !padToMinimumTrack())
        return;
    if (fill_ > 0 && !queueAssembled(false))
        return;
    finish();
}

bool TCacheThread::copyMetadata()
{
    const auto &metadata = settings_.metadata;
    std::size_t done = 0;
    while (done < metadata.size()) {
        if (!assembling_.data)
            assembling_.data = std::make_unique_for_overwrite<std::uint8_t[]>(kMaxBlockSize);
        const std::size_t chunk = std::min<std::size_t>(blockSize_ - fill_, metadata.size() - done);
        std::memcpy(assembling_.data.get() + fill_, metadata.data() + done, chunk);
        const auto padded = wholeSectors(static_cast<std::int32_t>(chunk));
        std::memset(assembling_.data.get() + fill_ + chunk, 0, static_cast<std::size_t>(padded) - chunk);
        fill_ += padded;
        bytesInCache_ += padded;
        done += chunk;
        if (aborted())
            return false;
        if (fill_ == blockSize_ && !queueAssembled(true))
            return false;
    }
    // The metadata now lives in the blocks.
    std::vector<std::uint8_t>().swap(settings_.metadata);
    return true;
}

bool TCacheThread::streamEntry(const CacheEntry &entry)
{
    {
        std::lock_guard lock(mutex_);
        currentFile_ = entry.path;
    }
    std::unique_ptr<TFileStreamEx> source;
    try {
        source = std::make_unique<TFileStreamEx>(entry.path, fmOpenReadShared);
    } catch (const StreamError &) {
        return fail(texts::fillText(texts::kCantOpenFile, entry.path));
    }
    const std::string changed = texts::fillText(texts::kSourceFileChanged, entry.path);
    std::int64_t left = entry.size;
    while (left > 0) {
        if (!assembling_.data)
            assembling_.data = std::make_unique_for_overwrite<std::uint8_t[]>(kMaxBlockSize);
        const auto chunk = static_cast<std::int32_t>(std::min<std::int64_t>(blockSize_ - fill_, left));
        std::uint8_t *at = assembling_.data.get() + fill_;
        // A file that became shorter than its recorded size ends the write:
        // its sectors are laid out and cannot be filled with its data.
        if (source->ReadFully(at, chunk) != chunk)
            return fail(changed);
        const std::int32_t padded = wholeSectors(chunk);
        std::memset(at + chunk, 0, static_cast<std::size_t>(padded - chunk));
        fill_ += padded;
        bytesInCache_ += padded;
        left -= chunk;
        if (aborted())
            return false;
        if (fill_ == blockSize_ && !queueAssembled(true))
            return false;
    }
    // Nor may it have grown: the image would silently lose its end.
    std::uint8_t extra = 0;
    if (source->Read(&extra, 1) > 0)
        return fail(changed);
    return true;
}

bool TCacheThread::padToMinimumTrack()
{
    std::int64_t padding = kMinimumTrackBytes - settings_.imageSize;
    bytesRemaining_ += padding;
    while (padding > 0) {
        if (!assembling_.data)
            assembling_.data = std::make_unique_for_overwrite<std::uint8_t[]>(kMaxBlockSize);
        const auto chunk = static_cast<std::int32_t>(std::min<std::int64_t>(blockSize_ - fill_, padding));
        std::memset(assembling_.data.get() + fill_, 0, static_cast<std::size_t>(chunk));
        fill_ += chunk;
        bytesInCache_ += chunk;
        padding -= chunk;
        if (aborted())
            return false;
        if (fill_ == blockSize_ && !queueAssembled(true))
            return false;
    }
    return true;
}

bool TCacheThread::queueAssembled(bool waitAfter)
{
    {
        std::lock_guard lock(mutex_);
        if (aborted())
            return false;
        blocks_.push_back(Block{std::move(assembling_.data), fill_});
        peakQueue_ = std::max(peakQueue_, blocks_.size());
        fill_ = 0;
    }
    dataQueued_.notify_all();
    return !waitAfter || waitForRoom();
}

bool TCacheThread::waitForRoom()
{
    std::unique_lock lock(mutex_);
    const auto limit = static_cast<std::size_t>(blockCount_ - 1);
    if (blocks_.size() >= limit && !ready_) {
        ready_ = true;
        stateChanged_.notify_all();
    }
    roomFreed_.wait(lock, [&] { return blocks_.size() < limit || aborted(); });
    return !aborted();
}

bool TCacheThread::fail(const std::string &text)
{
    {
        std::lock_guard lock(mutex_);
        if (errorText_.empty())
            errorText_ = text;
        finished_ = true;
    }
    dataQueued_.notify_all();
    stateChanged_.notify_all();
    return false;
}

void TCacheThread::finish()
{
    {
        std::lock_guard lock(mutex_);
        dataComplete_ = true;
        ready_ = true;
        finished_ = true;
    }
    dataQueued_.notify_all();
    stateChanged_.notify_all();
}

std::int32_t TCacheThread::ReadBlock(std::uint8_t *Destination)
{
    Block block;
    {
        std::lock_guard lock(mutex_);
        if (aborted())
            return 0;
        if (blocks_.empty())
            return dataComplete_ || finished_ ? 0 : -1;
        block = std::move(blocks_.front());
        blocks_.pop_front();
        bytesInCache_ -= block.length;
        bytesRemaining_ -= block.length;
    }
    roomFreed_.notify_all();
    std::memcpy(Destination, block.data.get(), static_cast<std::size_t>(block.length));
    return block.length;
}

void TCacheThread::WaitForBlock(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    dataQueued_.wait_for(lock, limit, [&] { return !blocks_.empty() || dataComplete_ || finished_ || aborted(); });
}

void TCacheThread::Abort()
{
    {
        std::lock_guard lock(mutex_);
        abortRequested_ = true;
        blocks_.clear();
        bytesInCache_ = 0;
        if (errorText_.empty())
            errorText_ = std::string(texts::kOperationAborted);
        finished_ = true;
    }
    roomFreed_.notify_all();
    dataQueued_.notify_all();
    stateChanged_.notify_all();
}

bool TCacheThread::WaitUntilReady(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    stateChanged_.wait_for(lock, limit, [&] { return ready_ || finished_ || !errorText_.empty(); });
    return ready_ && errorText_.empty();
}

std::string TCacheThread::ErrorText() const
{
    std::lock_guard lock(mutex_);
    return errorText_;
}

void TCacheThread::SetErrorText(const std::string &text)
{
    std::lock_guard lock(mutex_);
    if (errorText_.empty())
        errorText_ = text;
}

std::string TCacheThread::CurrentFile() const
{
    std::lock_guard lock(mutex_);
    return currentFile_;
}

std::size_t TCacheThread::PeakQueueLength() const
{
    std::lock_guard lock(mutex_);
    return peakQueue_;
}

} // namespace zelvane
