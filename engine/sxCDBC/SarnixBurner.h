// TSarnixBurner: the burner component. It holds the disc project (the tree
// of files and folders), lays it out as an ISO 9660 + Joliet (+ El Torito)
// session, builds the session's metadata in memory and writes images.
#pragma once

#include "sxCDBC/DiscReader.h"
#include "sxCDBC/SessionImport.h"
#include "sxDrvLib/ScsiDevice.h"
#include "sxISOLib/DateTime.h"
#include "sxISOLib/DirListing.h"
#include "sxISOLib/DiscTree.h"
#include "sxISOLib/HeaderBuilder.h"
#include "sxISOLib/ImageLayout.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zelvane {

class TCacheThread;
class TThWrite;
struct CacheEntry;
class TEraseThread;

// Ends an erase thread (waiting for it) where its type is known.
struct EraseThreadDeleter {
    void operator()(TEraseThread *thread) const;
};

class TSarnixBurner : public TSCSIDevice {
public:
    using TAddFileEvent = std::function<void(TSarnixBurner *Sender, const std::string &FullPath,
                                             std::string &LongFileName, std::string &ShortFileName,
                                             TDateTime &DateTime, std::int32_t Attr, std::int64_t FileSize,
                                             bool &Skip)>;
    using TAddDirEvent = std::function<void(TSarnixBurner *Sender, std::string &LongName, std::string &ShortName,
                                            bool &Skip)>;
    using TWriteDoneEvent = std::function<void(TSarnixBurner *Sender, const std::string &Error)>;
    using TNotifyEvent = std::function<void(TSarnixBurner *Sender)>;
    using TEraseDoneEvent = std::function<void(TSarnixBurner *Sender, bool WithError)>;

    static constexpr const char *kVersion = "1.21";

    // Runs a call synchronously on the interface thread and returns when it
    // has run. The wizard passes a blocking queued call into its event loop;
    // without a dispatcher the call runs at once on the calling thread.
    using TDispatcher = std::function<void(const std::function<void()> &Call)>;

    TSarnixBurner();
    // Ends what still runs (EndOperations).
    ~TSarnixBurner() override;
    TSarnixBurner(const TSarnixBurner &) = delete;
    TSarnixBurner &operator=(const TSarnixBurner &) = delete;

    // Published properties served by the device layer (DoDebug,
    // OnDebugMessage, OnDeviceChange, DeviceBufferSize, DeviceFreeBufferSize,
    // UnderrunProtection, ReadSpeed and FinalizeDisc come from TSCSIDevice).
    bool TestWrite = false;
    bool FinalizeTrack = true;
    bool PerformOPC = false;
    TEraseDoneEvent OnEraseDone;
    // WriteSpeed (KB/s) is the device's; setting it sends it to the drive.

    // Published properties of the project.
    bool ReplaceFile = false;
    std::string IdVolume, IdSystem, IdVolumeSet, IdPublisher, IdPreparer, IdApplication;
    std::string FileCopyright, FileAbstract, FileBibliographic;
    TDateTime DateCreation = 0;
    TDateTime DateModification = 0;
    TDateTime DateEffective = 0;   // stored only: the image carries the empty date
    TDateTime DateExpiration = 0;  // stored only
    std::string ISOFileName;
    bool JolietFileSystem = true;
    bool WritePostGap = true;
    TAddFileEvent OnAddFile;
    TAddDirEvent OnAddDir;  // declared; no operation raises it
    TWriteDoneEvent OnWriteDone;
    TNotifyEvent OnFinalizingTrack;

    std::int32_t CacheSize() const { return cacheSize_; }
    void SetCacheSize(std::int32_t value);
    std::string Version() const { return kVersion; }
    void SetVersion(const std::string &) {}

    // Unpublished settings.
    bool Bootable = false;
    std::string BootImageFile;
    std::int16_t ImportSessionNumber = 0;
    // Longest time the read-ahead cache may go without new data while it
    // fills before a write; then the write ends with
    // "READ-AHEAD CACHE DID NOT START".
    std::int32_t CacheStallLimitMs = 30000;
    // First sector of the new session; 0 for a blank disc or an image file.
    std::uint32_t SessionStart = 0;

    // The disc tree.
    bool ClearProject(int MaxFiles, int MaxDirs);
    TDEntry *FindDirectory(const std::string &Path) const;
    TDEntry *MakeDirectoryPath(const std::string &Path);
    TDEntry *CreateDirectoryEntry(TDEntry *Parent, const std::string &Name, std::int32_t Attr);
    TDEntry *AddDirectoryEntry(TDEntry *Parent, const TSearchRecord &Description);
    // 0: no such destination, 1: handed to AddFileEntry, -1: no such source file.
    int AddFile(const std::string &DestPath, const std::string &SourceFile, bool UseSourcePath);
    int AddFileEntry(TDEntry *Directory, const TSearchRecord &Description, std::uint8_t Tag,
                     std::uint32_t DiscLocation, const std::string &SourcePath);
    bool RenameEntry(const std::string &DirPath, const std::string &OldLongName, const std::string &NewLongName,
                     const std::string &NewShortName);
    bool RemoveEntry(const std::string &DirPath, const std::string &LongName);
    bool RemoveEmptyDirectories();
    TDiscTree &Tree() { return tree_; }
    const TDiscTree &Tree() const { return tree_; }

    // Layout and header.
    bool PrepareLayout(bool ToImage, TDEntry *ImportRoot);
    bool BuildHeader(bool ToImage, TDEntry *ImportRoot);
    std::int64_t SectorsToWrite() const;
    const TImageLayout &Layout() const { return layout_; }
    std::uint32_t FirstFileLocation() const { return layout_.FirstFileLocation; }
    std::int64_t VolumeSpaceSize() const { return layout_.VolumeSpaceSize; }
    std::int64_t SectorCount() const { return sectorCount_; }
    const std::vector<std::uint8_t> &HeaderBuffer() const { return header_; }
    const KeptDescriptors &KeptHeaderCopy() const { return kept_; }
    // Offset of the local zone read by ClearProject, in 15-minute units.
    int TimeZoneOffset() const { return timeZoneOffset_; }

    // Earlier sessions. ImportSession reads session Number (255: the last)
    // below Root (none: the project root); ExtractFile copies an imported
    // file from the disc to a local file, or creates an imported folder.
    // Both read the drive unless another reader was set (tests, fuzzing).
    bool ImportSession(std::uint8_t Number, TDEntry *Root);
    bool ExtractFile(const TFEntry &Entry, const std::string &TargetFile);
    void SetDiscReader(std::unique_ptr<DiscReader> reader) { discReader_ = std::move(reader); }
    // How the last import went; a disc-mode layout that imports nothing
    // leaves NothingToImport.
    ImportOutcome LastImportOutcome() const { return importOutcome_; }
    // True when the last import met a session it could not read whole: a
    // new session written after it would hide some of its files.
    bool LastImportFailed() const
    {
        return importOutcome_ == ImportOutcome::Failed || importOutcome_ == ImportOutcome::Incomplete;
    }
    DiscReader &Reader();


    // --- Write control. Each operation ends with exactly one OnWriteDone.

    // Writes the project to the disc as a new session. True when the
    // writing thread was started.
    bool BurnProject();
    // Writes an existing image file to the disc. True when the writing
    // thread was started.
    bool BurnImageFile(const std::string &FileName);
    // Writes the project into an image file: with Direct in the calling
    // thread (1 when written), otherwise through the cache and the writing
    // thread (-1, the outcome comes with OnWriteDone).
    int SaveImageFile(const std::string &FileName, bool Direct);
    // Asks the running write to stop; it ends with "OPERATION ABORTED BY USER".
    void CancelWrite();
    // Cache fill in percent while a write runs, else 0.
    std::int32_t CacheFillPercent() const;
    // Raises OnWriteDone(this, ResultText) when it is assigned.
    void ReportWriteDone();
    // True from the start of the writing thread until just before OnWriteDone.
    static bool WriteRunning();
    // Waits until the threads of the last write have ended.
    void WaitForWriteEnd();
    // Runs a call through the dispatcher.
    void Synchronize(const std::function<void()> &Call);
    TDispatcher Dispatcher;

    // The next writable address of the disc becomes SessionStart (used by
    // the disc-mode layout while BurnProject has the query switched on).
    bool QueryNextWritableAddress();

    // State shared with the writing thread; LastSourceFile and ResultText
    // are guarded by the critical section.
    std::atomic<std::int64_t> BytesWritten{0};
    std::string LastSourceFile;
    std::string ResultText;
    bool StopRequested() const;
    void EndWrite();
    // Called by the writing thread last of all: the burner may write again.
    void WriteThreadEnded();
    // Settings of the last cache (for its fill level and tests).
    const TCacheThread *Cache() const { return cache_.get(); }

    // Erases a rewritable disc: type 0 full, 1 quick. Answers whether the
    // drive took the blanking command; the end (or a refusal) is reported
    // through OnEraseDone, exactly once per call.
    bool Erase(std::uint8_t Type);
    bool Erasing() const { return erasing_; }
    // 0..100 while Erasing, else 0.
    std::int32_t EraseProgress() const;
    // Type of the last erase started.
    std::uint8_t EraseType() const { return eraseType_; }
    // Stops a running write, makes a running erase stop waiting for the
    // drive, and waits until their threads have ended; their events have
    // been raised by then. Not to be called on the interface thread while a
    // worker waits there for its event.
    void EndOperations();
    // Set by EndOperations until the next erase: the erase stops waiting.
    bool EraseAbandoned() const { return eraseAbandoned_; }
    // The thread of the last erase started, if any.
    const TEraseThread *EraseThread() const { return eraseThread_.get(); }

private:
    friend class TEraseThread;
    bool StartBlanking(std::uint8_t mediaCode, std::uint8_t type);
    // Writes `count` units of 32 zero sectors from LBA 0; true when all were taken.
    bool WriteZeroUnits(std::uint32_t count, bool stopAtFailure);
    bool RefuseErase();
    // Called by the erase thread last of all.
    void EndErase(bool withError);

    // False (and told) when a write or an erase of this burner runs;
    // otherwise the burner counts as writing from here on, the threads of
    // the last write are gone and no stop is pending.
    bool beginWrite();
    bool startWrite(std::int32_t blockSize, std::vector<CacheEntry> entries, bool burningImageFile,
                    bool toImageFile);
    std::vector<CacheEntry> projectEntries() const;
    void releaseLastWrite();
    void prepareDvdRw(int mediaCode);
    void pause(int ms);
    std::uint32_t volumeEndOfGrowingSession();

    void reportLocation(const char *label, std::int64_t sector);

    TDiscTree tree_;
    std::unique_ptr<DiscReader> discReader_;
    ImportOutcome importOutcome_ = ImportOutcome::NothingToImport;
    DirectoryLookup lookup_;
    TImageLayout layout_;
    std::int64_t sectorCount_ = 0;
    std::vector<std::uint8_t> header_;
    KeptDescriptors kept_;
    std::int32_t cacheSize_ = 4194304;
    int timeZoneOffset_ = 0;
    bool nextWritableQuery_ = false;
    std::atomic<bool> stop_{false};
    // A write of this burner is under way, from its start until its thread ended.
    std::atomic<bool> writeBusy_{false};
    std::unique_ptr<TCacheThread> cache_;
    std::unique_ptr<TThWrite> writer_;
    std::atomic<bool> erasing_{false};
    std::atomic<bool> eraseAbandoned_{false};
    std::uint8_t eraseType_ = 1;
    std::unique_ptr<TEraseThread, EraseThreadDeleter> eraseThread_;
    // Threads of earlier erases that were still delivering their event.
    std::vector<std::unique_ptr<TEraseThread, EraseThreadDeleter>> finishedErases_;
};

} // namespace zelvane
