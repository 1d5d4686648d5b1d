// The read-ahead cache on its own: queue bound and start condition, sector
// alignment and zero padding, the minimum track length, and its failures.
#include "sxCache/CacheThread.h"
#include "sxCDBC/SarnixBurner.h"

#include "WriteFixture.h"

#include <chrono>
#include <fstream>
#include <thread>

using namespace zelvane;
using namespace std::chrono_literals;

namespace {

// Takes every block and answers the bytes, the error text and the block count.
struct Drained {
    std::string bytes;
    std::string error;
    int blocks = 0;
};

Drained Drain(TCacheThread &cache, std::chrono::milliseconds pause = 0ms)
{
    Drained out;
    std::vector<std::uint8_t> buffer(65536);
    for (;;) {
        const std::int32_t got = cache.ReadBlock(buffer.data());
        if (got == 0)
            break;
        if (got < 0) {
            cache.WaitForBlock(100ms);
            continue;
        }
        EXPECT_EQ(got % 2048, 0);
        out.bytes.append(reinterpret_cast<const char *>(buffer.data()), static_cast<std::size_t>(got));
        ++out.blocks;
        std::this_thread::sleep_for(pause);
    }
    out.error = cache.ErrorText();
    return out;
}

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zelvane-cache-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

} // namespace

TEST_F(CacheTest, FilesStartOnSectorsAndTheirLastSectorIsZeroPadded)
{
    MakeFile(dir / "a", 2049, 1);
    MakeFile(dir / "b", 5, 2);
    CacheSettings settings;
    settings.cacheSize = 2097152;
    settings.metadata.assign(3 * 2048, 0x11);
    settings.entries = {{(dir / "a").string(), 2049, 0}, {"", 100, 0}, {(dir / "d").string(), 9, 0x10},
                        {(dir / "zero").string(), 0, 0}, {(dir / "b").string(), 5, 0}};
    settings.imageSize = (3 + 2 + 1) * 2048;
    TCacheThread cache(settings);
    const Drained out = Drain(cache);
    ASSERT_EQ(out.error, "");
    ASSERT_EQ(out.bytes.size(), settings.imageSize);
    const std::string a = ReadAll(dir / "a"), b = ReadAll(dir / "b");
    EXPECT_EQ(out.bytes.substr(0, 6144), std::string(6144, '\x11'));
    EXPECT_EQ(out.bytes.substr(6144, 2049), a);
    EXPECT_EQ(out.bytes.substr(6144 + 2049, 4096 - 2049), std::string(4096 - 2049, '\0'));
    EXPECT_EQ(out.bytes.substr(10240, 5), b);
    EXPECT_EQ(out.bytes.substr(10245), std::string(2043, '\0'));
}

TEST_F(CacheTest, ShortImagesArePaddedToThreeHundredSectorsUnlessAnImageIsBurned)
{
    MakeFile(dir / "iso", 100 * 2048, 3);
    CacheSettings settings;
    settings.padRequested = true;
    settings.metadata.assign(100 * 2048, 0x22);
    settings.imageSize = 100 * 2048;
    {
        TCacheThread cache(settings);
        const Drained out = Drain(cache);
        ASSERT_EQ(out.bytes.size(), 614400u);
        EXPECT_EQ(out.bytes.substr(204800), std::string(409600, '\0'));
        EXPECT_EQ(cache.BytesRemaining(), 0);
    }
    settings.metadata.clear();
    settings.burningImageFile = true;
    settings.entries = {{(dir / "iso").string(), 100 * 2048, 0}};
    TCacheThread image(settings);
    EXPECT_EQ(Drain(image).bytes, ReadAll(dir / "iso"));
}

TEST_F(CacheTest, QueueStaysBelowBlockCountAndReadyMeansFull)
{
    TSarnixBurner burner;
    burner.SetCacheSize(1000000);
    EXPECT_EQ(burner.CacheSize(), 2097152);
    EXPECT_EQ(burner.CacheFillPercent(), 0);
    MakeFile(dir / "big", 8 * 1048576, 4);
    CacheSettings settings;
    settings.cacheSize = burner.CacheSize();
    settings.entries = {{(dir / "big").string(), 8 * 1048576, 0}};
    settings.imageSize = 8 * 1048576;
    TCacheThread cache(settings);
    EXPECT_EQ(cache.BlockCount(), 32);
    ASSERT_TRUE(cache.WaitUntilReady(10s));
    EXPECT_EQ(cache.PeakQueueLength(), 31u);
    const Drained out = Drain(cache, 1ms);
    EXPECT_EQ(out.bytes, ReadAll(dir / "big"));
    EXPECT_LE(cache.PeakQueueLength(), 31u);

    CacheSettings cd = settings;
    cd.cacheSize = 33554432;
    cd.blockSize = 55296;
    TCacheThread cdCache(cd);
    EXPECT_EQ(cdCache.BlockCount(), 606);
}

TEST_F(CacheTest, AbortWhileFullEndsPromptlyAndKeepsAnEarlierError)
{
    MakeFile(dir / "big", 8 * 1048576, 5);
    CacheSettings settings;
    settings.cacheSize = 2097152;
    settings.entries = {{(dir / "big").string(), 8 * 1048576, 0}};
    settings.imageSize = 8 * 1048576;
    TCacheThread cache(settings);
    ASSERT_TRUE(cache.WaitUntilReady(10s));
    cache.Abort();
    std::vector<std::uint8_t> buffer(65536);
    EXPECT_EQ(cache.ReadBlock(buffer.data()), 0);
    EXPECT_EQ(cache.ErrorText(), "OPERATION ABORTED BY USER");
    EXPECT_EQ(cache.BytesInCache(), 0);

    TCacheThread failed(settings);
    ASSERT_TRUE(failed.WaitUntilReady(10s));
    failed.SetErrorText("WRITER ERROR [X]");
    failed.Abort();
    EXPECT_EQ(failed.ErrorText(), "WRITER ERROR [X]");
}

TEST_F(CacheTest, MissingShorterAndLongerSourcesEndWithTheirTexts)
{
    MakeFile(dir / "f", 10000, 6);
    CacheSettings settings;
    settings.imageSize = 5 * 2048;
    const std::string path = (dir / "f").string();
    for (const auto &[size, expected] :
         std::vector<std::pair<std::int64_t, std::string>>{{20000, "SOURCE FILE CHANGED WHILE WRITING: \"" + path + "\""},
                                                            {5000, "SOURCE FILE CHANGED WHILE WRITING: \"" + path + "\""}}) {
        settings.entries = {{path, size, 0}};
        TCacheThread cache(settings);
        EXPECT_EQ(Drain(cache).error, expected) << size;
        EXPECT_EQ(cache.CurrentFile(), path);
    }
    settings.entries = {{(dir / "gone").string(), 10, 0}};
    TCacheThread missing(settings);
    EXPECT_FALSE(missing.WaitUntilReady(10s));
    EXPECT_EQ(missing.ErrorText(),
              "CAN'T OPEN FILE \"" + (dir / "gone").string() + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
}
