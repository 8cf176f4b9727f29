#include "console_platform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace nomvary {
namespace {

std::size_t BoxIndex(CheckBox box) { return static_cast<std::size_t>(box); }
std::size_t ArrayIndex(OptionArray array) { return static_cast<std::size_t>(array); }

void PutBytes(std::FILE* stream, const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stream); }

}  // namespace

ConsolePlatform::ConsolePlatform(bool dryRun, std::FILE* out, std::FILE* err)
    : m_dryRun(dryRun), m_out(out), m_err(err) {}

void ConsolePlatform::PrintRename(const std::string& oldName, const std::string& newName, const char* note) {
    PutBytes(m_out, oldName);
    std::fputs(" -> ", m_out);
    PutBytes(m_out, newName);
    std::fputs(note, m_out);
    std::fputc('\n', m_out);
}

bool ConsolePlatform::RenameFile(const std::string& oldName, const std::string& newName) {
    if (m_dryRun) {
        const bool taken = m_planned.count(newName) != 0 ||
                           (m_vacated.count(newName) == 0 && NameTaken(oldName, newName));
        if (taken) {
            PrintRename(oldName, newName, "  (the new name already exists: would fail)");
            ++m_failures;
            return false;
        }
        PrintRename(oldName, newName, "");
        m_planned.insert(newName);
        m_planned.erase(oldName);
        m_vacated.insert(oldName);
        m_vacated.erase(newName);
        ++m_renames;
        return true;
    }

    if (!PosixFileSystem::RenameFile(oldName, newName)) {
        std::fputs("nomvary-cli: cannot rename \"", m_err);
        PutBytes(m_err, oldName);
        std::fputs("\" to \"", m_err);
        PutBytes(m_err, newName);
        std::fprintf(m_err, "\": %s\n", std::strerror(LastRenameError()));
        ++m_failures;
        return false;
    }
    PrintRename(oldName, newName, "");
    ++m_renames;
    return true;
}

bool ConsolePlatform::OpenSettingsFile(const std::string&) { return false; }

bool ConsolePlatform::AskYesNo(const std::string& text, const std::string&) {
    m_lastQuestion = text;
    return false;
}

void ConsolePlatform::ShowMessage(const std::string& text, const std::string&) {
    PutBytes(m_out, text);
    std::fputc('\n', m_out);
}

void ConsolePlatform::EndProgram() {
    std::fflush(nullptr);
    std::exit(m_failures == 0 ? 0 : 1);
}

std::optional<std::string> ConsolePlatform::DriveRoot(const std::string& driveText) {
    if (driveText == "/") {
        return driveText;
    }
    return std::nullopt;
}

bool ConsolePlatform::SetFolderListPath(const std::string& path) {
    const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return false;
    }
    close(folder);
    m_folder = path;
    if (m_form != nullptr) {
        m_form->Dir1_Change();
    }
    return true;
}

int ConsolePlatform::SelectedOption(OptionArray array) { return m_options[ArrayIndex(array)]; }

void ConsolePlatform::SelectOption(OptionArray array, int index) {
    m_options[ArrayIndex(array)] = index == 0 ? 0 : 1;
    if (m_form == nullptr) {
        return;
    }
    if (array == OptionArray::blankopt) {
        m_form->blankopt_Click(index);
    } else {
        m_form->fnamopt_Click(index);
    }
}

bool ConsolePlatform::IsChecked(CheckBox box) { return m_checked[BoxIndex(box)]; }

void ConsolePlatform::SetChecked(CheckBox box, bool checked) {
    const bool changed = m_checked[BoxIndex(box)] != checked;
    m_checked[BoxIndex(box)] = checked;
    if (changed && box == CheckBox::capcheck && m_form != nullptr) {
        m_form->capcheck_Click();
    }
}

bool ConsolePlatform::IsEnabled(CheckBox box) { return m_enabled[BoxIndex(box)]; }

void ConsolePlatform::SetEnabled(CheckBox box, bool enabled) { m_enabled[BoxIndex(box)] = enabled; }

}  // namespace nomvary
