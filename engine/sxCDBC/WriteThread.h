// TThWrite: the writing thread. It takes the image block by block from the
// read-ahead cache and writes it to the drive (WRITE (10) from the session's
// start, with the drive prepared before and flushed, closed and restored
// after) or appends it to a new image file. Every run ends with exactly one
// OnWriteDone of the burner.
#pragma once

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace zelvane {

class TSarnixBurner;
class TCacheThread;

class TThWrite {
public:
    struct Job {
        bool ToImageFile = false;      // the target is the burner's ISOFileName
        bool BurningImageFile = false; // an existing ISO image, not a project
        // The medium the write was started for; stands in when the drive,
        // busy as the write begins, does not tell its medium again.
        std::uint8_t MediaCode = 0;
    };

    TThWrite(TSarnixBurner &burner, TCacheThread &cache, Job job);
    // Waits for the thread; the run has ended (OnWriteDone raised) by then.
    ~TThWrite();
    TThWrite(const TThWrite &) = delete;
    TThWrite &operator=(const TThWrite &) = delete;

    void Start();
    void Join();
    bool Joinable() const { return thread_.joinable(); }

private:
    void run();
    void writeToImageFile();
    void writeToDrive();
    void prepareDrive();
    bool rewriteLeadingDescriptors(std::int32_t firstBlock, int &attempts);
    bool rewriteDescriptorSet();
    bool formatBlankDvdPlusRw();
    bool writeBlocks(std::int32_t length, int attempts);
    bool writeBlockToDrive(std::uint32_t lba, std::int32_t bytes, int &attempts);
    std::int32_t nextBlock();
    void noteBlock(std::int32_t bytes);
    void finishDrive();
    void flushDrive();
    bool checkFinishing(bool done);
    void closeSession();
    void restoreDrive();
    void complete();

    bool busyFailure() const;
    bool stopRequested() const;
    void failWith(const std::string &text);
    std::string writerError() const;

    TSarnixBurner &burner_;
    TCacheThread &cache_;
    Job job_;
    std::vector<std::uint8_t> buffer_;
    std::uint8_t mediaCode_ = 0;
    std::uint8_t trackNumber_ = 1;
    bool bufferQuerySupported_ = false;
    bool formatTried_ = false;
    int pollCounter_ = 5;
    std::int64_t sectorsWritten_ = 0;
    std::int64_t sectorsToWrite_ = 0;
    std::uint32_t sessionStart_ = 0;
    int imageFile_ = -1;
    std::thread thread_;
};

} // namespace zelvane
