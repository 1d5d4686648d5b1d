// Fills the one "%s" or "%d" placeholder of an engine text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvane::texts {

inline std::string fillText(std::string_view pattern, std::string_view value)
{
    std::string out(pattern);
    auto at = out.find("%s");
    if (at == std::string::npos)
        at = out.find("%d");
    if (at != std::string::npos)
        out.replace(at, 2, value);
    return out;
}

inline std::string fillText(std::string_view pattern, std::int64_t value)
{
    return fillText(pattern, std::to_string(value));
}

} // namespace zelvane::texts
