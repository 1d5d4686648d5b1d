// Choosing, loading, re-initialising and unloading the transport.
#include "ProviderFixture.h"

#include "sxConst/EngineTexts.h"
#include "sxSPTI/SptiState.h"

using namespace zelvane;

TEST_F(ProviderTest, LibraryProviderIsLoadedFromTheGivenPath)
{
    EXPECT_TRUE(aspi::IsInitialized());
    EXPECT_FALSE(aspi::IsBuiltinActive());
    EXPECT_EQ(aspi::ProviderName(), "WNASPI32.DLL");
    EXPECT_EQ(control_->supportInfoCalls, 1);
    EXPECT_EQ(aspi::GetSupportInfo(), 0x0101u);
}

TEST_F(ProviderTest, ReinitialisationLoadsTheLibraryAgain)
{
    // Re-initialisation has no path: the library is found beside the
    // program or on the loader's path, or the transport stays down.
    const bool again = aspi::Reinitialize();
    const auto candidates = aspi::LibraryCandidates("");
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(again, ::access(candidates[0].c_str(), F_OK) == 0);

    EXPECT_TRUE(aspi::Initialize(false, SCRIPTED_PROVIDER_PATH));
    EXPECT_EQ(control_->supportInfoCalls, 2);
    auto device = SelectedDevice();
    EXPECT_TRUE(device->HasSelection());
    EXPECT_TRUE(device->InitializeTransport(false, SCRIPTED_PROVIDER_PATH));
    EXPECT_EQ(device->DriveList().size(), 1u);
}

TEST_F(ProviderTest, UnloadStopsEveryCommand)
{
    auto device = SelectedDevice();
    aspi::Unload();
    EXPECT_FALSE(aspi::IsInitialized());
    EXPECT_FALSE(device->ASPIInitialized());
    EXPECT_EQ(aspi::ProviderName(), "");
    ZvSrbExec srb{};
    srb.flags = ZV_SRB_EVENT_NOTIFY;
    EXPECT_EQ(device->Execute(srb, 1000), ZV_SS_ILLEGAL_MODE);
    EXPECT_EQ(srb.status, ZV_SS_PENDING);
    EXPECT_EQ(aspi::SendCommand(&srb), ZV_SS_NO_ASPI);
}

TEST_F(ProviderTest, ALibraryWithoutAnEntryPointIsRefused)
{
    aspi::Unload();
    TSCSIDevice device;
    std::vector<std::string> messages;
    device.OnDebugMessage = [&messages](TSCSIDevice *, const std::string &text, uint8_t type) {
        EXPECT_EQ(type, 0);
        messages.push_back(text);
    };
    EXPECT_FALSE(device.InitializeTransport(false, MISSING_ENTRY_PROVIDER_PATH));
    EXPECT_FALSE(aspi::IsInitialized());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], std::string("PROVIDER LIBRARY ") + MISSING_ENTRY_PROVIDER_PATH +
                               " LACKS THE ENTRY POINT SendASPI32Command");
    EXPECT_TRUE(device.DriveList().empty());

    // A later initialisation without the fault reports nothing.
    messages.clear();
    EXPECT_TRUE(device.InitializeTransport(false, SCRIPTED_PROVIDER_PATH));
    EXPECT_EQ(messages, std::vector<std::string>{});
}

TEST(TransportCandidates, GivenPathThenProgramFolderThenLoaderPath)
{
    const auto candidates = aspi::LibraryCandidates("/opt/x/libwnaspi32.so");
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[0], "/opt/x/libwnaspi32.so");
    const auto program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(candidates[1], (program.parent_path() / "libwnaspi32.so").string());
    EXPECT_EQ(candidates[2], "libwnaspi32.so");
}

TEST(TransportWithoutProvider, NoLibraryAndNoDriveMeansNoTransport)
{
    const auto root = std::filesystem::temp_directory_path() /
                      ("zelvane-none-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root);
    spti::SetRoots(root.string(), root.string());
    TSCSIDevice device;
    EXPECT_FALSE(device.InitializeTransport(true, (root / "libwnaspi32.so").string()) &&
                 aspi::IsBuiltinActive());
    std::filesystem::remove_all(root);
    aspi::Unload();
}

TEST_F(ProviderTest, PreferredBuiltinProviderWithADriveLoadsNoLibrary)
{
    aspi::Unload();
    // The table a scan leaves for one drive on Linux host 9.
    spti::Release();
    spti::SptiState &state = spti::State();
    spti::DriveSlot &slot = state.table[4];
    slot.present = true;
    slot.linuxAddress = spti::LinuxScsiAddress{9, 0, 0, 0};
    slot.path = "/nonexistent/sr4";
    const InquiryBytes inquiry = MakeInquiry(5, "QEMU", "QEMU DVD-ROM", "2.5+");
    std::copy(inquiry.begin(), inquiry.end(), slot.inquiry.begin());
    state.adapterCount = spti::AssignCompactAddresses(state.table);
    state.scanned = true;

    const int libraryCalls = control_->supportInfoCalls;
    TSCSIDevice device;
    EXPECT_TRUE(device.InitializeTransport(true, SCRIPTED_PROVIDER_PATH));
    EXPECT_TRUE(aspi::IsBuiltinActive());
    EXPECT_EQ(aspi::ProviderName(), "SXASPI32");
    EXPECT_EQ(control_->supportInfoCalls, libraryCalls);
    EXPECT_EQ(device.DriveList(),
              std::vector<std::string>{"0:0:0,/nonexistent/sr4 QEMU    QEMU DVD-ROM    2.5+"});
    device.SelectDevice(device.DriveList()[0]);
    EXPECT_TRUE(device.HasSelection());
    EXPECT_EQ(device.DriveLetter(), "/nonexistent/sr4");

    // Without the preference the library wins; with it again the table is
    // still there.
    EXPECT_TRUE(aspi::Initialize(false, SCRIPTED_PROVIDER_PATH));
    EXPECT_EQ(aspi::ProviderName(), "WNASPI32.DLL");
    EXPECT_TRUE(aspi::Initialize(true, std::string()));
    EXPECT_TRUE(aspi::IsBuiltinActive());

    // Re-initialisation releases the table and scans again (here: nothing).
    aspi::Reinitialize();
    EXPECT_FALSE(aspi::IsBuiltinActive());
    EXPECT_EQ(spti::AdapterCount(), 0);
}
