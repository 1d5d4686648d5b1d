// GET CONFIGURATION: the profile list, the current profile and the features
// of a CD/DVD writer, each marked current when the inserted medium uses it.
#include "core/commands.h"

#include <array>

namespace zelvane::vdrive {

namespace {

struct Feature {
    uint16_t code;
    uint8_t version;
    bool persistent;
    bool current;
    std::vector<uint8_t> payload;
};

bool isAny(MediaKind kind, std::initializer_list<MediaKind> kinds)
{
    for (MediaKind k : kinds)
        if (k == kind)
            return true;
    return false;
}

std::vector<Feature> features(const DriveState &state)
{
    const Disc &disc = state.disc;
    const MediaKind kind = state.mediumAccessible() ? disc.kind : MediaKind::None;
    const bool cdMedium = kind != MediaKind::None && disc.cd();
    const bool dvdMedium = kind != MediaKind::None && !disc.cd();
    using M = MediaKind;

    static constexpr std::array<uint16_t, 10> kProfiles{0x0012, 0x0011, 0x0013, 0x0014, 0x001A,
                                                        0x001B, 0x0010, 0x000A, 0x0009, 0x0008};
    std::vector<uint8_t> profiles;
    for (uint16_t profile : kProfiles) {
        const bool current = kind != MediaKind::None && disc.traits().profile == profile;
        profiles.insert(profiles.end(), {static_cast<uint8_t>(profile >> 8), static_cast<uint8_t>(profile),
                                         static_cast<uint8_t>(current ? 1 : 0), 0});
    }
    const bool randomWritable = isAny(kind, {M::DvdRam, M::DvdRwRestricted}) || (kind == M::DvdPlusRw && disc.formatted);
    const uint32_t lastLba = disc.capacity ? disc.capacity - 1 : 0;
    const uint8_t blocking = cdMedium ? 1 : 16;

    return {
        {0x0000, 0, true, true, profiles},
        {0x0001, 2, true, true, {0, 0, 0, 2, 0x01, 0, 0, 0}}, // core: ATAPI, DBE
        {0x0002, 1, true, true, {0x02, 0, 0, 0}},             // morphing: operational change events
        {0x0003, 0, true, true, {static_cast<uint8_t>(0x29 | (state.removalPrevented ? 0x04 : 0)), 0, 0, 0}},
        {0x0010, 0, false, kind != M::None, {0, 0, 0x08, 0, 0, blocking, 0x01, 0}},
        {0x001D, 0, false, cdMedium, {}},
        {0x001E, 1, false, cdMedium, {0, 0, 0, 0}},
        {0x001F, 1, false, dvdMedium, {0, 0, 0, 0}},
        {0x0020, 1, false, randomWritable,
         {static_cast<uint8_t>(lastLba >> 24), static_cast<uint8_t>(lastLba >> 16), static_cast<uint8_t>(lastLba >> 8),
          static_cast<uint8_t>(lastLba), 0, 0, 0x08, 0, 0, 16, 0x01, 0}},
        // Incremental streaming: data block types, buffer underrun free, one
        // link size. A minimally blanked DVD-RW is written at once only.
        {0x0021, 1, false,
         isAny(kind, {M::CdR, M::CdRw, M::DvdR}) || (kind == M::DvdRwSequential && !disc.quickBlanked),
         {static_cast<uint8_t>(cdMedium ? 0x05 : 0x01), 0x00, 0x01, 0x01, static_cast<uint8_t>(cdMedium ? 7 : 16), 0,
          0, 0}},
        {0x0023, 0, false, isAny(kind, {M::DvdPlusRw, M::DvdRam, M::DvdRwSequential, M::DvdRwRestricted}), {}},
        {0x0024, 0, false, kind == M::DvdRam, {0x80, 0, 0, 0}},
        {0x0026, 0, false, kind == M::DvdRwRestricted, {}},
        {0x002A, 0, false, kind == M::DvdPlusRw, {0x01, 0, 0, 0}},
        {0x002B, 0, false, kind == M::DvdPlusR, {0x01, 0, 0, 0}},
        {0x002C, 0, false, isAny(kind, {M::DvdRwRestricted, M::DvdRwSequential}), {0x0F, 0, 0, 0}},
        {0x002D, 2, false, isAny(kind, {M::CdR, M::CdRw}), {0x46, 0, 0x3F, 0xFF}},
        // Session at once with test write; no raw recording.
        {0x002E, 0, false, isAny(kind, {M::CdR, M::CdRw}), {0x66, 0x00, 0x0C, 0x00}},
        {0x002F, 1, false, isAny(kind, {M::DvdR, M::DvdRwSequential}), {0x46, 0, 0, 0}},
        {0x0100, 0, true, true, {}},
        {0x0105, 0, true, true, {0, 0, 0, 0}},
        {0x0107, 3, true, true, {0x1B, 0, 0, 0}},
    };
}

void appendFeature(std::vector<uint8_t> &out, const Feature &f)
{
    out.push_back(static_cast<uint8_t>(f.code >> 8));
    out.push_back(static_cast<uint8_t>(f.code));
    out.push_back(static_cast<uint8_t>(f.version << 2 | (f.persistent ? 2 : 0) | (f.current ? 1 : 0)));
    out.push_back(static_cast<uint8_t>(f.payload.size()));
    out.insert(out.end(), f.payload.begin(), f.payload.end());
}

void getConfiguration(CommandContext &ctx)
{
    if (ctx.state.model.noGetConfiguration)
        sense::invalidOpcode();
    const uint8_t requestType = ctx.at(1) & 0x03;
    const uint16_t startingFeature = ctx.be16(2);
    if (requestType == 3)
        sense::invalidFieldInCdb();
    std::vector<uint8_t> answer(8, 0);
    const uint16_t profile = ctx.state.mediumAccessible() ? ctx.state.disc.traits().profile : 0;
    putBe16(answer, 6, profile);
    for (const auto &feature : features(ctx.state)) {
        const bool wanted = requestType == 2 ? feature.code == startingFeature
                            : requestType == 1 ? feature.code >= startingFeature && feature.current
                                               : feature.code >= startingFeature;
        if (wanted)
            appendFeature(answer, feature);
    }
    putBe32(answer, 0, static_cast<uint32_t>(answer.size() - 4));
    ctx.respond(answer, ctx.be16(7));
}

} // namespace

void addConfigurationCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0x46, getConfiguration, false, true});
}

} // namespace zelvane::vdrive
