#include "drive_table.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nomvary {
namespace {

std::vector<std::string> Texts(const std::vector<Drive>& drives) {
    std::vector<std::string> texts;
    for (const Drive& drive : drives) texts.push_back(drive.text + " -> " + drive.root);
    return texts;
}

struct MountCase {
    const char* name;
    const char* table;
    std::vector<std::string> expected;
};

TEST(ParseMountTable, KeepsTheFileSystemsAUserWouldPick) {
    const std::vector<MountCase> cases = {
        {"pseudo file systems left out",
         "proc /proc proc rw 0 0\nsysfs /sys sysfs rw 0 0\ndevpts /dev/pts devpts rw 0 0\n"
         "cgroup /sys/fs/cgroup/cpu cgroup rw 0 0\n/dev/sda1 / ext4 rw 0 0\n",
         {"/ [ext4] -> /"}},
        {"memory file systems only at /tmp",
         "tmpfs /run tmpfs rw 0 0\ntmpfs /run/user/1000 tmpfs rw 0 0\ntmpfs /dev/shm tmpfs rw 0 0\n"
         "tmpfs /mnt/x tmpfs ro 0 0\ntmpfs /tmp tmpfs rw 0 0\n",
         {"/tmp [tmpfs] -> /tmp"}},
        {"overlay only as the root",
         "overlay / overlay rw 0 0\noverlay /var/lib/docker/x/merged overlay rw 0 0\n",
         {"/ [overlay] -> /"}},
        {"removable media under /run/media stay, the rest of /run goes",
         "/dev/sdb1 /run/media/anna/STICK vfat rw 0 0\n/dev/sdc1 /run/lock ext4 rw 0 0\n",
         {"/run/media/anna/STICK [vfat] -> /run/media/anna/STICK"}},
        {"octal escapes decoded, invalid ones kept",
         "/dev/sdb1 /media/My\\040Music vfat rw 0 0\n/dev/sdc1 /media/a\\9b ext4 rw 0 0\n",
         {"/media/My Music [vfat] -> /media/My Music", "/media/a\\9b [ext4] -> /media/a\\9b"}},
        {"remounted point keeps its last entry; sorted by bytes",
         "/dev/sdb1 /mnt/data ext4 rw 0 0\n/dev/sda1 / ext4 rw 0 0\n/dev/sdc1 /mnt/data xfs rw 0 0\n",
         {"/ [ext4] -> /", "/mnt/data [xfs] -> /mnt/data"}},
        {"pseudo mount over a drive hides it",
         "/dev/sdb1 /mnt/data ext4 rw 0 0\nautofs /mnt/data autofs rw 0 0\n", {}},
        {"short and relative lines ignored, no trailing newline",
         "garbage\n\nnone relative ext4 rw 0 0\n/dev/sda2 /home ext4 rw 0 0", {"/home [ext4] -> /home"}},
        {"snap images left out", "/dev/loop0 /snap/core/1 squashfs ro 0 0\n", {}},
    };
    for (const MountCase& c : cases) {
        EXPECT_EQ(Texts(ParseMountTable(c.table)), c.expected) << c.name;
    }
}

TEST(DriveHolding, FindsTheLongestMountPointAboveThePath) {
    const std::vector<Drive> drives = {{"/ [ext4]", "/"}, {"/mnt/data [xfs]", "/mnt/data"}};
    const struct {
        const char* path;
        const char* expected;  // nullptr: no drive
    } cases[] = {
        {"/mnt/data/music", "/mnt/data [xfs]"},
        {"/mnt/data", "/mnt/data [xfs]"},
        {"/mnt/database", "/ [ext4]"},
        {"/", "/ [ext4]"},
        {"relative", nullptr},
    };
    for (const auto& c : cases) {
        const Drive* drive = DriveHolding(drives, c.path);
        if (c.expected == nullptr) {
            EXPECT_EQ(drive, nullptr) << c.path;
        } else {
            ASSERT_NE(drive, nullptr) << c.path;
            EXPECT_EQ(drive->text, c.expected) << c.path;
        }
    }
    EXPECT_EQ(DriveHolding({}, "/home"), nullptr);
}

}  // namespace
}  // namespace nomvary
