#include "ScriptedDisc.h"

#include <cstring>

namespace fakedrive {

std::vector<uint8_t> Be32(uint32_t v)
{
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

namespace {

void Put(std::vector<uint8_t> &bytes, size_t at, const std::vector<uint8_t> &field)
{
    std::copy(field.begin(), field.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

Answer InvalidField() { return Answer::Check(5, 0x24); }

} // namespace

std::vector<uint8_t> TrackBytes(uint32_t start, uint32_t nextWritable, uint32_t freeBlocks,
                                uint32_t size, bool nextWritableValid)
{
    std::vector<uint8_t> b(40, 0);
    b[1] = 38;
    b[7] = nextWritableValid ? 0x01 : 0x00;
    Put(b, 8, Be32(start));
    Put(b, 12, Be32(nextWritable));
    Put(b, 16, Be32(freeBlocks));
    Put(b, 24, Be32(size));
    return b;
}

std::vector<uint8_t> DiscInfoBytes(uint8_t discStatus, uint8_t lastSessionState, bool erasable,
                                   uint8_t sessions, uint8_t firstTrackOfLastSession)
{
    std::vector<uint8_t> b(56, 0);
    b[1] = 32;
    b[2] = uint8_t(discStatus | lastSessionState << 2 | (erasable ? 0x10 : 0));
    b[3] = 1;
    b[4] = sessions;
    b[5] = firstTrackOfLastSession;
    b[6] = firstTrackOfLastSession;
    return b;
}

std::vector<uint8_t> AtipBytes(uint8_t m, uint8_t s, uint8_t f, bool rewritable)
{
    std::vector<uint8_t> b(26, 0);
    b[1] = 24;
    b[6] = rewritable ? 0xC0 : 0x80;
    b[8] = 97;
    b[9] = 26;
    b[10] = 66;
    b[12] = m;
    b[13] = s;
    b[14] = f;
    return b;
}

std::vector<uint8_t> FormatCapacityBytes(uint32_t blocks, uint8_t descriptorType)
{
    std::vector<uint8_t> b(12, 0);
    b[3] = 8;
    Put(b, 4, Be32(blocks));
    b[8] = descriptorType;
    b[10] = 0x08;
    return b;
}

std::vector<uint8_t> CapabilitiesPage(uint8_t reads, uint8_t writes, uint8_t byte4,
                                      uint16_t maxRead, uint16_t maxWrite, uint16_t currentWrite)
{
    std::vector<uint8_t> p(30, 0);
    p[0] = 0x2A;
    p[1] = 28;
    p[2] = reads;
    p[3] = writes;
    p[4] = byte4;
    p[8] = uint8_t(maxRead >> 8);
    p[9] = uint8_t(maxRead);
    p[12] = 0x08;
    p[18] = uint8_t(maxWrite >> 8);
    p[19] = uint8_t(maxWrite);
    p[20] = uint8_t(currentWrite >> 8);
    p[21] = uint8_t(currentWrite);
    return p;
}

std::vector<uint8_t> PrimaryDescriptor(uint32_t volumeBlocks)
{
    std::vector<uint8_t> s(2048, 0);
    s[0] = 1;
    std::memcpy(&s[1], "CD001", 5);
    s[6] = 1;
    for (int i = 0; i < 4; ++i)
        s[80 + i] = uint8_t(volumeBlocks >> (8 * i));
    return s;
}

Answer ScriptedDisc::NotReady()
{
    return Answer::Check(notReadySense[0], notReadySense[1], notReadySense[2]);
}

bool ScriptedDisc::BecomingReady()
{
    if (becomesReadyAfter <= 0)
        return false;
    --becomesReadyAfter;
    return true;
}

Answer ScriptedDisc::ModePage(const std::vector<uint8_t> &page) const
{
    if (page.empty())
        return InvalidField();
    std::vector<uint8_t> answer(8 + blockDescriptorLength, 0);
    answer[1] = uint8_t(answer.size() - 2 + page.size());
    answer[7] = uint8_t(blockDescriptorLength);
    answer.insert(answer.end(), page.begin(), page.end());
    return Answer::Good(answer);
}

Answer ScriptedDisc::operator()(const Request &r)
{
    const uint8_t op = r.cdb[0];
    switch (op) {
    case 0x00:
        if (BecomingReady())
            return Answer::Check(2, 0x04, 0x01);
        return ready ? Answer::Good() : NotReady();
    case 0x03: {
        if (!requestSenseWorks)
            return Answer::Check(5, 0x20);
        std::vector<uint8_t> sense(18, 0);
        sense[0] = 0x70;
        sense[7] = 10;
        if (!ready) {
            sense[2] = notReadySense[0];
            sense[12] = notReadySense[1];
            sense[13] = notReadySense[2];
        }
        return Answer::Good(sense);
    }
    case 0x23:
        return formatCapacities ? Answer::Good(*formatCapacities) : Answer::Check(5, 0x20);
    case 0x25:
        if (!capacityLastLba)
            return ready ? Answer::Check(5, 0x20) : NotReady();
        {
            auto answer = Be32(*capacityLastLba);
            auto length = Be32(2048);
            answer.insert(answer.end(), length.begin(), length.end());
            return Answer::Good(answer);
        }
    case 0x28: {
        const uint32_t lba = uint32_t(r.cdb[2]) << 24 | r.cdb[3] << 16 | r.cdb[4] << 8 | r.cdb[5];
        const auto found = sectors.find(lba);
        if (found == sectors.end())
            return Answer::Check(5, 0x21); // lba out of range / blank sector
        return Answer::Good(found->second);
    }
    case 0x43: {
        const uint8_t format = r.cdb[2] & 0x0F;
        if (format == 4)
            return atip ? Answer::Good(*atip) : Answer::Check(5, 0x24);
        if (!toc)
            return ready ? Answer::Check(5, 0x24) : NotReady();
        return Answer::Good(*toc);
    }
    case 0x46: {
        const uint16_t feature = uint16_t(r.cdb[2] << 8 | r.cdb[3]);
        if (!profile)
            return Answer::Check(5, 0x20);
        std::vector<uint8_t> answer(8, 0);
        answer[3] = 4;
        answer[6] = uint8_t(*profile >> 8);
        answer[7] = uint8_t(*profile);
        const auto found = features.find(feature);
        if (found != features.end())
            answer.insert(answer.end(), found->second.begin(), found->second.end());
        return Answer::Good(answer);
    }
    case 0x51:
        if (BecomingReady())
            return Answer::Check(2, 0x04, 0x01);
        return discInfo ? Answer::Good(*discInfo) : (ready ? Answer::Check(5, 0x20) : NotReady());
    case 0x52: {
        const auto found = tracks.find(r.cdb[5]);
        return found != tracks.end() ? Answer::Good(found->second) : InvalidField();
    }
    case 0x55: {
        if (r.dataOut.size() < 11 || (r.dataOut[8] & 0x3F) != 0x05)
            return InvalidField();
        const uint8_t writeType = r.dataOut[10] & 0x0F;
        return acceptedWriteTypes.count(writeType) ? Answer::Good() : Answer::Check(5, 0x26);
    }
    case 0x5A: {
        const uint8_t page = r.cdb[2] & 0x3F;
        const bool defaults = (r.cdb[2] & 0xC0) == 0x80;
        if (page == 0x2A)
            return ModePage(defaults ? defaultCapabilities : currentCapabilities);
        if (page == 0x05)
            return ModePage(writePage);
        if (page == 0x30 && underrunPage)
            return ModePage({0x30, 2, 0, 0});
        return InvalidField();
    }
    default:
        return ready ? Answer::Good() : NotReady();
    }
}

} // namespace fakedrive
