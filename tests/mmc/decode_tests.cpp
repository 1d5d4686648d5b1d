// Decoding of drive answers and building of parameter pages, on answers laid
// out as real drives send them.
#include "sxDrvLib/CapabilitySet.h"
#include "sxDrvLib/DiscAnswers.h"
#include "sxDrvLib/DriveQuirks.h"
#include "sxDrvLib/FormatCapacities.h"
#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/ModePage.h"
#include "sxDrvLib/SpeedText.h"
#include "sxDrvLib/VolumeDescriptor.h"
#include "sxDrvLib/WriteParametersPage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace zelvane;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values, size_t size = 0)
{
    std::vector<uint8_t> bytes;
    for (int v : values)
        bytes.push_back(static_cast<uint8_t>(v));
    if (bytes.size() < size)
        bytes.resize(size, 0);
    return bytes;
}

void Put16(std::vector<uint8_t> &b, size_t at, unsigned v)
{
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}

void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (24 - 8 * i));
}

// A MODE SENSE (10) answer for page 2Ah: header, optional block descriptor, page.
std::vector<uint8_t> CapabilitiesAnswer(size_t blockDescriptor, unsigned maxRead, unsigned maxWrite)
{
    std::vector<uint8_t> answer(255, 0);
    Put16(answer, 6, unsigned(blockDescriptor));
    const size_t p = 8 + blockDescriptor;
    answer[p] = 0x2A;
    answer[p + 1] = 0x1C;
    answer[p + 2] = 0x3F;
    answer[p + 3] = 0x37;
    answer[p + 4] = 0x80;
    Put16(answer, p + 8, maxRead);
    Put16(answer, p + 18, maxWrite);
    return answer;
}

} // namespace

TEST(ModePageLocation, PageAfterHeaderOrBlockDescriptor)
{
    EXPECT_EQ(ModePageOffset(CapabilitiesAnswer(0, 8467, 7056), 0x2A), 8u);
    EXPECT_EQ(ModePageOffset(CapabilitiesAnswer(8, 8467, 7056), 0x2A), 16u);
    // A header one byte short of the standard one.
    auto shortHeader = Bytes({0, 0x20, 0, 0, 0, 0, 0, 0x2A}, 64);
    EXPECT_EQ(ModePageOffset(shortHeader, 0x2A), 7u);
    // Nothing holds the page: the page is assumed right after the header.
    EXPECT_FALSE(FindModePage(Bytes({}, 64), 0x05).has_value());
    EXPECT_EQ(ModePageOffset(Bytes({}, 64), 0x05), 8u);
}

TEST(ModePageLocation, ReadSpeedByteEqualToPageCodeIsNotMistakenForThePage)
{
    // 10936 KB/s = 2AB8h: byte 16 (the speed's high byte) holds 2Ah.
    auto answer = CapabilitiesAnswer(0, 0x2AB8, 7056);
    ASSERT_EQ(answer[16], 0x2A);
    EXPECT_EQ(ModePageOffset(answer, 0x2A), 8u);
}

TEST(ModePageLocation, SaveableBitIgnoredAndPageMovedToStart)
{
    auto answer = Bytes({0, 0x3A, 0, 0, 0, 0, 0, 0, 0x85, 0x32, 0x01}, 64);
    EXPECT_EQ(MoveModePageToStart(answer, 0x05), 8u);
    EXPECT_EQ(answer[0], 0x85);
    EXPECT_EQ(answer[2], 0x01);
    EXPECT_EQ(answer[63], 0);
    std::vector<uint8_t> tiny(3, 0);
    EXPECT_EQ(MoveModePageToStart(tiny, 0x05), 3u); // offset 8 lies past a 3-byte answer
}

TEST(Capabilities, PageBitsFeaturesAndSpeeds)
{
    auto answer = CapabilitiesAnswer(0, 8467, 7056);
    std::span<const uint8_t> page(answer.data() + 8, answer.size() - 8);
    const CapabilitySet caps = CapabilitiesFromPage(page);
    EXPECT_EQ(caps, kReadsCdR | kReadsCdRw | kReadsMethod2 | kReadsDvdRom | kReadsDvdR |
                        kReadsDvdRw | kReadsDvdRam | kWritesCdR | kWritesCdRw | kTestWrite |
                        kWritesDvdR | kWritesDvdRw | kWritesDvdRam | kUnderrunProtection);
    EXPECT_EQ(SpeedFiguresFromPage(page).maxReadSpeed, 8467);
    EXPECT_EQ(SpeedFiguresFromPage(page).maxWriteSpeed, 7056);
    // A page cut short reads its missing figures as 0.
    EXPECT_EQ(SpeedFiguresFromPage(page.first(19)).maxWriteSpeed, 0);

    auto feature = Bytes({0, 0, 0, 16, 0, 0, 0, 0x1A, 0x00, 0x2A, 0x0B, 0x04, 0x01}, 114);
    EXPECT_EQ(CapabilitiesFromFeature(feature, kFeatureDvdPlusRw),
              kReadsDvdPlusR | kReadsDvdPlusRw | kWritesDvdPlusR | kWritesDvdPlusRw);
    feature[12] = 0;
    EXPECT_EQ(CapabilitiesFromFeature(feature, kFeatureDvdPlusRw), kReadsDvdPlusR | kReadsDvdPlusRw);
    // The drive answered with another feature than the one asked for.
    EXPECT_EQ(CapabilitiesFromFeature(feature, kFeatureDvdMinusRw), 0u);

    EXPECT_TRUE(IsWriter(kWritesDvdRam));
    EXPECT_FALSE(IsWriter(kWritesDvdPlusR | kWritesDvdPlusRw | kReadsCdR));
}

TEST(MediaCodes, ProfilesAtipAndNames)
{
    EXPECT_EQ(MediaCodeFromProfile(0x0009), kMediaCdR);
    EXPECT_EQ(MediaCodeFromProfile(0x0013), kMediaDvdRwRestricted);
    EXPECT_EQ(MediaCodeFromProfile(0x0014), kMediaDvdRwSequential);
    EXPECT_EQ(MediaCodeFromProfile(0x001B), kMediaDvdPlusR);
    EXPECT_EQ(MediaCodeFromProfile(0x002B), kMediaUnknown); // DVD+R DL is not one of ours
    EXPECT_EQ(MediaName(MediaCodeFromProfile(0x0014)), "DVD-RW");
    EXPECT_EQ(MediaName(14), "DDCD-RW");
    EXPECT_EQ(MediaName(15), "UNKNOWN");
    EXPECT_EQ(MediaName(-1), "UNKNOWN");

    auto atip = Bytes({0, 24, 0, 0, 0xA0, 0xD0, 0x00}, 26);
    EXPECT_EQ(MediaCodeFromAtip(atip), kMediaCdRom);
    atip[6] = 0x80;
    EXPECT_EQ(MediaCodeFromAtip(atip), kMediaCdR);
    atip[6] = 0xC0;
    EXPECT_EQ(MediaCodeFromAtip(atip), kMediaCdRw);
    EXPECT_EQ(MediaCodeFromAtip({}), kMediaCdRom);

    EXPECT_EQ(ProfileText(0x13), "DVD-RW Restricted Overwrite");
    EXPECT_EQ(ProfileText(0x1B), "DVD+R");
    EXPECT_EQ(ProfileText(0x2B), "???????");
    EXPECT_TRUE(ProfileErasable(0x1A));
    EXPECT_FALSE(ProfileErasable(0x12)); // DVD-RAM is rewritable but not blanked
}

TEST(SpeedTexts, MultiplesOfCdAndDvdBaseSpeeds)
{
    EXPECT_EQ(SpeedMultipleText(7056, kMediaCdR), "40X");
    EXPECT_EQ(SpeedMultipleText(11080, kMediaDvdR), "8X");
    EXPECT_EQ(SpeedMultipleText(3324, kMediaDvdPlusRw, true), "2.4X");
    EXPECT_EQ(SpeedMultipleText(1385, kMediaDvdPlusRw, true), "1.0X");
    EXPECT_EQ(SpeedMultipleText(0, kMediaCdR), "0X");
    EXPECT_EQ(SpeedMultipleText(265, kMediaCdRw), "2X"); // 1.502 rounds up
    EXPECT_EQ(SpeedKBpsText(8467), "(8,467 KB/s)");
    EXPECT_EQ(SpeedKBpsText(176), "(176 KB/s)");
    EXPECT_EQ(SpeedKBpsText(1234567), "(1,234,567 KB/s)");
}

namespace {

std::vector<uint8_t> Inquiry(const char *vendor8, const char *product16)
{
    std::vector<uint8_t> data(128, 0);
    data[0] = 5;
    std::memcpy(&data[8], vendor8, std::min<size_t>(8, std::strlen(vendor8)));
    std::memcpy(&data[16], product16, std::min<size_t>(16, std::strlen(product16)));
    return data;
}

} // namespace

TEST(DriveQuirksTable, ProductAndVendorMatches)
{
    auto q = QuirksFromInquiry(Inquiry("YAMAHA  ", "CD-W512EB       "));
    EXPECT_TRUE(q.forceUnderrunProtection);
    EXPECT_FALSE(q.slowReady);

    EXPECT_TRUE(QuirksFromInquiry(Inquiry("SONY    ", "CD-RW  CRX800E  ")).linkSizeBit);
    EXPECT_TRUE(QuirksFromInquiry(Inquiry("SONY    ", "CRX175E         ")).linkSizeBit);

    // The Pioneer match is on all 16 characters, trailing blank included.
    q = QuirksFromInquiry(Inquiry("PIONEER ", "DVD-RW  DVR-104 "));
    EXPECT_TRUE(q.slowReady);
    EXPECT_FALSE(q.slowEraseReady);
    EXPECT_FALSE(QuirksFromInquiry(Inquiry("PIONEER ", "DVD-RW  DVR-104X")).slowReady);

    q = QuirksFromInquiry(Inquiry("MATSHITA", "UJDA755 DVD/CDRW"));
    EXPECT_TRUE(q.slowReady && q.slowEraseReady);
    q = QuirksFromInquiry(Inquiry("TDK     ", "CDRW121032       "));
    EXPECT_TRUE(q.slowReady && q.slowEraseReady);

    EXPECT_TRUE(QuirksFromInquiry(Inquiry("TEAC    ", "CDRW321040X     ")).closeWithoutImmediate);
    q = QuirksFromInquiry(Inquiry("ZELVANE ", "VIRTUAL DVD-RW  "));
    EXPECT_FALSE(q.forceUnderrunProtection || q.linkSizeBit || q.slowReady ||
                 q.closeWithoutImmediate);

    EXPECT_EQ(InquiryVendor(Inquiry("HP      ", "x")), "     ");
    // An answer cut short never reads past its end.
    EXPECT_EQ(InquiryProduct(std::vector<uint8_t>(20, 'A')), "AAAA");
    EXPECT_FALSE(QuirksFromInquiry({}).slowReady);
}

TEST(FormatCapacityRule, DescriptorChoice)
{
    // Formatted DVD+RW: current descriptor, 2048-byte blocks.
    auto answer = Bytes({0, 0, 0, 16}, 248);
    Put32(answer, 4, 2295104);
    answer[8] = 0x02;
    answer[10] = 0x08;
    Put32(answer, 12, 2295104);
    answer[16] = 0x98; // format type 26h
    EXPECT_EQ(CapacityFromFormatCapacities(answer), 2295104u);
    // Current descriptor with type 00h and 2048 bytes wins.
    answer[8] = 0x00;
    Put32(answer, 4, 1000);
    EXPECT_EQ(CapacityFromFormatCapacities(answer), 1000u);
    // Third descriptor.
    auto third = Bytes({0, 0, 0, 24}, 248);
    Put32(third, 4, 5);
    third[8] = 0x03;
    Put32(third, 20, 2236704);
    third[26] = 0x08;
    EXPECT_EQ(CapacityFromFormatCapacities(third), 2236704u);
    third[26] = 0x00;
    EXPECT_EQ(CapacityFromFormatCapacities(third), 5u);
    EXPECT_EQ(CapacityFromFormatCapacities({}), 0u);
}

namespace {

std::vector<uint8_t> SensedWritePage()
{
    auto page = Bytes({0x85, 0x36, 0x01, 0x04, 0x08, 0x00, 0x00, 0x00, 0x20, 0x00}, 60);
    return page;
}

WriteParameterRequest Request(int media, bool test, bool underrun, bool finalize)
{
    WriteParameterRequest r;
    r.mediaCode = media;
    r.testWrite = test;
    r.underrunProtection = underrun;
    r.finalizeDisc = finalize;
    r.capabilities = kTestWrite | kUnderrunProtection;
    return r;
}

} // namespace

TEST(WriteParameters, CdMultisessionAndTestWrite)
{
    auto page = BuildWriteParametersPage(SensedWritePage(), Request(kMediaCdR, false, true, false));
    EXPECT_EQ(page[0], 0x05);
    EXPECT_EQ(page[1], 0x32);
    EXPECT_EQ(page[2], 0x41); // track at once, underrun free
    EXPECT_EQ(page[3], 0xC4); // next session allowed, data track
    EXPECT_EQ(page[4], 0x08);
    EXPECT_EQ(page[8], 0x00); // session format CD-ROM
    EXPECT_EQ(page[14] << 8 | page[15], 150);

    page = BuildWriteParametersPage(SensedWritePage(), Request(kMediaCdRw, true, false, false));
    EXPECT_EQ(page[2], 0x11);
    EXPECT_EQ(page[3], 0x04); // a test write never leaves a next session open
    page = BuildWriteParametersPage(SensedWritePage(), Request(kMediaCdR, false, false, true));
    EXPECT_EQ(page[3], 0x04);

    // Abilities the drive lacks are never asked for.
    auto r = Request(kMediaCdR, true, true, false);
    r.capabilities = 0;
    page = BuildWriteParametersPage(SensedWritePage(), r);
    EXPECT_EQ(page[2], 0x01);
    r.linkSizeQuirk = true;
    EXPECT_EQ(BuildWriteParametersPage(SensedWritePage(), r)[2], 0x21);
}

TEST(WriteParameters, DvdMedia)
{
    auto page = BuildWriteParametersPage(SensedWritePage(), Request(kMediaDvdR, false, true, false));
    EXPECT_EQ(page[2], 0x60);
    EXPECT_EQ(page[3], 0xE5);
    EXPECT_EQ(page[5], 0x10);
    EXPECT_EQ(page[13], 16);
    page = BuildWriteParametersPage(SensedWritePage(), Request(kMediaDvdR, false, false, false));
    EXPECT_EQ(page[2], 0x20);

    page = BuildWriteParametersPage(SensedWritePage(), Request(kMediaDvdPlusR, false, true, false));
    EXPECT_EQ(page[2], 0x62);
    EXPECT_EQ(page[3], 0xC4);
    EXPECT_EQ(page[13], 16);
    page = BuildWriteParametersPage(SensedWritePage(), Request(kMediaDvdPlusRw, false, true, false));
    EXPECT_EQ(page[2], 0x62);
    EXPECT_EQ(page[3], 0x04);
    EXPECT_EQ(page[5], 0x10);
    page = BuildWriteParametersPage(SensedWritePage(), Request(kMediaDvdRwSequential, true, true, false));
    EXPECT_EQ(page[2], 0x20);
    EXPECT_EQ(page[3], 0xC5);
    EXPECT_EQ(page[5], 0x10);

    const auto list = ModeSelectList(page);
    ASSERT_EQ(list.size(), 60u);
    EXPECT_EQ(list[8], 0x05);
    EXPECT_EQ(list[9], 0x32);
}

TEST(WriteParameters, ProbePagesAndShortPages)
{
    auto raw = BuildWriteTypeProbePage(SensedWritePage(), 3);
    EXPECT_EQ(raw[2], 3);
    EXPECT_EQ(raw[3], 0);
    EXPECT_EQ(raw[4], 1);
    EXPECT_EQ(BuildWriteTypeProbePage(SensedWritePage(), 2)[4], 0);
    // A sensed page shorter than the parameter list is padded with zeros, and
    // a page length byte larger than the page never reads past it.
    auto page = BuildWriteParametersPage(Bytes({0x05, 0x0A}), Request(kMediaCdR, false, false, false));
    EXPECT_EQ(page[53], 0);
    std::vector<uint8_t> bogus = {0x05, 0xFF, 0, 0};
    EXPECT_EQ(ModeSelectList(bogus).size(), 12u);
}

TEST(DiscAnswerDecoding, TrackDiscCapacityAtip)
{
    auto track = Bytes({0, 0x26, 3, 2, 0, 0, 0x40, 0}, 40);
    Put32(track, 8, 22096);
    Put32(track, 12, 33500);
    Put32(track, 16, 326347);
    Put32(track, 24, 337751);
    const TrackInfo t = DecodeTrackInfo(track);
    EXPECT_EQ(t.dataLength, 0x26);
    EXPECT_EQ(t.trackStart, 22096u);
    EXPECT_EQ(t.nextWritable, 33500u);
    EXPECT_EQ(t.freeBlocks, 326347u);
    EXPECT_EQ(t.trackSize, 337751u);

    // Appendable disc: three sessions, the third empty.
    auto disc = Bytes({0, 0x20, 0x01 | (0 << 2) | 0x10, 1, 3, 5, 5}, 56);
    DiscInfo d = DecodeDiscInfo(disc);
    EXPECT_EQ(d.discStatus, 1);
    EXPECT_TRUE(d.erasable);
    EXPECT_EQ(RecordedSessionCount(d), 2);
    disc[2] = 0x02 | (3 << 2); // closed, last session complete
    EXPECT_EQ(RecordedSessionCount(DecodeDiscInfo(disc)), 3);
    disc[2] = 0x00; // blank: one empty session
    disc[4] = 1;
    EXPECT_EQ(RecordedSessionCount(DecodeDiscInfo(disc)), 0);

    auto cap = Bytes({0, 0x05, 0x7D, 0x3F, 0, 0, 0x08, 0});
    EXPECT_EQ(DecodeCapacity(cap).lastLba, 0x57D3Fu);
    EXPECT_EQ(DecodeCapacity(cap).blockLength, 2048u);
    EXPECT_EQ(DecodeCapacity({}).lastLba, 0u);

    // 80-minute CD-R: lead-out may start at 79:59:72, which is LBA 359847.
    auto atip = Bytes({0, 24, 0, 0, 0, 0, 0x80, 0, 97, 26, 66, 0, 79, 59, 72}, 26);
    EXPECT_EQ(AtipLeadOutBlocks(atip), 359847u);
    EXPECT_EQ(AtipLeadOutBlocks({}), 0u);
    // A drive that answers format 4 with its TOC (QEMU's ATAPI drive) gives no lead-out.
    auto toc = Bytes({0, 0x12, 1, 1, 0, 0x14, 1, 0, 0, 0, 2, 0, 0, 0x14, 0xAA, 0, 0, 0, 4, 0x31}, 26);
    EXPECT_EQ(AtipLeadOutBlocks(toc), 0u);
}

TEST(VolumeDescriptors, PrimaryAndSupplementary)
{
    std::vector<uint8_t> sector(2048, 0);
    sector[0] = 1;
    std::memcpy(&sector[1], "CD001", 5);
    std::memcpy(&sector[40], "BACKUP_2026                     ", 32);
    sector[80] = 0x34;
    sector[81] = 0x12;
    std::memset(&sector[318], ' ', 128);
    std::memcpy(&sector[318], "ZELVANE PUBLISHER", 17);
    std::memset(&sector[702], ' ', 37);
    std::memcpy(&sector[813], "2026120817301500", 16);
    EXPECT_EQ(VolumeSpaceSize(sector).value_or(0), 0x1234u);
    auto ids = PrimaryVolumeIdentifiers(sector);
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->volume, "BACKUP_2026");
    EXPECT_EQ(ids->publisher, "ZELVANE PUBLISHER");
    EXPECT_EQ(ids->copyright, "");
    EXPECT_EQ(ids->created, "08.12.2026");
    std::memcpy(&sector[813], "0000000000000000", 16);
    EXPECT_EQ(PrimaryVolumeIdentifiers(sector)->created, "");

    sector[0] = 2; // Joliet descriptor: a size, but no primary identifiers
    EXPECT_TRUE(VolumeSpaceSize(sector));
    EXPECT_FALSE(PrimaryVolumeIdentifiers(sector));
    sector[0] = 0xFF; // set terminator
    EXPECT_FALSE(VolumeSpaceSize(sector));
    EXPECT_FALSE(VolumeSpaceSize(std::vector<uint8_t>(100, 1)));
}
