// TSarnixBurner: the burner component. It holds the disc project (the tree
// of files and folders), lays it out as an ISO 9660 + Joliet (+ El Torito)
// session, builds the session's metadata in memory and writes images.
#pragma once

#include "sxCDBC/InterfaceCall.h"
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

class TEraseThread;

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

    TSarnixBurner();
    // Waits for a running erase thread. Not to be called on the interface
    // thread while that thread waits there for OnEraseDone.
    ~TSarnixBurner() override;
    TSarnixBurner(const TSarnixBurner &) = delete;
    TSarnixBurner &operator=(const TSarnixBurner &) = delete;

    // Published properties served by the device layer (DoDebug,
    // OnDebugMessage and OnDeviceChange come from TSCSIDevice).
    std::uint32_t DeviceBufferSize = 0;
    std::uint32_t DeviceFreeBufferSize = 0;
    bool UnderrunProtection = true;
    std::uint16_t ReadSpeed = 0;
    bool FinalizeDisc = false;
    bool TestWrite = false;
    bool FinalizeTrack = true;
    bool PerformOPC = false;
    TEraseDoneEvent OnEraseDone;
    std::uint16_t WriteSpeed() const { return writeSpeed_; }
    void SetWriteSpeed(std::uint16_t value) { writeSpeed_ = value; }

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

    // Writes the project into an image file in the calling thread and raises
    // OnWriteDone with an empty text or the failure. 1 when Direct and the
    // image was written; -1 otherwise, as for a write handed to the threads.
    int SaveImageFile(const std::string &FileName, bool Direct);

    // Runs the completion events of the worker threads on the interface
    // thread; when unset they run on the worker itself.
    TInterfaceCall Synchronize;
    void RunOnInterfaceThread(const std::function<void()> &work);

    // Erases a rewritable disc: type 0 full, 1 quick. Answers whether the
    // drive took the blanking command; the end (or a refusal) is reported
    // through OnEraseDone, exactly once per call.
    bool Erase(std::uint8_t Type);
    bool Erasing() const { return erasing_; }
    // 0..100 while Erasing, else 0.
    std::int32_t EraseProgress() const;
    // Type of the last erase started.
    std::uint8_t EraseType() const { return eraseType_; }
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

    void reportLocation(const char *label, std::int64_t sector);

    TDiscTree tree_;
    DirectoryLookup lookup_;
    TImageLayout layout_;
    std::int64_t sectorCount_ = 0;
    std::vector<std::uint8_t> header_;
    KeptDescriptors kept_;
    std::int32_t cacheSize_ = 4194304;
    std::uint16_t writeSpeed_ = 0;
    int timeZoneOffset_ = 0;
    std::atomic<bool> erasing_{false};
    std::uint8_t eraseType_ = 1;
    std::unique_ptr<TEraseThread> eraseThread_;
    // Threads of earlier erases that were still delivering their event.
    std::vector<std::unique_ptr<TEraseThread>> finishedErases_;
};

} // namespace zelvane
