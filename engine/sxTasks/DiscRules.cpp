#include "sxTasks/DiscRules.h"

#include "sxDrvLib/MediaCode.h"
#include "sxTasks/TaskTexts.h"

namespace zelvane::tasks {

namespace {

constexpr int kDiscBlank = 0;
constexpr int kDiscComplete = 2;
constexpr double kFinalizeBelowMegabytes = 2.0;

} // namespace

bool IsRewritable(int code)
{
    return code == kMediaCdRw || code == kMediaDvdRam || code == kMediaDvdRw || code == kMediaDvdRwRestricted ||
           code == kMediaDvdRwSequential || code == kMediaDvdPlusRw || code == kMediaDdcdRw;
}

std::optional<Refusal> RefuseMedium(BurnTask task, const DiscFacts &disc)
{
    if (disc.mediaCode == kMediaUnknown)
        return Refusal{texts::kNoMedium, true};
    if (disc.mediaCode == kMediaCdRom || disc.mediaCode == kMediaDvdRom || disc.mediaCode == kMediaDdcdRom)
        return Refusal{std::string(texts::kCannotWriteMedium) + disc.mediaName + texts::kCannotWriteMediumEnd, true};
    if (task == BurnTask::ContinueDisc && disc.discStatus == kDiscComplete && !disc.isDvd())
        return Refusal{texts::kDiscFinalized, true};
    return std::nullopt;
}

bool ImageNeedsErase(const DiscFacts &disc)
{
    return disc.used != 0 && IsRewritable(disc.mediaCode);
}

std::optional<Refusal> RefuseImageTarget(const DiscFacts &disc)
{
    if (disc.used != 0 && !IsRewritable(disc.mediaCode))
        return Refusal{texts::kImageNeedsBlankDisc, true};
    return std::nullopt;
}

SpaceVerdict CheckSpace(BurnTask task, std::int64_t sectors, const DiscFacts &disc, bool eraseFirst)
{
    const std::int64_t free = disc.capacity - disc.used;
    const bool fitsWholeDisc = sectors <= disc.capacity;
    if (eraseFirst && fitsWholeDisc)
        return SpaceVerdict::Fits;
    if (!eraseFirst) {
        if (task != BurnTask::ContinueDisc && sectors > free && fitsWholeDisc && IsRewritable(disc.mediaCode))
            return SpaceVerdict::NeedsErase;
        if (fitsWholeDisc && disc.discStatus == kDiscComplete && !disc.isDvd())
            return SpaceVerdict::NeedsErase;
    }
    return sectors > free ? SpaceVerdict::TooLarge : SpaceVerdict::Fits;
}

bool FinalizeByFreeSpace(std::int64_t sectors, const DiscFacts &disc, bool eraseFirst)
{
    const std::int64_t freeBefore = eraseFirst ? disc.capacity : disc.capacity - disc.used;
    const double freeAfter = static_cast<double>(freeBefore - sectors) * 2048.0 / 1048576.0;
    return freeAfter < kFinalizeBelowMegabytes;
}

std::int64_t ImageSectors(std::int64_t bytes)
{
    return bytes <= 0 ? 0 : (bytes + 2047) / 2048;
}

bool CanErase(const DiscFacts &disc, bool quick)
{
    return disc.erasable || (quick && disc.mediaCode == kMediaDvdRam);
}

bool DiscIsBlank(const DiscFacts &disc)
{
    if (disc.mediaCode == kMediaDvdPlusRw || disc.mediaCode == kMediaDvdRam)
        return disc.discStatus != -1 && disc.used == 0;
    return disc.discStatus == kDiscBlank;
}

} // namespace zelvane::tasks
