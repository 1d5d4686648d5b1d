// Display names of drive list lines.
#include "sxDrvLib/DriveDisplayName.h"

#include <gtest/gtest.h>

using zelvane::DriveDisplayName;

TEST(DriveDisplayName, DropsAddressAndCollapsesPadding)
{
    EXPECT_EQ(DriveDisplayName("0:0:0,/dev/sr0 QEMU    QEMU DVD-ROM    2.5+"),
              "/dev/sr0 QEMU QEMU DVD-ROM 2.5+");
    EXPECT_EQ(DriveDisplayName("1:A:0,?: HL-DT-STDVDRAM GH24NSD1 LG00 (not supported)"),
              "?: HL-DT-STDVDRAM GH24NSD1 LG00 (not supported)");
    EXPECT_EQ(DriveDisplayName(std::string("0:0:0,E: A\0\x01\tB  ", 16)), "E: A B");
    // A two-digit adapter loses its whole prefix, not six characters.
    EXPECT_EQ(DriveDisplayName("12:0:0,Zelvane Virtual Drive"), "Zelvane Virtual Drive");
}

TEST(DriveDisplayName, ShortOrBlankLinesAreKept)
{
    EXPECT_EQ(DriveDisplayName("  0:0:0 "), "0:0:0");
    EXPECT_EQ(DriveDisplayName("\x01\x02  "), "");
    EXPECT_EQ(DriveDisplayName("abcdefgh"), "gh");
}
