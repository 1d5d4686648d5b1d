#include "sxCDBC/DirectImageWriter.h"

#include "sxConst/ImageTexts.h"
#include "sxConst/TextFormat.h"
#include "sxISOLib/DiscTree.h"
#include "sxISOLib/IsoRecords.h"
#include "sxStreamEx/StreamEx.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace zelvane {

namespace {

constexpr std::int64_t kPiece = 131072;

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
    std::int64_t left = size;
    while (left > 0) {
        const std::int64_t piece = std::min(left, kPiece);
        const std::int64_t padded = sectorsFor(piece) * kSectorSize;
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

    std::vector<char> buffer(static_cast<std::size_t>(kPiece));
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
