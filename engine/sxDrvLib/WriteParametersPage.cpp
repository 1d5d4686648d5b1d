#include "sxDrvLib/WriteParametersPage.h"

#include "sxDrvLib/AnswerBytes.h"
#include "sxDrvLib/MediaCode.h"

#include <algorithm>

namespace zelvane {

namespace {

std::array<uint8_t, kWritePageKept> CopyPage(std::span<const uint8_t> sensedPage)
{
    std::array<uint8_t, kWritePageKept> page{};
    std::copy_n(sensedPage.begin(), std::min(sensedPage.size(), page.size()), page.begin());
    page[0] &= 0x3F; // the parameters saveable bit is reserved in MODE SELECT
    return page;
}

void SetBit(uint8_t &byte, uint8_t bit, bool on)
{
    byte = on ? (byte | bit) : (byte & ~bit);
}

constexpr uint16_t kAudioPause = 150;

} // namespace

std::array<uint8_t, kWritePageKept> BuildWriteParametersPage(std::span<const uint8_t> sensedPage,
                                                            const WriteParameterRequest &request)
{
    auto page = CopyPage(sensedPage);
    const int media = request.mediaCode;
    page[1] = kWritePageLength;
    if (media == kMediaDvdR) {
        page[2] = 0x60; // incremental, buffer underrun free, link size valid
        page[3] = 0xE5;
        page[5] = 0x10;
        PutBe32(&page[10], 16);
    } else {
        page[2] = 0x01; // track at once
        page[3] = 0x04;
        page[5] = 0;
        PutBe32(&page[10], 0);
    }
    page[4] = 0x08; // mode 1, 2048-byte user data
    if (media == kMediaDvdPlusRw || media == kMediaDvdPlusR) {
        page[2] = 0x22;
        page[3] |= 0xC0;
    }
    if (request.linkSizeQuirk)
        page[2] |= 0x20;
    const bool sequentialDvd = media == kMediaDvdR || media == kMediaDvdRw ||
                               media == kMediaDvdRwRestricted || media == kMediaDvdRwSequential ||
                               media == kMediaDvdPlusR;
    if (sequentialDvd)
        page[3] |= 0xE0;
    else if (!request.testWrite && !request.finalizeDisc)
        page[3] |= 0xC0; // next session allowed
    else
        page[3] &= 0x3F;
    SetBit(page[2], 0x40, request.underrunProtection && (request.capabilities & kUnderrunProtection));
    SetBit(page[2], 0x10, request.testWrite && (request.capabilities & kTestWrite));
    page[6] = page[7] = page[8] = page[9] = 0;
    if (media == kMediaDvdPlusR) {
        PutBe32(&page[10], 16);
        page[3] = 0xC4;
    }
    if (media == kMediaDvdRwRestricted || media == kMediaDvdRwSequential) {
        page[2] = 0x20;
        page[3] = 0xC5;
        page[5] = 0x10;
    }
    if (media == kMediaDvdPlusRw) {
        page[3] = 0x04;
        page[5] = 0x10;
    }
    if (request.closeDisc && (media == kMediaDvdR || media == kMediaDvdRwSequential))
        page[3] &= 0x3F; // no next session: closing the session closes the disc
    PutBe16(&page[14], kAudioPause);
    return page;
}

std::array<uint8_t, kWritePageKept> BuildWriteTypeProbePage(std::span<const uint8_t> sensedPage,
                                                            uint8_t writeType)
{
    auto page = CopyPage(sensedPage);
    page[1] = kWritePageLength;
    page[2] = writeType;
    page[3] = 0;
    page[4] = writeType == 3 ? 0x01 : 0x00;
    page[8] = page[9] = 0;
    PutBe16(&page[14], kAudioPause);
    return page;
}

std::vector<uint8_t> ModeSelectList(std::span<const uint8_t> page)
{
    const size_t pageBytes = std::min<size_t>(AnswerBytes(page).u8(1) + 2u, page.size());
    std::vector<uint8_t> list(8 + pageBytes, 0);
    std::copy_n(page.begin(), pageBytes, list.begin() + 8);
    return list;
}

} // namespace zelvane
