#include "kernel_view.h"

#include <fcntl.h>
#include <fstream>
#include <linux/cdrom.h>
#include <sstream>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

// The info table has one column per drive, named in its "drive name:" line.
std::map<std::string, int> AbilitiesOf(const std::string &name)
{
    std::map<std::string, int> abilities;
    std::ifstream info("/proc/sys/dev/cdrom/info");
    std::string line;
    std::optional<std::size_t> column;
    while (std::getline(info, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::istringstream values(line.substr(colon + 1));
        std::vector<std::string> cells;
        for (std::string cell; values >> cell;)
            cells.push_back(cell);
        const std::string key = line.substr(0, colon);
        if (key == "drive name") {
            for (std::size_t i = 0; i < cells.size(); ++i)
                if (cells[i] == name)
                    column = i;
        } else if (column && *column < cells.size() && key.rfind("Can ", 0) == 0) {
            abilities[key] = std::atoi(cells[*column].c_str());
        }
    }
    return abilities;
}

} // namespace

KernelView ReadKernelView(const std::string &name)
{
    KernelView view;
    std::ifstream size("/sys/block/" + name + "/size");
    uint64_t sectors = 0;
    if (size >> sectors)
        view.blocks = sectors / 4;
    view.abilities = AbilitiesOf(name);
    const int fd = ::open(("/dev/" + name).c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return view;
    const int status = ::ioctl(fd, CDROM_DISC_STATUS, 0);
    if (status >= 0)
        view.discStatus = status;
    cdrom_multisession session{};
    session.addr_format = CDROM_LBA;
    if (::ioctl(fd, CDROMMULTISESSION, &session) == 0) {
        view.lastSessionLba = static_cast<uint32_t>(session.addr.lba);
        view.multisession = session.xa_flag != 0;
    }
    ::close(fd);
    return view;
}
