// TCacheThread: the read-ahead cache. A producer thread turns the image
// (metadata sectors, boot image, project files, or an existing ISO image)
// into a queue of blocks of whole sectors; the writing thread takes them
// one at a time. The queue holds at most BlockCount - 1 blocks; the writer
// may start once the cache is Ready (full, or all data read).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zelvane {

// One source file of the image, in the order of its extent.
struct CacheEntry {
    std::string path;
    std::int64_t size = 0;
    std::uint32_t attr = 0;  // entries with the directory bit 0x10 are skipped
};

struct CacheSettings {
    std::int32_t cacheSize = 33554432;
    std::int32_t blockSize = 65536;
    bool padRequested = false;           // WritePostGap: pad a short image to 300 sectors
    std::int64_t imageSize = 0;          // bytes of the image (whole sectors)
    std::vector<std::uint8_t> metadata;  // the leading sectors built by the layout
    // The sources after the metadata: the boot image, then the project's
    // files in extent order; or the ISO image being burned as the only one.
    std::vector<CacheEntry> entries;
    bool burningImageFile = false;       // an existing ISO image: no metadata, no padding
};

class TCacheThread {
public:
    static constexpr std::int32_t kMaxBlockSize = 65536;
    static constexpr std::int64_t kMinimumTrackBytes = 614400;  // 300 sectors

    // Stores the settings and starts the producer at once.
    explicit TCacheThread(CacheSettings settings);
    // Aborts the producer and waits for it; queued blocks go with the object.
    ~TCacheThread();
    TCacheThread(const TCacheThread &) = delete;
    TCacheThread &operator=(const TCacheThread &) = delete;

    // Consumer: copies the oldest block into Destination (at least 65536
    // bytes) and answers its length; -1 when no block is there yet; 0 at the
    // end of the data and after an error or an abort.
    std::int32_t ReadBlock(std::uint8_t *Destination);
    // Consumer: waits (at most `limit`) until ReadBlock has something to
    // answer other than -1.
    void WaitForBlock(std::chrono::milliseconds limit);
    // Stops the producer and throws the queue away.
    void Abort();

    // Waits until the cache is Ready or has failed; true when Ready with no
    // error. A wait that runs out answers false with no error text.
    bool WaitUntilReady(std::chrono::milliseconds limit);
    bool Ready() const { return ready_.load(); }
    bool Finished() const { return finished_.load(); }

    std::string ErrorText() const;
    // Leaves the text that ends the write (kept when one is already there).
    void SetErrorText(const std::string &text);
    std::string CurrentFile() const;

    std::int64_t BytesInCache() const { return bytesInCache_.load(); }
    std::int64_t BytesRemaining() const { return bytesRemaining_.load(); }
    std::int32_t BlockSize() const { return blockSize_; }
    std::int32_t BlockCount() const { return blockCount_; }
    std::int32_t CacheBytes() const { return cacheBytes_; }
    bool PadToMinimum() const { return padToMinimum_; }
    // Largest number of blocks that waited in the queue at one time.
    std::size_t PeakQueueLength() const;

private:
    struct Block {
        std::unique_ptr<std::uint8_t[]> data;
        std::int32_t length = 0;
    };

    void run();
    bool copyMetadata();
    bool streamEntry(const CacheEntry &entry);
    bool padToMinimumTrack();
    bool queueAssembled(bool waitAfter);
    bool waitForRoom();
    bool fail(const std::string &text);
    bool aborted() const { return abortRequested_.load(); }
    void markReady();
    void finish();

    CacheSettings settings_;
    const std::int32_t blockSize_;
    const std::int32_t cacheBytes_;
    const std::int32_t blockCount_;
    const bool padToMinimum_;

    mutable std::mutex mutex_;
    std::condition_variable roomFreed_;    // the consumer took a block, or abort
    std::condition_variable dataQueued_;   // a block arrived, or the producer ended
    std::condition_variable stateChanged_; // Ready, error or finished
    std::deque<Block> blocks_;
    std::size_t peakQueue_ = 0;
    std::string errorText_;
    std::string currentFile_;
    bool dataComplete_ = false;  // every block of the image is queued

    std::atomic<bool> abortRequested_{false};
    std::atomic<bool> ready_{false};
    std::atomic<bool> finished_{false};
    std::atomic<std::int64_t> bytesInCache_{0};
    std::atomic<std::int64_t> bytesRemaining_{0};

    // The block being assembled and its fill offset.
    Block assembling_;
    std::int32_t fill_ = 0;

    std::thread thread_;
};

} // namespace zelvane
