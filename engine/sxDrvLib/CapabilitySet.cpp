#include "sxDrvLib/CapabilitySet.h"

#include "sxDrvLib/AnswerBytes.h"

namespace zelvane {

CapabilitySet CapabilitiesFromPage(std::span<const uint8_t> page)
{
    const AnswerBytes bytes(page);
    const uint8_t reads = bytes.u8(2);
    const uint8_t writes = bytes.u8(3);
    CapabilitySet caps = 0;
    if (reads & 0x01) caps |= kReadsCdR;
    if (reads & 0x02) caps |= kReadsCdRw;
    if (reads & 0x04) caps |= kReadsMethod2;
    if (reads & 0x08) caps |= kReadsDvdRom;
    if (reads & 0x10) caps |= kReadsDvdR | kReadsDvdRw;
    if (reads & 0x20) caps |= kReadsDvdRam;
    if (writes & 0x01) caps |= kWritesCdR;
    if (writes & 0x02) caps |= kWritesCdRw;
    if (writes & 0x04) caps |= kTestWrite;
    if (writes & 0x10) caps |= kWritesDvdR | kWritesDvdRw;
    if (writes & 0x20) caps |= kWritesDvdRam;
    if (bytes.u8(4) & 0x80) caps |= kUnderrunProtection;
    return caps;
}

SpeedFigures SpeedFiguresFromPage(std::span<const uint8_t> page)
{
    const AnswerBytes bytes(page);
    SpeedFigures figures;
    figures.maxReadSpeed = bytes.be16(8);
    figures.bufferSizeKb = bytes.be16(12);
    figures.currentReadSpeed = bytes.be16(14);
    figures.maxWriteSpeed = bytes.be16(18);
    figures.currentWriteSpeed = bytes.be16(20);
    return figures;
}

CapabilitySet CapabilitiesFromFeature(std::span<const uint8_t> answer, uint16_t feature)
{
    const AnswerBytes bytes(answer);
    if (bytes.be16(8) != feature)
        return 0;
    const bool writes = bytes.u8(12) == 1;
    if (feature == kFeatureDvdPlusRw)
        return kReadsDvdPlusR | kReadsDvdPlusRw | (writes ? kWritesDvdPlusR | kWritesDvdPlusRw : 0);
    if (feature == kFeatureDvdMinusRw)
        return kReadsDvdR | kReadsDvdRw | (writes ? kWritesDvdR | kWritesDvdRw : 0);
    return 0;
}

bool IsWriter(CapabilitySet caps)
{
    return (caps & (kWritesCdR | kWritesDvdR | kWritesDvdRam)) != 0;
}

} // namespace zelvane
