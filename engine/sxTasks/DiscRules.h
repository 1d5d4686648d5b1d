// The rules both front ends apply before they write or erase a disc: which
// media a task refuses (and whether the disc is ejected for another),
// whether the data fit, need an erase first or are too large, whether the
// disc is closed because little space would stay free, and whether a disc is
// blank after an erase. Pure decisions over the facts a front end has read
// from its drive; the front end itself sends TEST UNIT READY and the eject.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelvane::tasks {

enum class BurnTask { NewDisc, ContinueDisc, BurnImage };

// What the drive told of the inserted disc (2048-byte blocks).
struct DiscFacts {
    int mediaCode = 0;
    std::string mediaName;
    int discStatus = -1; // -1 no answer, 0 blank, 1 appendable, 2 complete
    std::int64_t capacity = 0;
    std::int64_t used = 0;
    bool erasable = false; // the drive's erasable answer for the disc
    bool isDvd() const { return mediaName.find("DVD") != std::string::npos; }
};

struct Refusal {
    std::string text;
    bool eject = false; // the disc goes out so that another can be inserted
};

// Media codes that can be blanked or overwritten: CD-RW, DVD-RAM, DVD-RW
// (either mode), DVD+RW and DDCD-RW.
bool IsRewritable(int mediaCode);

// No or unknown medium, read-only media, and a closed CD to be continued.
std::optional<Refusal> RefuseMedium(BurnTask task, const DiscFacts &disc);

// An image goes to the start of the disc: a disc that holds data must be
// erased first, and a write-once one cannot be.
bool ImageNeedsErase(const DiscFacts &disc);
std::optional<Refusal> RefuseImageTarget(const DiscFacts &disc);

enum class SpaceVerdict { Fits, NeedsErase, TooLarge };

// Whether `sectors` fit the disc as it is (or, with eraseFirst, once it is
// blank), need the disc to be erased first, or are too many.
SpaceVerdict CheckSpace(BurnTask task, std::int64_t sectors, const DiscFacts &disc, bool eraseFirst = false);

// The disc is closed when less than 2 megabytes would stay free after the
// write (of the whole capacity when the disc is erased first).
bool FinalizeByFreeSpace(std::int64_t sectors, const DiscFacts &disc, bool eraseFirst = false);

// Sectors an image file of `bytes` bytes occupies.
std::int64_t ImageSectors(std::int64_t bytes);

// Whether the disc can be erased: the drive calls it erasable, or a quick
// erase of DVD-RAM (zero writes) is asked for.
bool CanErase(const DiscFacts &disc, bool quick);

// After an erase: a CD-RW or DVD-RW reads blank, a DVD+RW or DVD-RAM is
// formatted with nothing used. A drive that does not answer is not blank.
bool DiscIsBlank(const DiscFacts &disc);

} // namespace zelvane::tasks
