#include "core/drive_state.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace zelvane::vdrive {

namespace {

constexpr const char *kMagic = "zelvane-vdrive-state 1";

std::string hex(const uint8_t *bytes, size_t count)
{
    std::string out;
    char buf[3];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
        out += buf;
    }
    return out;
}

bool parseHex(const std::string &digits, std::vector<uint8_t> &bytes)
{
    if (digits.size() % 2 != 0 ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c); }))
        return false;
    bytes.clear();
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return true;
}

[[noreturn]] void malformed(const std::string &line)
{
    throw std::runtime_error("malformed drive state line: " + line);
}

std::string restOfLine(std::istringstream &in)
{
    std::string rest;
    std::getline(in, rest);
    in.clear(); // an empty value is still a value
    if (!rest.empty() && rest.front() == ' ')
        rest.erase(0, 1);
    return rest;
}

} // namespace

std::array<uint8_t, kWriteParametersLength> DriveState::defaultWriteParameters(MediaKind kind)
{
    std::array<uint8_t, kWriteParametersLength> page{};
    page[0] = 0x05;
    page[1] = kWriteParametersLength - 2;
    const bool dvdSequential = kind == MediaKind::DvdR || kind == MediaKind::DvdRwSequential;
    page[2] = 0x40 | (dvdSequential ? 0x00 : 0x01); // BUFE, incremental on DVD-R, else track-at-once
    page[3] = dvdSequential ? 0x05 : 0x04;          // track mode
    page[4] = 0x08;                                 // data block type: mode 1, 2048 bytes
    page[14] = 0x00;
    page[15] = 150; // audio pause length
    return page;
}

uint16_t DriveState::currentWriteSpeed() const
{
    if (model.zeroWriteSpeed)
        return 0;
    if (!disc.present() || disc.traits().writeSpeeds.empty())
        return kDriveMaxWriteSpeed;
    return roundWriteSpeed(disc.traits().writeSpeeds, requestedWriteSpeed);
}

uint16_t DriveState::maximumWriteSpeed() const
{
    if (model.zeroWriteSpeed)
        return 0;
    if (!disc.present() || disc.traits().writeSpeeds.empty())
        return kDriveMaxWriteSpeed;
    return disc.traits().writeSpeeds.back();
}

uint16_t DriveState::maximumReadSpeed() const
{
    return disc.present() && disc.cd() ? kCdMaxReadSpeed : kDvdMaxReadSpeed;
}

uint16_t DriveState::currentReadSpeed() const
{
    const uint16_t maximum = maximumReadSpeed();
    if (requestedReadSpeed == 0 || requestedReadSpeed >= maximum)
        return maximum;
    // No slower than single speed of the family.
    const uint16_t single = disc.present() && disc.cd() ? 176 : 1385;
    return static_cast<uint16_t>(std::max<uint32_t>(requestedReadSpeed, single));
}

void DriveState::insert(Disc newDisc, int64_t now)
{
    const MediaKind kind = newDisc.kind;
    disc = std::move(newDisc);
    trayOpen = false;
    removalPrevented = false;
    writeParameters = defaultWriteParameters(kind);
    bufferFill = 0;
    bufferStampMs = now;
    operation = Operation{Activity::Loading, now, now};
    cueSheet.clear();
    unitAttention = true;
    mediaEvent = MediaEvent::NewMedia;
}

void DriveState::openTray()
{
    if (!trayOpen && disc.present())
        mediaEvent = MediaEvent::MediaRemoval;
    trayOpen = true;
    cueSheet.clear();
}

void DriveState::closeTray(int64_t now, int64_t loadMs)
{
    if (!trayOpen)
        return;
    trayOpen = false;
    if (!disc.present())
        return;
    operation = Operation{Activity::Loading, now, now + loadMs};
    unitAttention = true;
    mediaEvent = MediaEvent::NewMedia;
}

std::string DriveState::serialize() const
{
    std::ostringstream out;
    out << kMagic << '\n';
    out << "tray " << (trayOpen ? "open" : "closed") << '\n';
    out << "medium " << disc.traits().token << ' ' << disc.capacity << ' ' << disc.finalized << ' '
        << disc.formatted << ' ' << disc.fullyFormatted << ' ' << disc.writtenEnd << ' ' << disc.quickBlanked
        << '\n';
    for (const auto &t : disc.tracks)
        out << "track " << t.number << ' ' << t.session << ' ' << t.start << ' ' << t.recorded << ' '
            << t.reserved << ' ' << t.size << ' ' << t.closed << '\n';
    out << "vendor " << model.vendor << '\n';
    out << "product " << model.product << '\n';
    out << "revision " << model.revision << '\n';
    out << "quirks " << model.noGetConfiguration << ' ' << model.noDiscInformation << ' ' << model.noAtip
        << ' ' << model.zeroWriteSpeed << '\n';
    out << "speed " << (speedMode == SpeedMode::Fast ? "fast" : "realtime") << ' ' << timeFactor << '\n';
    out << "write_speed " << requestedWriteSpeed << '\n';
    out << "read_speed " << requestedReadSpeed << '\n';
    out << "prevent " << removalPrevented << '\n';
    out << "write_params " << hex(writeParameters.data(), writeParameters.size()) << '\n';
    out << "operation " << static_cast<int>(operation.activity) << ' ' << operation.startMs << ' '
        << operation.endMs << '\n';
    out << "buffer " << bufferFill << ' ' << bufferStampMs << '\n';
    for (const auto &f : faults.writeErrors)
        out << "fault_write " << f.lba << ' ' << int{f.key} << ' ' << int{f.asc} << ' ' << int{f.ascq} << '\n';
    for (uint32_t lba : faults.readErrors)
        out << "fault_read " << lba << '\n';
    for (uint8_t op : faults.hangOpcodes)
        out << "fault_hang " << int{op} << '\n';
    out << "fault_busy " << faults.busyUntilMs << '\n';
    out << "fault_not_ready " << faults.notReadyUntilMs << '\n';
    out << "attention " << unitAttention << ' ' << static_cast<int>(mediaEvent) << '\n';
    if (!cueSheet.empty())
        out << "cue_sheet " << hex(cueSheet.data(), cueSheet.size()) << ' ' << cueNext << '\n';
    if (faults.closeError)
        out << "fault_close_error 1\n";
    if (faults.flushError)
        out << "fault_flush_error 1\n";
    return out.str();
}

DriveState DriveState::parse(const std::string &text)
{
    DriveState state;
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kMagic)
        throw std::runtime_error("not a drive state file");
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        std::istringstream in(line);
        std::string key;
        in >> key;
        bool ok = true;
        if (key == "tray") {
            std::string value;
            in >> value;
            state.trayOpen = value == "open";
        } else if (key == "medium") {
            std::string token;
            in >> token >> state.disc.capacity >> state.disc.finalized >> state.disc.formatted
                >> state.disc.fullyFormatted >> state.disc.writtenEnd >> state.disc.quickBlanked;
            const auto kind = mediaFromToken(token);
            ok = kind.has_value();
            state.disc.kind = kind.value_or(MediaKind::None);
        } else if (key == "track") {
            Track t;
            in >> t.number >> t.session >> t.start >> t.recorded >> t.reserved >> t.size >> t.closed;
            state.disc.tracks.push_back(t);
        } else if (key == "vendor") {
            state.model.vendor = restOfLine(in);
        } else if (key == "product") {
            state.model.product = restOfLine(in);
        } else if (key == "revision") {
            state.model.revision = restOfLine(in);
        } else if (key == "quirks") {
            in >> state.model.noGetConfiguration >> state.model.noDiscInformation >> state.model.noAtip
                >> state.model.zeroWriteSpeed;
        } else if (key == "speed") {
            std::string mode;
            in >> mode >> state.timeFactor;
            state.speedMode = mode == "realtime" ? SpeedMode::Realtime : SpeedMode::Fast;
            ok = state.timeFactor > 0;
        } else if (key == "write_speed") {
            in >> state.requestedWriteSpeed;
        } else if (key == "read_speed") {
            in >> state.requestedReadSpeed;
        } else if (key == "prevent") {
            in >> state.removalPrevented;
        } else if (key == "write_params") {
            std::string digits;
            in >> digits;
            std::vector<uint8_t> bytes;
            ok = parseHex(digits, bytes) && bytes.size() == kWriteParametersLength;
            if (ok)
                std::copy(bytes.begin(), bytes.end(), state.writeParameters.begin());
        } else if (key == "operation") {
            int activity = 0;
            in >> activity >> state.operation.startMs >> state.operation.endMs;
            ok = activity >= 0 && activity <= static_cast<int>(Activity::Closing);
            state.operation.activity = static_cast<Activity>(activity);
        } else if (key == "buffer") {
            in >> state.bufferFill >> state.bufferStampMs;
        } else if (key == "fault_write") {
            unsigned lba = 0, k = 0, asc = 0, ascq = 0;
            in >> lba >> k >> asc >> ascq;
            state.faults.writeErrors.push_back({lba, static_cast<uint8_t>(k), static_cast<uint8_t>(asc),
                                                static_cast<uint8_t>(ascq)});
        } else if (key == "fault_read") {
            uint32_t lba = 0;
            in >> lba;
            state.faults.readErrors.push_back(lba);
        } else if (key == "fault_hang") {
            unsigned op = 0;
            in >> op;
            state.faults.hangOpcodes.push_back(static_cast<uint8_t>(op));
        } else if (key == "fault_busy") {
            in >> state.faults.busyUntilMs;
        } else if (key == "fault_not_ready") {
            in >> state.faults.notReadyUntilMs;
        } else if (key == "attention") {
            int event = 0;
            in >> state.unitAttention >> event;
            ok = event == 0 || event == 2 || event == 3;
            state.mediaEvent = static_cast<MediaEvent>(event);
        } else if (key == "cue_sheet") {
            std::string digits;
            in >> digits >> state.cueNext;
            ok = parseHex(digits, state.cueSheet);
        } else if (key == "fault_close_error") {
            in >> state.faults.closeError;
        } else if (key == "fault_flush_error") {
            in >> state.faults.flushError;
        }
        if (!ok || in.fail())
            malformed(line);
    }
    if (state.disc.present() && state.disc.tracks.empty() && state.disc.recording() != Recording::ReadOnly)
        malformed("medium without tracks");
    return state;
}

} // namespace zelvane::vdrive
