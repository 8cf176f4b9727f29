#pragma once

#include <set>
#include <string>

#include "posix_file_system.h"

namespace nomvary {

// The real listing with renames that are only planned: nothing on disk
// changes. A planned rename fails, as the real one would, when its new name
// is held by a file of the folder that no earlier planned rename frees, or by
// the new name of an earlier planned rename.
class DryRunFileSystem : public PosixFileSystem {
public:
    bool RenameFile(const std::string& oldName, const std::string& newName) override;
    int LastRenameError() const override { return m_error; }
    // Whether the last planned rename that failed met the new name of an
    // earlier planned rename (else a file of the folder holds it).
    bool LastTakenByEarlierRename() const { return m_takenByEarlierRename; }

private:
    std::set<std::string> m_planned;  // names the planned renames take
    std::set<std::string> m_vacated;  // names the planned renames free
    int m_error = 0;
    bool m_takenByEarlierRename = false;
};

}  // namespace nomvary
