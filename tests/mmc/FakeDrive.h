// A scripted drive behind the provider interface, for tests of the MMC
// command set. The test links this library and also hands its file to the
// transport, which loads the very same instance; the test then decides how
// the drive answers each command and sees every request it was sent.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace fakedrive {

struct Answer {
    bool ok = true;
    std::vector<uint8_t> data;   // bytes for a data-in command (shorter ones leave the rest)
    uint8_t senseKey = 0;
    uint8_t asc = 0;
    uint8_t ascq = 0;

    static Answer Good(std::vector<uint8_t> bytes = {}) { return Answer{true, std::move(bytes)}; }
    static Answer Check(uint8_t key, uint8_t asc, uint8_t ascq = 0)
    {
        return Answer{false, {}, key, asc, ascq};
    }
};

struct Request {
    std::vector<uint8_t> cdb;    // cdb_length bytes
    uint8_t flags = 0;
    uint32_t dataLength = 0;
    std::vector<uint8_t> dataOut; // data of a data-out command
};

using Handler = std::function<Answer(const Request &)>;

// The drive's answers to every command but INQUIRY, which always reports a
// CD/DVD drive with the identification below at address 0:0:0.
void SetHandler(Handler handler);
void SetIdentification(const char *vendor8, const char *product16);
const std::vector<Request> &Requests();
void ClearRequests();

} // namespace fakedrive
