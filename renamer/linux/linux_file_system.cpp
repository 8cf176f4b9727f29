#include "linux_file_system.h"

#include <climits>
#include <cstdlib>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "mount_table.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace nomvary {
namespace {

unsigned char LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(static_cast<unsigned char>(x)) == LowerAscii(static_cast<unsigned char>(y));
           });
}

bool IsBareName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool FlagRefused(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

// Renames `from` to `to` inside `folder` and never replaces what `to` names.
// Answers 0 or -1 with errno set.
int RenameNoReplace(int folder, const char* from, const char* to) {
    if (syscall(SYS_renameat2, folder, from, folder, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (!FlagRefused(errno)) {
        return -1;
    }
    // The file system has no no-replace rename. Claim the new name with a
    // placeholder only we created; a plain rename then replaces nothing but
    // that placeholder.
    const int placeholder = openat(folder, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (placeholder < 0) {
        return -1;
    }
    close(placeholder);
    if (renameat(folder, from, folder, to) == 0) {
        return 0;
    }
    const int error = errno;
    unlinkat(folder, to, 0);
    errno = error;
    return -1;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// Opens a stream of `folder`'s entries with an offset of its own, so reading
// it never disturbs another stream of the same folder.
std::unique_ptr<DIR, DirCloser> OpenEntries(int folder) {
    const int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        close(fd);
    }
    return dir;
}

std::string FoldedAscii(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
    return folded;
}

// On a case-insensitive file system the new name of a case-only rename finds
// the file itself, so the no-replace rename refuses it; going through a
// temporary name gets there, each step still without replacing anything.
int RenameCaseOnly(int folder, const std::string& from, const std::string& to) {
    static unsigned serial = 0;
    std::string temporary;
    for (int attempt = 0;; ++attempt) {
        temporary = ".nomvary-" + std::to_string(getpid()) + "-" + std::to_string(++serial) + ".tmp";
        if (RenameNoReplace(folder, from.c_str(), temporary.c_str()) == 0) {
            break;
        }
        if (errno != EEXIST || attempt == 100) {
            return -1;
        }
    }
    if (RenameNoReplace(folder, temporary.c_str(), to.c_str()) == 0) {
        return 0;
    }
    const int error = errno;
    RenameNoReplace(folder, temporary.c_str(), from.c_str());
    errno = error;
    return -1;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? folder + name : folder + '/' + name;
}

}  // namespace

LinuxFileSystem::~LinuxFileSystem() { CloseListing(); }

bool LinuxFileSystem::SetCurrentFolder(const std::string& path) {
    if (path.empty() || chdir(path.c_str()) != 0) {
        return false;
    }
    if (m_listingFd < 0) {
        ForgetEntries();  // it was the index of the folder left
    }
    return true;
}

void LinuxFileSystem::ForgetEntries() {
    m_indexed = false;
    m_entries.clear();
    m_folded.clear();
}

void LinuxFileSystem::CloseListing() {
    if (m_listingFd >= 0) {
        close(m_listingFd);
        m_listingFd = -1;
    }
    m_listing.clear();
    m_nextName = 0;
    ForgetEntries();
}

bool LinuxFileSystem::CaseVariantOfItself(const std::string& oldName, const std::string& newName) {
    if (!EqualIgnoringAsciiCase(oldName, newName)) {
        return false;
    }
    if (!m_indexed) {
        const std::unique_ptr<DIR, DirCloser> dir = OpenEntries(WorkingFolderFd());
        if (!dir) {
            return false;
        }
        errno = 0;
        while (const dirent* entry = readdir(dir.get())) {
            m_entries.emplace(entry->d_name);
            ++m_folded[FoldedAscii(entry->d_name)];
        }
        if (errno != 0) {
            ForgetEntries();
            return false;
        }
        m_indexed = true;
    }
    const auto spellings = m_folded.find(FoldedAscii(newName));
    return m_entries.count(oldName) != 0 && spellings != m_folded.end() && spellings->second == 1;
}

void LinuxFileSystem::NoteRenamed(const std::string& oldName, const std::string& newName) {
    if (!m_indexed) {
        return;
    }
    if (m_entries.erase(oldName) != 0) {
        const auto old = m_folded.find(FoldedAscii(oldName));
        if (old != m_folded.end() && --old->second == 0) m_folded.erase(old);
    }
    if (m_entries.insert(newName).second) {
        ++m_folded[FoldedAscii(newName)];
    }
}

int LinuxFileSystem::WorkingFolderFd() const { return m_listingFd >= 0 ? m_listingFd : AT_FDCWD; }

std::string LinuxFileSystem::ListMatchingNames(const std::string& folderAndPattern) {
    CloseListing();

    std::string folder = ".";
    std::string pattern = folderAndPattern;
    const std::size_t slash = folderAndPattern.rfind('/');
    if (slash != std::string::npos) {
        folder = slash == 0 ? "/" : folderAndPattern.substr(0, slash);
        pattern = folderAndPattern.substr(slash + 1);
    }

    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        return {};
    }
    m_listingFd = folderFd;

    const std::unique_ptr<DIR, DirCloser> dir = OpenEntries(folderFd);
    if (!dir) {
        return {};
    }
    // A read error ends the listing with the names read so far.
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name.empty() || name.front() == '.' || !PatternMatches(pattern, name)) {
            continue;
        }
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            regular = fstatat(folderFd, entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
        }
        if (regular) {
            m_listing.emplace_back(name);
        }
    }
    // In name order, bytes compared as unsigned: the order a user reads a
    // run's report in, the same for a run and its dry run.
    std::sort(m_listing.begin(), m_listing.end());
    // Not the virtual call: a derived class sees each name handed out once.
    return LinuxFileSystem::ListMatchingNames();
}

std::string LinuxFileSystem::ListMatchingNames() {
    if (m_nextName >= m_listing.size()) {
        return {};
    }
    // Each name is handed out once; the listing keeps no use for it.
    return std::move(m_listing[m_nextName++]);
}

bool LinuxFileSystem::RenameFile(const std::string& oldName, const std::string& newName) {
    m_lastRenameError = 0;
    if (!IsBareName(oldName) || !IsBareName(newName)) {
        m_lastRenameError = EINVAL;
        return false;
    }
    if (oldName == newName) {
        return true;
    }
    const int folder = WorkingFolderFd();
    if (RenameNoReplace(folder, oldName.c_str(), newName.c_str()) == 0) {
        NoteRenamed(oldName, newName);
        return true;
    }
    int error = errno;
    if (error == EEXIST && CaseVariantOfItself(oldName, newName)) {
        if (RenameCaseOnly(folder, oldName, newName) == 0) {
            NoteRenamed(oldName, newName);
            return true;
        }
        error = errno;
    }
    m_lastRenameError = error;
    return false;
}

bool LinuxFileSystem::NameTaken(const std::string& oldName, const std::string& newName) {
    struct stat info {};
    if (fstatat(WorkingFolderFd(), newName.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno != ENOENT;
    }
    return !CaseVariantOfItself(oldName, newName);
}

std::string LinuxFileSystem::ProgramFolder() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<std::string> LinuxFileSystem::ResolveReadableFolder(const std::string& path, int& error) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) {
        error = errno;
        return std::nullopt;
    }
    const int fd = open(resolved, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    close(fd);
    error = 0;
    return std::string(resolved);
}

bool LinuxFileSystem::IsReadableFolder(const std::string& path) {
    return std::unique_ptr<DIR, DirCloser>(opendir(path.c_str())) != nullptr;
}

std::optional<std::vector<std::string>> LinuxFileSystem::ReadSubfolders(const std::string& path) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
    if (!dir) return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name.front() == '.') continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder = stat(Join(path, name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), FolderNameLess);
    return names;
}

std::vector<Drive> LinuxFileSystem::Drives() { return ReadSystemDrives(); }

int LinuxFileSystem::FolderWriteError(const std::string& folder) {
    return faccessat(AT_FDCWD, folder.empty() ? "." : folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

std::vector<std::string> LinuxFileSystem::EntryNames(const std::string& folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) {
        return names;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    return names;
}

}  // namespace nomvary
