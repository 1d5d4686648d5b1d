#include "sxDrvLib/DriveQuirks.h"

#include <algorithm>

namespace zelvane {

namespace {

std::string Field(std::span<const uint8_t> inquiry, size_t offset, size_t length)
{
    std::string text;
    for (size_t i = offset; i < offset + length && i < inquiry.size(); ++i)
        text.push_back(static_cast<char>(inquiry[i]));
    return text;
}

std::string Trimmed(std::string text)
{
    const auto isPadding = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && isPadding(text.back()))
        text.pop_back();
    const auto first = std::find_if_not(text.begin(), text.end(), isPadding);
    return std::string(first, text.end());
}

bool StartsWith(const std::string &text, const char *prefix)
{
    return text.rfind(prefix, 0) == 0;
}

} // namespace

std::string InquiryVendor(std::span<const uint8_t> inquiry)
{
    std::string vendor = Trimmed(Field(inquiry, 8, 8));
    return vendor.size() < 3 ? std::string(5, ' ') : vendor;
}

std::string InquiryProduct(std::span<const uint8_t> inquiry)
{
    return Trimmed(Field(inquiry, 16, 16));
}

std::string InquiryProductRaw(std::span<const uint8_t> inquiry)
{
    return Field(inquiry, 16, 16);
}

DriveQuirks QuirksFromInquiry(std::span<const uint8_t> inquiry)
{
    const std::string vendor = InquiryVendor(inquiry);
    const std::string product = InquiryProduct(inquiry);
    const std::string raw = InquiryProductRaw(inquiry);
    DriveQuirks quirks;
    quirks.forceUnderrunProtection = product == "CD-W512EB";
    quirks.linkSizeBit = product == "CRX175E" || product == "CD-RW  CRX800E";
    const bool slowPioneer = raw == "DVD-RW  DVR-103 " || raw == "DVD-RW  DVR-104 ";
    const bool slowFamily = StartsWith(product, "UJDA") || StartsWith(vendor, "TDK");
    quirks.slowReady = slowPioneer || slowFamily;
    quirks.slowEraseReady = slowFamily;
    quirks.closeWithoutImmediate = product == "CDRW321040X";
    return quirks;
}

} // namespace zelvane
