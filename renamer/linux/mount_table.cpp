#include "mount_table.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>

#include <sys/stat.h>

namespace nomvary {
namespace {

// Kernel and helper file systems that hold no user files.
constexpr std::array<std::string_view, 27> kPseudoTypes = {
    "proc",        "sysfs",       "cgroup",     "cgroup2",     "devpts",
    "devtmpfs",    "securityfs",  "debugfs",    "tracefs",     "pstore",
    "bpf",         "mqueue",      "hugetlbfs",  "configfs",    "fusectl",
    "binfmt_misc", "autofs",      "efivarfs",   "rpc_pipefs",  "nsfs",
    "selinuxfs",   "ramfs",       "nfsd",       "fuse.portal", "fuse.gvfsd-fuse",
    "fuse.lxcfs",  "none"};

bool IsPseudoType(std::string_view type) {
    return std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end();
}

bool IsAtOrBelow(std::string_view path, std::string_view folder) {
    if (path.substr(0, folder.size()) != folder) return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

// Undoes the octal escapes the kernel writes for blank, tab, newline and
// backslash; anything that is not a valid escape stays as it is.
std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool IsWanted(std::string_view mountPoint, std::string_view type) {
    if (mountPoint.empty() || mountPoint.front() != '/') return false;
    if (IsPseudoType(type)) return false;
    if (type == "overlay") return mountPoint == "/";
    // Memory file systems vanish with the machine; only /tmp is a place a
    // user might keep files to tidy.
    if (type == "tmpfs") return mountPoint == "/tmp";
    // Snap packages are read-only images, not drives.
    if (type == "squashfs") return false;
    for (std::string_view system : {"/proc", "/sys", "/dev"}) {
        if (IsAtOrBelow(mountPoint, system)) return false;
    }
    if (IsAtOrBelow(mountPoint, "/run") && !IsAtOrBelow(mountPoint, "/run/media")) return false;
    return true;
}

}  // namespace

std::vector<Drive> ParseMountTable(std::string_view table) {
    std::map<std::string, std::string> typeByMountPoint;
    std::size_t lineStart = 0;
    while (lineStart < table.size()) {
        std::size_t lineEnd = table.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = table.size();
        const std::string_view line = table.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;

        std::array<std::string_view, 3> fields{};
        std::size_t count = 0, pos = 0;
        while (count < fields.size() && pos < line.size()) {
            while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
            const std::size_t start = pos;
            while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
            if (pos > start) fields[count++] = line.substr(start, pos - start);
        }
        if (count < fields.size()) continue;

        std::string mountPoint = Unescape(fields[1]);
        const std::string type(fields[2]);
        if (IsWanted(mountPoint, type)) {
            typeByMountPoint[mountPoint] = type;
        } else {
            // A later pseudo mount over the same point hides the earlier one.
            typeByMountPoint.erase(mountPoint);
        }
    }

    std::vector<Drive> drives;
    drives.reserve(typeByMountPoint.size());
    for (const auto& [mountPoint, type] : typeByMountPoint) {
        drives.push_back(Drive{mountPoint + " [" + type + "]", mountPoint});
    }
    return drives;
}

std::vector<Drive> ReadSystemDrives() {
    std::ifstream in("/proc/self/mounts", std::ios::binary);
    if (!in) return {Drive{"/", "/"}};
    const std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Drive> drives = ParseMountTable(table);
    std::erase_if(drives, [](const Drive& drive) {
        struct stat info {};
        return stat(drive.root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode);
    });
    return drives;
}

const Drive* DriveHolding(const std::vector<Drive>& drives, std::string_view path) {
    const Drive* best = nullptr;
    for (const Drive& drive : drives) {
        const bool holds = drive.root == "/" ? !path.empty() && path.front() == '/'
                                             : IsAtOrBelow(path, drive.root);
        if (holds && (best == nullptr || drive.root.size() > best->root.size())) best = &drive;
    }
    return best;
}

}  // namespace nomvary
