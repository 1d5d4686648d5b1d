// Behaviour of particular drive models that the engine works around, chosen
// by the vendor and product identification of INQUIRY.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zelvane {

struct DriveQuirks {
    bool forceUnderrunProtection = false; // drive protects against underrun but does not say so
    bool linkSizeBit = false;             // write parameters page wants byte 2 bit 20h
    bool slowReady = false;               // poll readiness in 1.5 s steps first
    bool slowEraseReady = false;          // the erase thread polls readiness in 2 s steps
    bool closeWithoutImmediate = false;   // CLOSE TRACK/SESSION must be sent without IMMED
};

// Vendor (bytes 8..15) and product (bytes 16..31) of an INQUIRY answer.
std::string InquiryVendor(std::span<const uint8_t> inquiry);  // trimmed; "     " when shorter than 3
std::string InquiryProduct(std::span<const uint8_t> inquiry); // trimmed
std::string InquiryProductRaw(std::span<const uint8_t> inquiry); // 16 characters as sent

DriveQuirks QuirksFromInquiry(std::span<const uint8_t> inquiry);

} // namespace zelvane
