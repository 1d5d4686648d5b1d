// Directory records and names as the import reads them from a disc.
#include "ImportSupport.h"

#include "sxISOLib/RecordReading.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

using namespace zelvane;

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

} // namespace

TEST(RecordReading, ReadsTheFieldsOfARecord)
{
    HandImage image(1);
    const std::size_t end = image.Put(0, 0, {"README.TXT;1", 1234, 99999, false});
    image.At(0, 0)[25] |= 1; // hidden
    const RecordAt at = readDirectoryRecord(std::span(image.Bytes()).first(2048), 0);
    ASSERT_EQ(at.status, RecordStatus::Record);
    EXPECT_EQ(at.record.length, end);
    EXPECT_EQ(at.record.extent, 1234u);
    EXPECT_EQ(at.record.dataLength, 99999u);
    EXPECT_TRUE(at.record.hidden);
    EXPECT_FALSE(at.record.directory);
    EXPECT_EQ(std::string(at.record.identifier.begin(), at.record.identifier.end()), "README.TXT;1");
    const DateParts date = decodeDateTime(at.record.date);
    EXPECT_EQ(date.year, 2021);
    EXPECT_EQ(date.month, 3);
    EXPECT_EQ(date.day, 14);
    EXPECT_EQ(date.hour, 15);
    EXPECT_EQ(date.minute, 9);
    EXPECT_EQ(date.second, 26);
}

TEST(RecordReading, RecordsThatDoNotFitTheirSectorAreDamaged)
{
    // Two sectors, so that a record written to run over the end of the first
    // still lies inside the test's own buffer; the reader sees only the first.
    HandImage image(2);
    auto sector = std::span(image.Bytes()).first(2048);

    // A zero length ends the sector; so does an offset at its end.
    EXPECT_EQ(readDirectoryRecord(sector, 0).status, RecordStatus::EndOfSector);
    EXPECT_EQ(readDirectoryRecord(sector, 2048).status, RecordStatus::EndOfSector);
    EXPECT_EQ(readDirectoryRecord(sector, 5000).status, RecordStatus::EndOfSector);

    // Shorter than the fixed part.
    image.At(0, 0)[0] = 20;
    EXPECT_EQ(readDirectoryRecord(sector, 0).status, RecordStatus::Malformed);

    // Running over the end of the sector.
    image.Put(0, 2000, {"ABCDEFGHIJKLMNOP", 20, 0, false});
    EXPECT_EQ(readDirectoryRecord(sector, 2000).status, RecordStatus::Malformed);

    // An identifier longer than its record, and an empty identifier.
    image.Put(0, 100, {"NAME", 20, 0, false});
    image.At(0, 100)[32] = 200;
    EXPECT_EQ(readDirectoryRecord(sector, 100).status, RecordStatus::Malformed);
    image.At(0, 100)[32] = 0;
    EXPECT_EQ(readDirectoryRecord(sector, 100).status, RecordStatus::Malformed);
}

TEST(RecordReading, DatesAreCheckedAsCalendarDatesAndTimes)
{
    auto date = [](std::array<std::uint8_t, 6> bytes) { return recordDate(std::span<const std::uint8_t, 6>(bytes)); };
    EXPECT_FALSE(std::isnan(date({100, 2, 29, 0, 0, 0})));   // 2000 is a leap year
    EXPECT_TRUE(std::isnan(date({0, 2, 29, 0, 0, 0})));      // 1900 is not
    EXPECT_TRUE(std::isnan(date({121, 4, 31, 0, 0, 0})));
    EXPECT_TRUE(std::isnan(date({121, 0, 1, 0, 0, 0})));
    EXPECT_TRUE(std::isnan(date({121, 13, 1, 0, 0, 0})));
    EXPECT_TRUE(std::isnan(date({121, 1, 0, 0, 0, 0})));
    EXPECT_TRUE(std::isnan(date({121, 1, 1, 24, 0, 0})));
    EXPECT_TRUE(std::isnan(date({121, 1, 1, 23, 60, 0})));
    EXPECT_TRUE(std::isnan(date({121, 1, 1, 23, 59, 60})));
    EXPECT_DOUBLE_EQ(date({255, 12, 31, 23, 59, 59}), encodeDateTime({2155, 12, 31, 23, 59, 59, 0}));
}

TEST(RecordReading, JolietNamesAreUcs2CutAtTheirVersion)
{
    auto name = [](std::string_view bytes) { return jolietIdentifierName(Bytes(bytes)); };
    EXPECT_EQ(name(Ucs2("readme.txt;1")), "readme.txt");
    EXPECT_EQ(name(Ucs2("Документы")), "Документы");
    // The search for ";" begins at the third character.
    EXPECT_EQ(name(Ucs2(";;a;1")), ";;a");
    // A character beyond the basic plane (a surrogate pair) survives.
    EXPECT_EQ(name(std::string("\xD8\x3D\xDE\x00", 4)), "\xF0\x9F\x98\x80");
    // An odd last byte is dropped.
    EXPECT_EQ(name(std::string("\0a\0b\0", 5)), "ab");
}

TEST(RecordReading, IsoNamesAreTakenAsTheyStand)
{
    EXPECT_EQ(isoIdentifierName(Bytes("README.TXT;1")), "README.TXT");
    EXPECT_EQ(isoIdentifierName(Bytes("DIR_1")), "DIR_1");
    // Bytes that are no UTF-8 cannot reach the project as they are.
    EXPECT_EQ(isoIdentifierName(Bytes("A\xFF" "B")), "A\xEF\xBF\xBD" "B");
}

TEST(RecordReading, NamesFromADiscAreMadeSafePathComponents)
{
    EXPECT_EQ(safeDiscName(".."), "__");
    EXPECT_EQ(safeDiscName("."), "_");
    EXPECT_EQ(safeDiscName(""), "_");
    EXPECT_EQ(safeDiscName("a/b"), "a_b");
    EXPECT_EQ(safeDiscName("../../etc/passwd"), ".._.._etc_passwd");
    EXPECT_EQ(safeDiscName("back\\slash"), "back_slash");
    EXPECT_EQ(safeDiscName(std::string("tab\there\nnul\0x\x7F", 15)), "tab_here_nul_x_");
    EXPECT_EQ(safeDiscName("...") , "...");
    EXPECT_EQ(safeDiscName("отчёт.txt"), "отчёт.txt");
}

TEST(RecordReading, DescriptorsAreKnownByTypeAndJolietByItsEscapeSequence)
{
    HandImage image(20);
    image.Primary(16, 18, 2048);
    image.Joliet(17, 19, 4096);
    const auto sector = [&](std::uint32_t n) { return std::span(image.Bytes()).subspan(n * 2048, 2048); };
    EXPECT_TRUE(isVolumeDescriptor(sector(16), kPrimaryDescriptorType));
    EXPECT_TRUE(isJolietDescriptor(sector(17)));
    EXPECT_FALSE(isJolietDescriptor(sector(16)));
    EXPECT_EQ(descriptorRoot(sector(17)).extent, 19u);
    EXPECT_EQ(descriptorRoot(sector(17)).size, 4096u);
    // A supplementary descriptor of another character set (ISO 9660:1999).
    std::memcpy(image.At(17, 88), "\0\0\0", 3);
    EXPECT_FALSE(isJolietDescriptor(sector(17)));
    EXPECT_FALSE(isVolumeDescriptor(sector(18), kTerminatorDescriptorType));
}
