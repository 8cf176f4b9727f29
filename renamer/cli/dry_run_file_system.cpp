#include "dry_run_file_system.h"

#include <cerrno>

namespace nomvary {

bool DryRunFileSystem::NameTaken(const std::string& oldName, const std::string& newName) {
    return m_planned.count(newName) != 0 || (m_vacated.count(newName) == 0 && m_real.NameTaken(oldName, newName));
}

bool DryRunFileSystem::RenameFile(const std::string& oldName, const std::string& newName) {
    m_takenByEarlierRename = m_planned.count(newName) != 0;
    if (NameTaken(oldName, newName)) {
        m_error = EEXIST;
        return false;
    }
    m_error = 0;
    m_planned.insert(newName);
    m_planned.erase(oldName);
    m_vacated.insert(oldName);
    m_vacated.erase(newName);
    return true;
}

}  // namespace nomvary
