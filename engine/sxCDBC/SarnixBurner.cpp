#include "sxCDBC/SarnixBurner.h"

#include "sxCDBC/WriteThread.h"
#include "sxCache/CacheThread.h"

#include "sxConst/ImageTexts.h"
#include "sxISOLib/IsoRecords.h"

#include <cstdio>
#include <sys/stat.h>

namespace zelvane {

TSarnixBurner::TSarnixBurner()
{
    tree_.setReporter([this](const std::string &message, std::uint8_t level) { EmitDebug(message, level); });
    ClearProject(65535, 8191);
}

void TSarnixBurner::SetCacheSize(std::int32_t value)
{
    constexpr std::int32_t kMinimum = 2097152;
    cacheSize_ = value < kMinimum ? kMinimum : value - value % 2048;
}

DiscReader &TSarnixBurner::Reader()
{
    if (!discReader_)
        discReader_ = std::make_unique<DeviceDiscReader>(*this);
    return *discReader_;
}

bool TSarnixBurner::ClearProject(int MaxFiles, int MaxDirs)
{
    timeZoneOffset_ = localOffsetQuarterHours(decodeDateTime(nowDateTime()));
    header_.clear();
    lookup_.clear();
    tree_.ReplaceFile = ReplaceFile;
    tree_.Clear(MaxFiles, MaxDirs);
    return true;
}

TDEntry *TSarnixBurner::FindDirectory(const std::string &Path) const
{
    return tree_.FindDirectory(Path);
}

TDEntry *TSarnixBurner::MakeDirectoryPath(const std::string &Path)
{
    return tree_.MakeDirectoryPath(Path);
}

TDEntry *TSarnixBurner::CreateDirectoryEntry(TDEntry *Parent, const std::string &Name, std::int32_t Attr)
{
    return tree_.CreateDirectoryEntry(Parent, Name, Attr);
}

TDEntry *TSarnixBurner::AddDirectoryEntry(TDEntry *Parent, const TSearchRecord &Description)
{
    return tree_.AddDirectoryEntry(Parent, Description);
}

int TSarnixBurner::AddFileEntry(TDEntry *Directory, const TSearchRecord &Description, std::uint8_t Tag,
                                std::uint32_t DiscLocation, const std::string &SourcePath)
{
    tree_.ReplaceFile = ReplaceFile;
    TDiscTree::AddFileHandler handler;
    if (OnAddFile)
        handler = [this](const std::string &fullPath, std::string &longName, std::string &shortName,
                         TDateTime &dateTime, std::int32_t attr, std::int64_t size, bool &skip) {
            OnAddFile(this, fullPath, longName, shortName, dateTime, attr, size, skip);
        };
    return tree_.AddFileEntry(Directory, Description, Tag, DiscLocation, SourcePath, handler);
}

int TSarnixBurner::AddFile(const std::string &DestPath, const std::string &SourceFile, bool UseSourcePath)
{
    TDEntry *destination = nullptr;
    if (UseSourcePath) {
        // The folder of the source file, as a project path: /top/sub/f -> \top\sub.
        std::string folder = SourceFile.substr(0, SourceFile.rfind('/') + 1);
        for (char &c : folder)
            if (c == '/')
                c = '\\';
        destination = MakeDirectoryPath(folder.size() > 1 ? folder.substr(0, folder.size() - 1) : std::string{});
    } else {
        destination = FindDirectory(DestPath);
    }
    if (!destination) {
        EmitDebug(std::string(texts::kInvalidDestinationPath), 4);
        return 0;
    }
    const auto record = lookup_.find(SourceFile);
    if (!record || (record->Attr & faDirectory))
        return -1;
    AddFileEntry(destination, *record, 0, 0, SourceFile);
    return 1;
}

bool TSarnixBurner::RenameEntry(const std::string &DirPath, const std::string &OldLongName,
                                const std::string &NewLongName, const std::string &NewShortName)
{
    return tree_.RenameEntry(DirPath, OldLongName, NewLongName, NewShortName);
}

bool TSarnixBurner::RemoveEntry(const std::string &DirPath, const std::string &LongName)
{
    return tree_.RemoveEntry(DirPath, LongName);
}

bool TSarnixBurner::RemoveEmptyDirectories()
{
    return tree_.RemoveEmptyDirectories();
}

void TSarnixBurner::reportLocation(const char *label, std::int64_t sector)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s%08lld", label, static_cast<long long>(sector));
    EmitDebug(text, 1);
}

bool TSarnixBurner::PrepareLayout(bool ToImage, TDEntry *ImportRoot)
{
    struct stat info {};
    std::int64_t bootSize = 0;
    if (BootImageFile.empty() || ::stat(BootImageFile.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size == 0)
        Bootable = false;
    else
        bootSize = info.st_size;
    const bool debugWanted = DoDebug;
    DoDebug = false;
    if (ToImage)
        SessionStart = 0;
    if (!ToImage && nextWritableQuery_)
        QueryNextWritableAddress();
    importOutcome_ = ImportOutcome::NothingToImport;
    if (!ToImage && ImportSessionNumber != 0)
        ImportSession(static_cast<std::uint8_t>(ImportSessionNumber), ImportRoot);

    LayoutOptions options;
    options.Joliet = JolietFileSystem;
    options.Bootable = Bootable;
    options.BootImageSize = bootSize;
    options.SessionStart = SessionStart;
    layout_ = layoutImage(tree_, options);
    sectorCount_ = layout_.SectorCount;

    if (debugWanted) {
        reportLocation(" Primary Volume Descriptor Location   :", layout_.PrimaryDescriptor);
        if (layout_.Bootable)
            reportLocation(" Boot Record    Descriptor Location   :", layout_.BootRecord);
        if (layout_.Joliet)
            reportLocation(" Joliet Volume Descriptor Location    :", layout_.JolietDescriptor);
        reportLocation(" Terminator Vol Descriptor Location   :", layout_.Terminator);
        reportLocation(" Path Table Records Location (Least)  :", layout_.IsoPathTableL);
        reportLocation(" Path Table Records Location (Most)   :", layout_.IsoPathTableM);
        if (layout_.Joliet) {
            reportLocation(" Path Table Records Location (Least) J:", layout_.JolietPathTableL);
            reportLocation(" Path Table Records Location (Most)  J:", layout_.JolietPathTableM);
        }
        reportLocation(" File and Directory Record Location   :", layout_.IsoDirectoryArea);
        if (layout_.Joliet)
            reportLocation(" File and Directory Record Location  J:", layout_.JolietDirectoryArea);
        reportLocation(" First File Location                  :", layout_.FirstFileLocation);
    }
    return true;
}

bool TSarnixBurner::BuildHeader(bool /*ToImage*/, TDEntry * /*ImportRoot*/)
{
    VolumeIdentity identity{IdSystem, IdVolume, IdVolumeSet, IdPublisher, IdPreparer, IdApplication,
                            FileCopyright, FileAbstract, FileBibliographic, DateCreation, DateModification};
    buildHeader(tree_, layout_, identity, nowDateTime(), header_, kept_);
    sectorCount_ = layout_.SectorCount;
    DoDebug = true;
    return true;
}

std::int64_t TSarnixBurner::SectorsToWrite() const
{
    if (WritePostGap && sectorCount_ < 300)
        return 300;
    return sectorCount_;
}

} // namespace zelvane
