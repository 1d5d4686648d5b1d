// New discs and continued sessions on every writable medium of the virtual
// drive, read back by xorriso: the newest session shows its files with
// their exact bytes and the older sessions still read as they were.
#include "WriteFixture.h"

#include "sxDrvLib/MediaCode.h"

using namespace zelvane;

namespace {

// Whether a continued session carries the files of the earlier ones (the
// previous session's import).
constexpr bool kSessionsCarryEarlierFiles = true;

struct Medium {
    const char *type;
    bool growing;  // one growing volume, overwritten in place
};

class SessionsTest : public WriteTest, public ::testing::WithParamInterface<Medium> {};

} // namespace

TEST_P(SessionsTest, NewDiscThenTwoMoreSessions)
{
    Tool(std::string("insert ") + GetParam().type);
    std::vector<fs::path> sources;
    std::vector<std::uint32_t> starts;
    const fs::path expected = folder_ / "expected";
    for (int session = 1; session <= 3; ++session) {
        const std::string name = "s" + std::to_string(session);
        sources.push_back(MakeSourceFolder(folder_ / "sources", name, 100u * session));
        ASSERT_EQ(Burn({sources.back()}, session > 1), "") << "session " << session;
        starts.push_back(burner->SessionStart);
        if (session > 1) {
            EXPECT_GT(starts.back(), starts[starts.size() - 2]);
        }

        fs::path newest = ReadSession(GetParam().growing ? 0 : starts.back(), "read" + name);
        ASSERT_FALSE(newest.empty());
        if (!kSessionsCarryEarlierFiles)
            fs::remove_all(expected);
        fs::create_directories(expected);
        fs::copy(sources.back(), expected / name, fs::copy_options::recursive);
        std::string difference;
        EXPECT_TRUE(SameTree(expected, newest, difference)) << "session " << session << ":\n" << difference;
        for (int older = 1; older < session; ++older) {
            // A growing volume's first session starts where the newest is read.
            if (GetParam().growing && starts[older - 1] == 0)
                continue;
            const fs::path old = ReadSession(starts[older - 1], "old" + name + "_" + std::to_string(older));
            ASSERT_FALSE(old.empty());
            const std::string oldName = "s" + std::to_string(older);
            EXPECT_TRUE(SameTree(sources[older - 1], old / oldName, difference)) << "older session " << older << ":\n"
                                                                                 << difference;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Media, SessionsTest,
                         ::testing::Values(Medium{"cd-r", false}, Medium{"cd-rw", false}, Medium{"dvd-r", false},
                                           Medium{"dvd+r", false}, Medium{"dvd+rw", true}, Medium{"dvd-ram", true},
                                           Medium{"dvd-rw-ro", true}, Medium{"dvd-rw", true}),
                         [](const auto &info) {
                             std::string name = info.param.type;
                             for (auto &c : name)
                                 c = c == '-' ? '_' : c == '+' ? 'P' : c;
                             return name;
                         });
