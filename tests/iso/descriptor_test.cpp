// Volume descriptor fields, dates (the 1899 zero date included), boot record
// and catalog, and the kept copy of the leading sectors.
#include "TestSupport.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using namespace zelvane;
using namespace zelvane::test;

namespace {

// Runs a test body under a given time zone and restores the old one.
class ZoneScope {
public:
    explicit ZoneScope(const char *zone)
    {
        if (const char *old = std::getenv("TZ"))
            old_ = old, hadOld_ = true;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneScope()
    {
        if (hadOld_)
            ::setenv("TZ", old_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

} // namespace

TEST(Descriptors, DateDigitsFollowTheSixteenCharacterPattern)
{
    EXPECT_EQ(descriptorDateDigits(0), "1899123000000000");
    EXPECT_EQ(descriptorDateDigits(encodeDateTime({2026, 12, 8, 17, 5, 9, 123})), "2026120817050912");
    EXPECT_EQ(descriptorDateDigits(encodeDateTime({2026, 1, 2, 3, 4, 5, 7})), "2026010203040507");
    const DateParts back = decodeDateTime(encodeDateTime({1999, 2, 28, 23, 59, 58, 999}));
    EXPECT_EQ(back.year, 1999);
    EXPECT_EQ(back.day, 28);
    EXPECT_EQ(back.second, 58);
    EXPECT_EQ(back.millisecond, 999);
}

TEST(Descriptors, PrimaryAndJolietFields)
{
    ZoneScope zone("UTC");
    TSarnixBurner burner;
    burner.IdVolume = "My Disc Volume Name That Is Far Too Long";
    burner.IdSystem = "linux";
    burner.IdPublisher = "Издатель";
    burner.IdPreparer = "prep";
    burner.IdApplication = "Zelvane";
    burner.FileCopyright = "copying.txt";
    burner.DateCreation = encodeDateTime({2026, 12, 8, 0, 0, 0, 0});
    burner.PrepareLayout(true, nullptr);
    burner.BuildHeader(true, nullptr);

    const std::uint8_t *pvd = headerSector(burner, 16);
    EXPECT_EQ(pvd[0], 1);
    EXPECT_EQ(ascii(pvd + 1, 5), "CD001");
    EXPECT_EQ(ascii(pvd + 8, 32), "LINUX" + std::string(27, ' '));
    EXPECT_EQ(ascii(pvd + 40, 32), "MY DISC VOLUME NAME THAT IS FAR ");
    EXPECT_EQ(le32(pvd + 80), 150u);
    EXPECT_EQ(be32(pvd + 84), 150u);
    // The escape sequence belongs to the supplementary descriptor only.
    EXPECT_EQ(ascii(pvd + 88, 3), std::string(3, '\0'));
    EXPECT_EQ(le16(pvd + 128), 2048);
    EXPECT_EQ(le32(pvd + 132), 10u);
    EXPECT_EQ(le32(pvd + 140), 19u);
    EXPECT_EQ(be32(pvd + 148), 20u);
    EXPECT_EQ(pvd[156], 34);
    EXPECT_EQ(le32(pvd + 156 + 2), 23u);
    EXPECT_EQ(le32(pvd + 156 + 10), 2048u);
    EXPECT_EQ(pvd[156 + 25], 2);
    EXPECT_EQ(ascii(pvd + 446, 4), "PREP");
    EXPECT_EQ(ascii(pvd + 574, 8), "ZELVANE ");
    EXPECT_EQ(ascii(pvd + 702, 37), "COPYING.TXT" + std::string(26, ' '));
    EXPECT_EQ(ascii(pvd + 813, 17), std::string("2026120800000000") + '\0');
    EXPECT_EQ(ascii(pvd + 830, 17), std::string("1899123000000000") + '\0');
    EXPECT_EQ(ascii(pvd + 847, 17), std::string("0000000000000000") + '\0');
    EXPECT_EQ(ascii(pvd + 864, 17), std::string("0000000000000000") + '\0');
    EXPECT_EQ(pvd[881], 1);
    EXPECT_EQ(ascii(pvd + 1024, 8), "        ");

    const std::uint8_t *svd = headerSector(burner, 17);
    EXPECT_EQ(svd[0], 2);
    EXPECT_EQ(ascii(svd + 88, 3), "%/@");
    EXPECT_EQ(ascii(svd + 40, 32), ucs2("My Disc Volume N"));
    EXPECT_EQ(ascii(svd + 318, 128), ucs2("Издатель" + std::string(56, ' ')));
    EXPECT_EQ(ascii(svd + 574, 14), ucs2("Zelvane"));
    EXPECT_EQ(ascii(svd + 702, 37), ucs2("copying.txt       ") + '\0');
    EXPECT_EQ(le32(svd + 140), 21u);
    EXPECT_EQ(be32(svd + 148), 22u);
    EXPECT_EQ(le32(svd + 156 + 2), 24u);

    const std::uint8_t *terminator = headerSector(burner, 18);
    EXPECT_EQ(terminator[0], 255);
    EXPECT_EQ(ascii(terminator + 1, 6), std::string("CD001") + '\1');

    const KeptDescriptors &kept = burner.KeptHeaderCopy();
    EXPECT_EQ(kept.length, 19u * 2048);
    EXPECT_EQ(std::vector<std::uint8_t>(kept.bytes.begin(), kept.bytes.begin() + 19 * 2048),
              std::vector<std::uint8_t>(burner.HeaderBuffer().begin(), burner.HeaderBuffer().begin() + 19 * 2048));
    EXPECT_EQ(kept.bytes[19 * 2048], 0xFF);
    EXPECT_EQ(kept.bytes.size(), 65537u);
}

TEST(Descriptors, RecordDatesCarryTheZoneOfTheirOwnDate)
{
    ZoneScope zone("Europe/Berlin");
    TSarnixBurner burner;
    TSearchRecord summer;
    summer.Name = "summer.txt";
    summer.Attr = faArchive | faHidden;
    summer.Size = 1;
    summer.Time = encodeDateTime({2024, 7, 1, 12, 30, 15, 0});
    TSearchRecord winter = summer;
    winter.Name = "winter.txt";
    winter.Attr = faArchive;
    winter.Time = encodeDateTime({2024, 1, 1, 8, 0, 0, 0});
    burner.AddFileEntry(burner.Tree().Root(), summer, 0, 0, "/s");
    burner.AddFileEntry(burner.Tree().Root(), winter, 0, 0, "/w");
    burner.DateCreation = encodeDateTime({2024, 7, 1, 0, 0, 0, 0});
    burner.PrepareLayout(true, nullptr);
    burner.BuildHeader(true, nullptr);
    const auto records = parseDirectory(headerSector(burner, burner.Layout().IsoDirectoryArea), 2048);
    ASSERT_EQ(records.size(), 4u);
    const std::uint8_t expectedSummer[7] = {124, 7, 1, 12, 30, 15, 8};
    const std::uint8_t expectedWinter[7] = {124, 1, 1, 8, 0, 0, 4};
    EXPECT_TRUE(std::equal(expectedSummer, expectedSummer + 7, records[2].date));
    EXPECT_TRUE(std::equal(expectedWinter, expectedWinter + 7, records[3].date));
    EXPECT_EQ(records[2].flags, 1);  // hidden
    EXPECT_EQ(records[3].flags, 0);
    EXPECT_EQ(headerSector(burner, 16)[813 + 16], 8);
    EXPECT_EQ(headerSector(burner, 16)[830 + 16], 0);  // the empty date has no zone
}

TEST(Descriptors, BootRecordAndCatalog)
{
    TempDir dir;
    for (const auto &[size, media] : std::vector<std::pair<std::int64_t, int>>{
             {1228800, 1}, {1474560, 2}, {2949120, 3}, {1474561, 4}, {512, 4}}) {
        TSarnixBurner burner;
        burner.BootImageFile = dir.file("boot.img", size);
        burner.Bootable = true;
        burner.PrepareLayout(true, nullptr);
        burner.BuildHeader(true, nullptr);
        const TImageLayout &l = burner.Layout();
        const std::uint8_t *record = headerSector(burner, 17);
        EXPECT_EQ(record[0], 0);
        EXPECT_EQ(ascii(record + 1, 6), std::string("CD001") + '\1');
        EXPECT_EQ(ascii(record + 7, 32), "EL TORITO SPECIFICATION" + std::string(9, '\0'));
        EXPECT_EQ(le32(record + 71), l.BootCatalog);

        const std::uint8_t *catalog = headerSector(burner, l.BootCatalog);
        std::uint32_t sum = 0;
        for (int i = 0; i < 32; i += 2)
            sum += le16(catalog + i);
        EXPECT_EQ(sum & 0xFFFF, 0u);
        EXPECT_EQ(catalog[0], 1);
        EXPECT_EQ(ascii(catalog + 4, 24), "Sarnix CD/DVD Burner" + std::string(4, '\0'));
        EXPECT_EQ(catalog[30], 0x55);
        EXPECT_EQ(catalog[31], 0xAA);
        EXPECT_EQ(catalog[32], 0x88);
        EXPECT_EQ(catalog[33], media) << size;
        EXPECT_EQ(le16(catalog + 38), 1);
        EXPECT_EQ(le32(catalog + 40), l.BootImage);
        EXPECT_EQ(l.BootImage, l.BootCatalog + 1);
        EXPECT_GE(l.FirstFileLocation, 150u);
        // The header ends with the catalog: the boot image follows it.
        EXPECT_EQ(static_cast<std::int64_t>(burner.HeaderBuffer().size()), (l.BootCatalog + 1) * 2048LL);
    }
}
