#include "sxCDBC/DirectImageWriter.h"

#include "sxConst/ImageTexts.h"
#include "sxConst/TextFormat.h"
#include "sxISOLib/DiscTree.h"
#include "sxISOLib/IsoRecords.h"
#include "sxStreamEx/StreamEx.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace zelvane {

namespace {

constexpr std::int64_t kPiece = 131072;

// Copies up to `count` bytes from the source's position to the target's with
// copy_file_range; returns how many were copied (0 when the kernel cannot).
std::int64_t copyInKernel(TFileStreamEx &source, TFileStreamEx &target, std::int64_t count)
{
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t moved = ::copy_file_range(source.Handle, nullptr, target.Handle, nullptr,
                                                static_cast<std::size_t>(std::min<std::int64_t>(count - done, 1 << 30)), 0);
        if (moved <= 0)
            break;
        done += moved;
    }
    return done;
}

// Copies `size` bytes of a source file and zero-fills its last sector. A
// missing or changed source still yields exactly its laid-out sectors
// (zeros where data is missing), and the failure text is returned.
std::string copySource(TFileStreamEx &target, const std::string &path, std::int64_t size, std::vector<char> &buffer,
                       bool &writeFailed)
{
    std::string failure;
    std::unique_ptr<TFileStreamEx> source;
    try {
        source = std::make_unique<TFileStreamEx>(path, fmOpenReadShared);
    } catch (const StreamError &) {
        failure = texts::fillText(texts::kCantOpenFile, path);
    }
    // The kernel copies the data where it can; read and write do the rest.
    std::int64_t copied = source ? copyInKernel(*source, target, size) : 0;
    std::int64_t left = size - copied;
    while (left > 0) {
        const std::int64_t piece = std::min(left, kPiece);
        const std::int64_t padded = left == piece ? sectorsFor(size) * kSectorSize - (size - left) : piece;
        std::int64_t got = source ? source->ReadFully(buffer.data(), piece) : 0;
        if (got < piece && failure.empty())
            failure = texts::fillText(texts::kSourceFileChanged, path);
        std::memset(buffer.data() + got, 0, static_cast<std::size_t>(padded - got));
        if (!target.WriteFully(buffer.data(), padded)) {
            writeFailed = true;
            return failure;
        }
        left -= piece;
    }
    const std::int64_t tail = sectorsFor(size) * kSectorSize - size;
    if (copied == size && tail > 0) {
        std::memset(buffer.data(), 0, static_cast<std::size_t>(tail));
        if (!target.WriteFully(buffer.data(), tail)) {
            writeFailed = true;
            return failure;
        }
    }
    if (source && failure.empty() && source->GetSize() != size)
        failure = texts::fillText(texts::kSourceFileChanged, path);
    return failure;
}

} // namespace

std::string writeImageDirect(const std::string &fileName, const std::vector<std::uint8_t> &header,
                             const TImageLayout &layout, const TDiscTree &tree, const std::string &bootImageFile,
                             const std::function<void(const std::string &)> &report)
{
    std::unique_ptr<TFileStreamEx> target;
    try {
        target = std::make_unique<TFileStreamEx>(fileName, fmCreate);
    } catch (const StreamError &) {
        return texts::fillText(texts::kCantCreateFile, fileName);
    }
    const std::string writeError = texts::fillText(texts::kCantWriteFile, fileName);
    if (!target->WriteFully(header.data(), static_cast<std::int64_t>(header.size())))
        return writeError;

    std::vector<char> buffer(static_cast<std::size_t>(kPiece + kSectorSize));
    std::string firstFailure;
    bool writeFailed = false;
    auto note = [&](const std::string &failure) {
        if (firstFailure.empty() && !failure.empty())
            firstFailure = failure;
    };

    if (layout.Bootable) {
        // The boot image takes exactly its laid-out sectors, right after the catalog.
        note(copySource(*target, bootImageFile, layout.BootImageSize, buffer, writeFailed));
        if (writeFailed)
            return writeError;
    }

    for (const auto &entry : tree.Files()) {
        if (entry->isDirectory() || entry->FromPreviousSession || entry->IsoDataLength <= 0 || entry->SourcePath.empty())
            continue;
        const std::int64_t expected = layout.FirstFileLocation + static_cast<std::int64_t>(entry->IsoLocation);
        const std::int64_t actual = target->Seek(0, soFromCurrent) / kSectorSize + layout.SessionStart;
        if (expected != actual)
            report(">>> " + std::string(texts::kInternalError0004) + " " + entry->SourcePath + " " +
                   std::to_string(expected) + "<>" + std::to_string(actual));
        note(copySource(*target, entry->SourcePath, entry->IsoDataLength, buffer, writeFailed));
        if (writeFailed)
            return writeError;
    }
    return firstFailure;
}

} // namespace zelvane
