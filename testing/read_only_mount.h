#pragma once

// A folder made read-only for everyone, root included, by mounting it over
// itself read-only; the mount goes with the object. Where mounting is
// refused (no privilege, no mount namespace) Active() is false and the
// folder stays as it was.

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace testkit {

class ReadOnlyMount {
public:
    explicit ReadOnlyMount(const std::string& folder) : m_folder(folder) {
        if (mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            m_refusal = std::strerror(errno);
            return;
        }
        m_bound = true;
        if (mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
            m_refusal = std::strerror(errno);
        }
    }
    ~ReadOnlyMount() {
        if (m_bound) umount2(m_folder.c_str(), MNT_DETACH);
    }
    ReadOnlyMount(const ReadOnlyMount&) = delete;
    ReadOnlyMount& operator=(const ReadOnlyMount&) = delete;

    bool Active() const { return m_bound && m_refusal.empty(); }
    // Why mounting was refused; empty when it was not.
    const std::string& Refusal() const { return m_refusal; }

private:
    std::string m_folder;
    bool m_bound = false;
    std::string m_refusal;
};

}  // namespace testkit
