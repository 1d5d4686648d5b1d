#include "sxCDBC/DirectImageWriter.h"

#include "sxConst/EngineTexts.h"
#include "sxConst/ImageTexts.h"
#include "sxConst/TextFormat.h"
#include "sxISOLib/DiscTree.h"
#include "sxISOLib/IsoRecords.h"
#include "sxStreamEx/StreamEx.h"
#include "sxStreamEx/TargetFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace zelvane {

namespace {

constexpr std::int64_t kPiece = 131072;

// Copies up to `count` bytes from the source's position to the target's with
// copy_file_range, a gigabyte at a time while `stopped` says no; returns how
// many were copied (0 when the kernel cannot).
std::int64_t copyInKernel(TFileStreamEx &source, THandleStreamEx &target, std::int64_t count,
                          const std::function<bool()> &stopped)
{
    std::int64_t done = 0;
    while (done < count && !stopped()) {
        const ssize_t moved = ::copy_file_range(source.Handle, nullptr, target.Handle, nullptr,
                                                static_cast<std::size_t>(std::min<std::int64_t>(count - done, 1 << 30)), 0);
        if (moved <= 0)
            break;
        done += moved;
    }
    return done;
}

// Copies `size` bytes of a source file and zero-fills its last sector.
// Answers an empty text, or why the copy failed: the source could not be
// read as it was laid out, the image could not be written (`writeError`),
// or a stop was asked for.
std::string copySource(THandleStreamEx &target, const std::string &path, std::int64_t size, std::vector<char> &buffer,
                       const std::string &writeError, const std::function<bool()> &stopped)
{
    std::unique_ptr<TFileStreamEx> source;
    try {
        source = std::make_unique<TFileStreamEx>(path, fmOpenReadShared);
    } catch (const StreamError &) {
        return texts::fillText(texts::kCantOpenFile, path);
    }
    const std::string changed = texts::fillText(texts::kSourceFileChanged, path);
    // The kernel copies the data where it can; read and write do the rest.
    const std::int64_t copied = copyInKernel(*source, target, size, stopped);
    std::int64_t left = size - copied;
    while (left > 0) {
        if (stopped())
            return std::string(texts::kOperationAborted);
        const std::int64_t piece = std::min(left, kPiece);
        const std::int64_t padded = left == piece ? sectorsFor(size) * kSectorSize - (size - left) : piece;
        if (source->ReadFully(buffer.data(), piece) < piece)
            return changed;
        std::memset(buffer.data() + piece, 0, static_cast<std::size_t>(padded - piece));
        if (!target.WriteFully(buffer.data(), padded))
            return writeError;
        left -= piece;
    }
    const std::int64_t tail = sectorsFor(size) * kSectorSize - size;
    if (copied == size && tail > 0) {
        std::memset(buffer.data(), 0, static_cast<std::size_t>(tail));
        if (!target.WriteFully(buffer.data(), tail))
            return writeError;
    }
    return source->GetSize() == size ? std::string{} : changed;
}

} // namespace

std::string writeImageDirect(const std::string &fileName, const std::vector<std::uint8_t> &header,
                             const TImageLayout &layout, const TDiscTree &tree, const std::string &bootImageFile,
                             const std::function<void(const std::string &)> &report,
                             const std::function<bool()> &stopped)
{
    // The image gets its name only when it is whole.
    std::unique_ptr<TTargetFileStream> target;
    try {
        target = std::make_unique<TTargetFileStream>(fileName);
    } catch (const StreamError &) {
        return texts::fillText(texts::kCantCreateFile, fileName);
    }
    const std::string writeError = texts::fillText(texts::kCantWriteFile, fileName);
    if (!target->WriteFully(header.data(), static_cast<std::int64_t>(header.size())))
        return writeError;

    std::vector<char> buffer(static_cast<std::size_t>(kPiece + kSectorSize));
    // The first failure ends the write; the unfinished image goes with it.
    auto copy = [&](const std::string &path, std::int64_t size) {
        return copySource(*target, path, size, buffer, writeError, stopped);
    };

    if (layout.Bootable) {
        // The boot image takes exactly its laid-out sectors, right after the catalog.
        if (const std::string failure = copy(bootImageFile, layout.BootImageSize); !failure.empty())
            return failure;
    }

    for (const auto &entry : tree.Files()) {
        if (entry->isDirectory() || entry->FromPreviousSession || entry->IsoDataLength <= 0 || entry->SourcePath.empty())
            continue;
        const std::int64_t expected = layout.FirstFileLocation + static_cast<std::int64_t>(entry->IsoLocation);
        const std::int64_t actual = target->Seek(0, soFromCurrent) / kSectorSize + layout.SessionStart;
        if (expected != actual)
            report(">>> " + std::string(texts::kInternalError0004) + " " + entry->SourcePath + " " +
                   std::to_string(expected) + "<>" + std::to_string(actual));
        if (const std::string failure = copy(entry->SourcePath, entry->IsoDataLength); !failure.empty())
            return failure;
    }
    return target->Commit() ? std::string{} : writeError;
}

} // namespace zelvane
