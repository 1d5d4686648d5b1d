// The drive list of a device object and the selection of one drive.
#include "sxDrvLib/ScsiDevice.h"

#include "sxASPI/Transport.h"
#include "sxConst/EngineTexts.h"

#include <cstdio>

namespace zelvane {
namespace {

constexpr uint8_t kDeviceTypeWriteOnce = 4;
constexpr uint8_t kDeviceTypeCdDvd = 5;
constexpr uint8_t kDeviceTypeUnknown = 31;
constexpr int kScannedTargets = 8;
constexpr int kScannedLuns = 8;

bool IsOpticalDeviceType(uint8_t type)
{
    return type == kDeviceTypeCdDvd || type == kDeviceTypeWriteOnce;
}

// Inquiry bytes [first, first + count) with control characters as blanks.
std::string InquiryText(const std::array<uint8_t, kInquiryBufferSize> &inquiry, std::size_t first,
                        std::size_t count)
{
    std::string text;
    for (std::size_t i = first; i < first + count; ++i)
        text += inquiry[i] < 0x20 ? ' ' : static_cast<char>(inquiry[i]);
    return text;
}

std::string Trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A decimal digit of an id, or -1.
int IdDigit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

} // namespace

std::string TSCSIDevice::DriveListLine(uint8_t adapter, uint8_t target, uint8_t lun) const
{
    char address[32];
    std::snprintf(address, sizeof(address), "%u:%X:%u,", adapter, target, lun);
    std::string name = aspi::DriveName(adapter, target, lun);
    if (name.empty())
        name = std::string(texts::kUnknownDriveLetter);
    std::string line = address + name + " " + InquiryText(inquiry_, 8, 8) +
                       InquiryText(inquiry_, 16, 16) + InquiryText(inquiry_, 32, 4);
    if (inquiry_[0] == kDeviceTypeWriteOnce)
        line += texts::kNotSupportedSuffix;
    return line;
}

void TSCSIDevice::ScanDrives()
{
    driveList_.clear();
    const uint8_t savedAdapter = adapter_, savedTarget = target_, savedLun = lun_;
    if (DoDebug)
        EmitDebug(">>> " + aspi::ProviderName(), 1);

    const int adapters = static_cast<int8_t>(adapterCount_);
    for (int adapter = 0; adapter < adapters; ++adapter) {
        HostAdapterInquiry(static_cast<uint8_t>(adapter));
        if (DoDebug)
            EmitDebug(">>> " + managerId_ + " (" + Trimmed(adapterId_) + ")", 1);
        for (int target = 0; target < kScannedTargets; ++target) {
            for (int lun = 0; lun < kScannedLuns; ++lun) {
                SetAddress(static_cast<uint8_t>(adapter), static_cast<uint8_t>(target),
                           static_cast<uint8_t>(lun));
                inquiry_.fill(0);
                if (Inquiry() && IsOpticalDeviceType(inquiry_[0]))
                    driveList_.push_back(DriveListLine(adapter_, target_, lun_));
            }
        }
    }
    SetAddress(savedAdapter, savedTarget, savedLun);
    lastErrorText_.clear();
}

std::string TSCSIDevice::DriveLetter() const
{
    if (!HasSelection())
        return {};
    return aspi::DriveName(adapter_, target_, lun_);
}

void TSCSIDevice::SelectDevice(const std::string &id)
{
    if (id.size() <= 4) {
        ClearSelection();
        if (!id.empty())
            EmitDebug(std::string(texts::kInvalidDeviceId), 0);
        return;
    }

    bool accepted = false;
    try {
        const int adapter = IdDigit(id[0]), target = IdDigit(id[2]), lun = IdDigit(id[4]);
        if (adapter >= 0 && target >= 0 && lun >= 0) {
            SetAddress(static_cast<uint8_t>(adapter), static_cast<uint8_t>(target),
                       static_cast<uint8_t>(lun));
            deviceId_ = id;
            // A medium changed since the drive was last asked is reported first.
            TestUnitReady();
            RefreshCapabilities();
            if (Inquiry()) {
                deviceType_ = inquiry_[0];
                for (std::size_t i = 8; i < 56; ++i) {
                    if (inquiry_[i] < 0x20)
                        inquiry_[i] = ' ';
                }
                description_ = InquiryText(inquiry_, 8, 8) + " " + InquiryText(inquiry_, 16, 16) +
                               " " + InquiryText(inquiry_, 32, 4);
            } else {
                // A drive that does not answer is not taken for the last one
                // that did.
                deviceType_ = kDeviceTypeUnknown;
                description_ = lastErrorText_;
            }
            if (IsOpticalDeviceType(deviceType_)) {
                SetDriveQuirks(Trimmed(InquiryText(inquiry_, 16, 16)));
                if (OnDeviceChange)
                    OnDeviceChange(this);
                ProbeWriteTypes();
                accepted = true;
            }
        }
    } catch (...) {
        accepted = false;
    }
    if (!accepted) {
        EmitDebug(std::string(texts::kInvalidDeviceId), 0);
        ClearSelection();
    }
}

} // namespace zelvane
