#include <windows.h>

#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings.h"
#include "testing/temp_folder.h"
#include "wide_text.h"
#include "windows_file_system.h"
#include "windows_settings_file.h"

namespace nomvary {
namespace {

using testkit::BytesOf;
using testkit::PathOf;
using testkit::TempFolder;

std::vector<std::string> ListAll(WindowsFileSystem& files, const std::string& folderAndPattern) {
    std::vector<std::string> names;
    for (std::string name = files.ListMatchingNames(folderAndPattern); !name.empty();
         name = files.ListMatchingNames()) {
        names.push_back(name);
    }
    return names;
}

TEST(WideTextTest, NamesRoundTrip) {
    const std::wstring lone = {L'a', static_cast<wchar_t>(0xD800), L'b'};
    const struct {
        std::wstring wide;
        std::string utf8;
    } rows[] = {
        {L"plain_name.mp3", "plain_name.mp3"},
        {L"\u043f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440.mp3", "привет мир.mp3"},
        {L"caf\u00e9", "caf\xc3\xa9"},
        {L"\U0001F600", "\xf0\x9f\x98\x80"},
        {lone,
         "a\xed\xa0\x80"
         "b"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Utf8FromWide(row.wide), row.utf8) << row.utf8;
        EXPECT_EQ(WideFromUtf8(row.utf8), row.wide) << row.utf8;
    }
    EXPECT_EQ(WideFromUtf8("a\xff"
                           "b"),
              L"a\uFFFDb");
}

TEST(RecordTextTest, AnsiWhereEveryCharacterFitsUtf8Otherwise) {
    const struct {
        const char* text;
        unsigned codePage;
        const char* stored;
    } rows[] = {
        {"C:\\music", 1252, "C:\\music"},
        {"C:\\Caf\xc3\xa9", 1252, "C:\\Caf\xe9"},
        {"C:\\Привет", 1251, "C:\\\xcf\xf0\xe8\xe2\xe5\xf2"},
        {"C:\\Привет", 1252, "C:\\Привет"},
        {"C:\\Caf\xc3\xa9 Привет", 1251, "C:\\Caf\xc3\xa9 Привет"},
        // ANSI bytes that would read as UTF-8 are stored as UTF-8 instead.
        {"C:\\\xc3\x83\xc2\xa9", 1252, "C:\\\xc3\x83\xc2\xa9"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RecordTextFromUtf8(row.text, row.codePage), row.stored) << row.text;
        EXPECT_EQ(Utf8FromRecordText(row.stored, row.codePage), row.text) << row.text;
    }
    EXPECT_EQ(Utf8FromRecordText("\xe9\xe0", 1252), "\xc3\xa9\xc3\xa0");
    EXPECT_EQ(Utf8FromRecordText("\xcf\xf0", 1251), "Пр");
}

TEST(WindowsFileSystemTest, ListsFilesInByteOrder) {
    TempFolder temp("nomvary-windows");
    for (const char* name : {"b.mp3", "A.MP3", "привет.mp3", "caf\xc3\xa9.mp3", ".dot.mp3", "hidden.mp3", "x.txt"}) {
        temp.Write(PathOf(name), "x");
    }
    std::filesystem::create_directory(temp.Path() / "folder.mp3");
    SetFileAttributesW((temp.Path() / "hidden.mp3").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WindowsFileSystem files;
    const std::string folder = BytesOf(temp.Path());
    EXPECT_EQ(ListAll(files, folder + "\\*.mp3"),
              (std::vector<std::string>{"A.MP3", "b.mp3", "caf\xc3\xa9.mp3", "привет.mp3"}));
    EXPECT_EQ(ListAll(files, folder + "\\*.*").size(), 5u);
    EXPECT_TRUE(ListAll(files, folder + "\\missing\\*.*").empty());
}

TEST(WindowsFileSystemTest, RenamesNeverReplaceAndCompareWithoutCase) {
    TempFolder temp("nomvary-windows");
    temp.WriteAll({{"a.mp3", "a"}, {"b.mp3", "b"}, {"c.mp3", "c"}});
    WindowsFileSystem files;
    ListAll(files, BytesOf(temp.Path()) + "\\*.*");
    const struct {
        const char* from;
        const char* to;
        int error;
    } rows[] = {
        {"a.mp3", "b.mp3", EEXIST},       {"a.mp3", "B.MP3", EEXIST}, {"a.mp3", "sub\\x.mp3", EINVAL},
        {"missing.mp3", "m.mp3", ENOENT}, {"a.mp3", "A.mp3", 0},      {"c.mp3", "Привет.mp3", 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(files.RenameFile(row.from, row.to), row.error == 0) << row.to;
        EXPECT_EQ(files.LastRenameError(), row.error) << row.to;
    }
    EXPECT_EQ(temp.Contents(), (testkit::Files{{"A.mp3", "a"}, {"b.mp3", "b"}, {"Привет.mp3", "c"}}));
    EXPECT_TRUE(files.NameTaken("A.mp3", "B.mp3"));
    EXPECT_FALSE(files.NameTaken("A.mp3", "a.MP3"));
    EXPECT_FALSE(files.NameTaken("A.mp3", "new.mp3"));
}

TEST(WindowsFileSystemTest, FoldersAndDrives) {
    TempFolder temp("nomvary-windows");
    for (const char* name : {"b", "A", "c\xc3\xa9", ".hidden"})
        std::filesystem::create_directory(temp.Path() / PathOf(name));
    temp.Write("file", "x");
    WindowsFileSystem files;
    const std::string folder = BytesOf(temp.Path());
    EXPECT_EQ(files.ReadSubfolders(folder), (std::vector<std::string>{"A", "b", "c\xc3\xa9"}));
    EXPECT_FALSE(files.ReadSubfolders(folder + "\\missing"));

    int error = 0;
    EXPECT_EQ(files.ResolveReadableFolder(folder + "\\b\\..\\A\\", error), folder + "\\A");
    EXPECT_EQ(files.ResolveReadableFolder(folder.substr(0, 3), error), folder.substr(0, 3));
    EXPECT_FALSE(files.ResolveReadableFolder(folder + "\\missing", error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(files.ResolveReadableFolder(folder + "\\file", error));
    EXPECT_EQ(error, ENOTDIR);

    const std::vector<Drive> drives = files.Drives();
    ASSERT_FALSE(drives.empty());
    for (const Drive& drive : drives) {
        // The first two characters designate the drive: "c:" or "c: [LABEL]".
        ASSERT_GE(drive.text.size(), 2u);
        EXPECT_TRUE(drive.text[0] >= 'a' && drive.text[0] <= 'z' && drive.text[1] == ':') << drive.text;
        EXPECT_TRUE(drive.text.size() == 2 || (drive.text.substr(2, 2) == " [" && drive.text.back() == ']'))
            << drive.text;
        EXPECT_EQ(drive.root, std::string(1, static_cast<char>(drive.text[0] - 32)) + ":\\");
    }
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(files.ProgramFolder(), BytesOf(std::filesystem::path(exe).parent_path()));
}

TEST(WindowsSettingsFileTest, ProgramFolderOrAppData) {
    TempFolder program("nomvary-program");
    TempFolder appData("nomvary-appdata");
    SetEnvironmentVariableW(L"APPDATA", appData.Path().c_str());
    WindowsSettingsFile file;
    const std::string inProgram = BytesOf(program.Path()) + "\\nomvary.ini";
    EXPECT_EQ(file.ChooseSettingsPath(inProgram), inProgram);
    EXPECT_TRUE(program.Contents().empty());  // the probe leaves nothing behind

    // A folder no file can be made in sends the settings to %APPDATA%.
    const std::string unwritable = BytesOf(program.Path()) + "\\missing\\nomvary.ini";
    const std::string fallback = BytesOf(appData.Path()) + "\\nomvary\\nomvary.ini";
    EXPECT_EQ(file.ChooseSettingsPath(unwritable), fallback);
    EXPECT_TRUE(std::filesystem::is_directory(appData.Path() / "nomvary"));

    // The record is written over a longer file without shortening it.
    program.Write("nomvary.ini", std::string(600, 'z'));
    ASSERT_TRUE(file.OpenSettingsFile(inProgram));
    EXPECT_TRUE(file.WriteSettingsFile("abc", 3));
    ASSERT_TRUE(file.CloseSettingsFileHandle());
    ASSERT_TRUE(file.OpenSettingsFile(inProgram));
    char buffer[700];
    EXPECT_EQ(file.ReadSettingsFile(buffer, sizeof buffer), std::optional<std::size_t>(600));
    EXPECT_EQ(std::string(buffer, 4), "abcz");
    EXPECT_FALSE(file.OpenSettingsFile(BytesOf(program.Path())));  // a folder is no settings file
    EXPECT_FALSE(file.IsSettingsFileOpen());
}

}  // namespace
}  // namespace nomvary
