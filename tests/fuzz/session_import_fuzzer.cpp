// libFuzzer target of the session import: the input is a disc image from
// sector 16 on (the system area before it is zeros), read through the image
// reader. The imported tree is then laid out and its header built, so that
// names and sizes taken from a disc are also exercised downstream.
#include "sxCDBC/SarnixBurner.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    constexpr std::size_t kSystemArea = 16 * 2048;
    std::vector<std::uint8_t> image(kSystemArea, 0);
    image.insert(image.end(), data, data + size);

    static zelvane::TSarnixBurner burner;
    burner.ClearProject(65535, 8191);
    burner.SetDiscReader(std::make_unique<zelvane::ImageDiscReader>(std::move(image)));
    if (burner.ImportSession(255, nullptr)) {
        burner.PrepareLayout(true, nullptr);
        burner.BuildHeader(true, nullptr);
    }
    return 0;
}
