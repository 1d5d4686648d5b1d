// Runs inside the QEMU test guest: finds QEMU's emulated CD/DVD drive through
// the engine's pass-through provider, reads the disc through the command core
// and makes the read-only drive refuse a WRITE (10); the engine's media code,
// capabilities, disc record, used blocks and capacity of the pressed disc
// agree with what the guest kernel and QEMU report; a second drive without a
// disc must be found too and report that no medium is present.
// Prints one line per check on the console and "ZV-RESULT PASSED" only when
// every check passed.
//
//   zelvane_qemu_drive_check --kind ide|scsi --volume VOLUME_ID
#include "sxASPI/Transport.h"
#include "sxConst/EngineTexts.h"
#include "sxDrvLib/CapabilitySet.h"
#include "sxDrvLib/DriveDisplayName.h"
#include "sxDrvLib/ScsiDevice.h"

#include "kernel_view.h"

#include <linux/cdrom.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kSectorSize = 2048;
constexpr uint32_t kCommandTimeoutMs = 30000;

class CheckLog {
public:
    void expect(const std::string &name, const std::string &expected, const std::string &actual)
    {
        if (expected == actual)
            pass(name, "\"" + actual + "\"");
        else
            fail(name, "expected \"" + expected + "\", got \"" + actual + "\"");
    }
    void expect(const std::string &name, bool ok, const std::string &detail)
    {
        ok ? pass(name, detail) : fail(name, detail);
    }
    int finish() const
    {
        if (failed_ == 0)
            std::printf("ZV-RESULT PASSED %d checks\n", total_);
        else
            std::printf("ZV-RESULT FAILED %d of %d checks\n", failed_, total_);
        std::fflush(stdout);
        return failed_ == 0 ? 0 : 1;
    }

private:
    void pass(const std::string &name, const std::string &detail)
    {
        ++total_;
        std::printf("ZV-CHECK PASS %s: %s\n", name.c_str(), detail.c_str());
        std::fflush(stdout);
    }
    void fail(const std::string &name, const std::string &detail)
    {
        ++total_;
        ++failed_;
        std::printf("ZV-CHECK FAIL %s: %s\n", name.c_str(), detail.c_str());
        std::fflush(stdout);
    }
    int total_ = 0;
    int failed_ = 0;
};

std::string padded(std::string text, std::size_t width)
{
    text.resize(width, ' ');
    return text;
}

std::string trimmedRight(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string hexByte(uint8_t value)
{
    char buffer[3];
    std::snprintf(buffer, sizeof buffer, "%02X", value);
    return buffer;
}

// What QEMU 7.2's two drive models answer. Both answer page 2Ah with bytes
// 2-4 = 3B 00 7x (reads CD-R/RW, DVD-ROM, DVD-R/RW, DVD-RAM, writes nothing);
// the ATAPI model refuses the page's default values, from which the engine
// takes its capability bits, and answers READ TOC format 4 with the TOC
// (it reads the format from byte 9), which is no ATIP.
struct DriveModel {
    std::string product;
    uint8_t writeSenseKey;
    uint8_t writeAsc;
    std::string writeErrorText;
    bool defaultCapabilitiesPage;
};

DriveModel modelFor(const std::string &kind)
{
    if (kind == "ide")
        return {"QEMU DVD-ROM", 0x05, 0x20, "ILLEGAL REQUEST (INVALID COMMAND OPERATION CODE)", false};
    return {"QEMU CD-ROM", 0x07, 0x27, "DATA PROTECT (WRITE PROTECTED)", true};
}

std::string hexWord(uint32_t value)
{
    char buffer[12];
    std::snprintf(buffer, sizeof buffer, "%05X", value);
    return buffer;
}

ZvSrbExec readWriteRequest(uint8_t opcode, uint32_t lba, std::vector<uint8_t> &buffer)
{
    ZvSrbExec srb{};
    srb.flags = static_cast<uint8_t>((opcode == 0x28 ? ZV_SRB_DIR_IN : ZV_SRB_DIR_OUT) | ZV_SRB_EVENT_NOTIFY);
    srb.data_length = static_cast<uint32_t>(buffer.size());
    srb.data = buffer.data();
    srb.cdb_length = 10;
    srb.cdb[0] = opcode;
    srb.cdb[2] = static_cast<uint8_t>(lba >> 24);
    srb.cdb[3] = static_cast<uint8_t>(lba >> 16);
    srb.cdb[4] = static_cast<uint8_t>(lba >> 8);
    srb.cdb[5] = static_cast<uint8_t>(lba);
    srb.cdb[8] = 1; // one block
    return srb;
}

// TEST UNIT READY on a drive without a disc. A unit attention left from the
// drive's reset may come first.
void checkNoMedium(CheckLog &log, zelvane::TSCSIDevice &device)
{
    ZvSrbExec srb{};
    for (int attempt = 0; attempt < 3; ++attempt) {
        srb = ZvSrbExec{};
        srb.flags = ZV_SRB_EVENT_NOTIFY;
        srb.cdb_length = 6;
        device.Execute(srb, kCommandTimeoutMs);
        if (srb.status != ZV_SS_ERR || (device.LastSense()[2] & 0x0F) != 0x06)
            break;
    }
    log.expect("TEST UNIT READY status", "04", hexByte(srb.status));
    log.expect("TEST UNIT READY error text", "NOT READY (MEDIUM NOT PRESENT)", device.LastErrorText());
}

// The drive with the disc is target 0 and the empty drive target 1 of the
// first adapter.
struct ExpectedDrive {
    std::string id;
    std::string path;
};
const ExpectedDrive kDiscDrive{"0:0:0", "/dev/sr0"};
const ExpectedDrive kEmptyDrive{"0:1:0", "/dev/sr1"};

void checkDriveList(CheckLog &log, zelvane::TSCSIDevice &device, const DriveModel &model)
{
    const auto &lines = device.DriveList();
    log.expect("drive count", lines.size() == 2, std::to_string(lines.size()) + " drive(s)");
    for (const auto &line : lines)
        std::printf("ZV-INFO drive list line \"%s\"\n", line.c_str());
    const ExpectedDrive *expected[] = {&kDiscDrive, &kEmptyDrive};
    for (std::size_t i = 0; i < lines.size() && i < 2; ++i) {
        const std::string &path = expected[i]->path;
        log.expect("drive list line " + path,
                   expected[i]->id + "," + path + " " + padded("QEMU", 8) + padded(model.product, 16) + "2.5+",
                   lines[i]);
        log.expect("display name " + path, path + " QEMU " + model.product + " 2.5+",
                   zelvane::DriveDisplayName(lines[i]));
    }
}

void checkSelection(CheckLog &log, zelvane::TSCSIDevice &device, const DriveModel &model,
                    const std::string &line, const ExpectedDrive &expected)
{
    device.SelectDevice(line);
    const std::string path = expected.path;
    log.expect("selected address " + path, expected.id,
               std::to_string(device.Adapter()) + ":" + std::to_string(device.Target()) + ":" +
                   std::to_string(device.Lun()));
    log.expect("device path " + path, path, device.DriveLetter());
    log.expect("device type " + path, "05", hexByte(device.DeviceType()));
    log.expect("description " + path, padded("QEMU", 8) + " " + padded(model.product, 16) + " 2.5+",
               device.Description());
}

void checkRead(CheckLog &log, zelvane::TSCSIDevice &device, const std::string &volume)
{
    std::vector<uint8_t> sector(kSectorSize, 0xEE);
    ZvSrbExec srb = readWriteRequest(0x28, 16, sector);
    const uint8_t submitted = device.Execute(srb, kCommandTimeoutMs);
    log.expect("READ (10) submitted", submitted == ZV_SS_COMP, "execute returned " + hexByte(submitted));
    log.expect("READ (10) status", "01", hexByte(srb.status));
    log.expect("READ (10) error text", "", device.LastErrorText());
    log.expect("volume descriptor type", "01", hexByte(sector[0]));
    log.expect("standard identifier", "CD001", std::string(sector.begin() + 1, sector.begin() + 6));
    log.expect("volume identifier", volume, trimmedRight(std::string(sector.begin() + 40, sector.begin() + 72)));
}

void checkRefusedWrite(CheckLog &log, zelvane::TSCSIDevice &device, const DriveModel &model)
{
    std::vector<std::string> traces;
    device.OnDebugMessage = [&traces](zelvane::TSCSIDevice *, const std::string &message, uint8_t mType) {
        if (mType == 0)
            traces.push_back(message);
    };
    std::vector<uint8_t> sector(kSectorSize, 0);
    ZvSrbExec srb = readWriteRequest(0x2A, 16, sector);
    device.Execute(srb, kCommandTimeoutMs);
    device.OnDebugMessage = nullptr;

    log.expect("WRITE (10) status", "04", hexByte(srb.status));
    log.expect("WRITE (10) target status", "02", hexByte(srb.target_status));
    log.expect("WRITE (10) error text", model.writeErrorText, device.LastErrorText());
    const auto &sense = device.LastSense();
    log.expect("WRITE (10) sense", "70 " + hexByte(model.writeSenseKey) + " " + hexByte(model.writeAsc) + " 00",
               hexByte(sense[0] & 0x7F) + " " + hexByte(sense[2] & 0x0F) + " " + hexByte(sense[12]) + " " +
                   hexByte(sense[13]));
    const std::string fromTables = std::string(zelvane::texts::SenseKeyText(sense[2])) + " (" +
                                   zelvane::texts::AdditionalSenseText(sense[12], sense[13]) + ")";
    log.expect("WRITE (10) text from the engine tables", model.writeErrorText, fromTables);

    // The failure may be the device's one traced command; when it is, the
    // trace must name the command and carry the error text.
    for (const auto &line : traces) {
        std::printf("ZV-INFO trace \"%s\"\n", line.c_str());
        if (line.rfind("<<< WRITE (10)", 0) == 0)
            log.expect("WRITE (10) trace line", line.find(model.writeErrorText) != std::string::npos, line);
    }
}

// The pressed disc as the engine sees it, against the guest kernel's view and
// QEMU's answers. Both models report profile 0008h (CD-ROM) for a small image;
// the kernel decodes page 2Ah as the engine does, sizes the block device from
// READ CAPACITY and reads the TOC for the disc status and the last session.
// QEMU answers neither READ TRACK INFORMATION nor READ FORMAT CAPACITIES nor a
// real ATIP, so the engine's figures come from READ CAPACITY alone: used
// blocks and (without an ATIP) capacity are its last LBA, the disc record,
// which READ CAPACITY only fills when READ DISC INFORMATION fails, holds none.
void checkPressedDisc(CheckLog &log, zelvane::TSCSIDevice &device, const DriveModel &model)
{
    using namespace zelvane;
    const KernelView kernel = ReadKernelView("sr0");
    log.expect("kernel view", kernel.blocks.has_value() && !kernel.abilities.empty() && kernel.discStatus,
               "size, cdrom info and disc status read");
    if (!kernel.blocks || kernel.abilities.empty() || !kernel.discStatus)
        return;
    const std::string lastLba = std::to_string(*kernel.blocks - 1);

    log.expect("media code", "1", std::to_string(device.GetMediaCode()));
    log.expect("media name", "CD-ROM", device.GetMediaName());

    const CapabilitySet capabilities = device.Capabilities();
    const CapabilitySet reads = kReadsCdR | kReadsCdRw | kReadsDvdRom | kReadsDvdR | kReadsDvdRw | kReadsDvdRam;
    log.expect("capability set", hexWord(model.defaultCapabilitiesPage ? reads : 0), hexWord(capabilities));
    const std::pair<const char *, CapabilitySet> abilities[] = {
        {"Can read DVD", kReadsDvdRom},   {"Can write CD-R", kWritesCdR},       {"Can write CD-RW", kWritesCdRw},
        {"Can write DVD-R", kWritesDvdR}, {"Can write DVD-RAM", kWritesDvdRam}};
    for (const auto &[ability, bit] : abilities) {
        if (!model.defaultCapabilitiesPage && bit == kReadsDvdRom)
            continue; // the engine has no read bits from this model
        const auto found = kernel.abilities.find(ability);
        const std::string kernelSays = found == kernel.abilities.end() ? "?" : std::to_string(found->second);
        log.expect(std::string("capability as the kernel's \"") + ability + "\"", kernelSays,
                   (capabilities & bit) ? "1" : "0");
    }

    // A complete data CD of one session: the kernel's CDS_DATA_1, its last session at 0.
    log.expect("kernel disc status", std::to_string(CDS_DATA_1), std::to_string(*kernel.discStatus));
    log.expect("kernel sessions", "one",
               kernel.multisession || kernel.lastSessionLba.value_or(1) != 0 ? "several" : "one");
    const TDisc disc = device.DiscInformation();
    log.expect("disc record valid", disc.valid, disc.valid ? "valid" : "not valid");
    log.expect("disc record sessions", "1-1", std::to_string(disc.firstSession) + "-" + std::to_string(disc.lastSession));
    log.expect("disc record status", "2/3", std::to_string(disc.discStatus) + "/" + std::to_string(disc.lastSessionState));
    log.expect("disc record profile", "0008",
               hexByte(static_cast<uint8_t>(disc.profile >> 8)) + hexByte(static_cast<uint8_t>(disc.profile)));
    log.expect("disc record media text", "CD-ROM", disc.mediaText);
    log.expect("disc record capacity/used", "0/0", std::to_string(disc.capacity) + "/" + std::to_string(disc.used));
    log.expect("disc status", "2", std::to_string(device.DiscStatus()));
    log.expect("recorded sessions", "1", std::to_string(device.RecordedSessions()));
    log.expect("used blocks (the kernel's size less one)", lastLba, std::to_string(device.UsedBlocks()));
    // The ATAPI model's TOC in place of an ATIP counts as no ATIP: the short
    // capacity gives way to READ CAPACITY. The SCSI model refuses the ATIP,
    // and neither format capacities nor track information follow.
    log.expect("capacity", model.defaultCapabilitiesPage ? "0" : lastLba, std::to_string(device.Capacity()));
}

} // namespace

int main(int argc, char **argv)
{
    std::string kind;
    std::string volume;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--kind") == 0)
            kind = argv[i + 1];
        else if (std::strcmp(argv[i], "--volume") == 0)
            volume = argv[i + 1];
    }
    if ((kind != "ide" && kind != "scsi") || volume.empty()) {
        std::fprintf(stderr, "usage: %s --kind ide|scsi --volume VOLUME_ID\n", argv[0]);
        return 2;
    }
    const DriveModel model = modelFor(kind);
    CheckLog log;

    zelvane::TSCSIDevice device;
    const bool initialised = device.InitializeTransport(true, "");
    log.expect("transport initialised", initialised, initialised ? "active" : "no transport");
    log.expect("provider", "SXASPI32", zelvane::aspi::ProviderName());
    if (!initialised)
        return log.finish();

    checkDriveList(log, device, model);
    const std::vector<std::string> lines = device.DriveList();
    if (lines.size() != 2)
        return log.finish();

    checkSelection(log, device, model, lines[0], kDiscDrive);
    if (device.HasSelection()) {
        checkRead(log, device, volume);
        checkRefusedWrite(log, device, model);
        checkPressedDisc(log, device, model);
    }
    checkSelection(log, device, model, lines[1], kEmptyDrive);
    if (device.HasSelection())
        checkNoMedium(log, device);
    return log.finish();
}
