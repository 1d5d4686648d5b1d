#include "tool/tool_command.h"

#include <cerrno>
#include <cstdlib>
#include <iostream>

namespace zelvane::vdrive::tool {

uint32_t parseNumber(const std::string &text, const std::string &what, uint64_t maximum)
{
    std::string digits = text;
    int base = 10;
    if (digits.size() > 2 && (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0)) {
        digits = digits.substr(2);
        base = 16;
    } else if (digits.size() > 1 && (digits.back() == 'h' || digits.back() == 'H')) {
        digits.pop_back();
        base = 16;
    }
    if (digits.empty() || digits.front() == '-' || digits.front() == '+')
        throw ToolError("invalid " + what + ": " + text);
    errno = 0;
    char *end = nullptr;
    const unsigned long long value = std::strtoull(digits.c_str(), &end, base);
    if (errno != 0 || *end != '\0' || value > maximum)
        throw ToolError("invalid " + what + ": " + text);
    return static_cast<uint32_t>(value);
}

double parsePositive(const std::string &text, const std::string &what)
{
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || !(value > 0) || value > 1e6)
        throw ToolError("invalid " + what + ": " + text);
    return value;
}

void updateState(const StateStore &store, const std::function<void(DriveState &)> &change, bool freshWhenUnreadable)
{
    const auto lock = store.lock();
    DriveState state;
    try {
        state = store.load();
    } catch (const std::runtime_error &error) {
        if (!freshWhenUnreadable)
            throw;
        std::cerr << "zelvane-vdrive: " << error.what() << "; starting from a fresh drive\n";
    }
    change(state);
    store.save(state);
}

} // namespace zelvane::vdrive::tool
