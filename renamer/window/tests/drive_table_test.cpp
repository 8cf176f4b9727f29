#include "mount_table.h"

#include <string>
#include <vector>

#include <QAbstractItemView>

#include <gtest/gtest.h>

#include "drive_list.h"

namespace nomvary {
namespace {

TEST(ParseMountTable, KeepsTheFileSystemsAUserWouldPick) {
    const struct {
        const char* table;
        std::vector<std::string> texts;  // "<mount point> [<type>]"
    } cases[] = {
        {"proc /proc proc rw 0 0\nsysfs /sys sysfs rw 0 0\ndevpts /dev/pts devpts rw 0 0\n"
         "cgroup /sys/fs/cgroup/cpu cgroup rw 0 0\n/dev/sda1 / ext4 rw 0 0\n",
         {"/ [ext4]"}},
        {"tmpfs /run/user/1000 tmpfs rw 0 0\ntmpfs /dev/shm tmpfs rw 0 0\ntmpfs /mnt/x tmpfs ro 0 0\n"
         "tmpfs /tmp tmpfs rw 0 0\n",
         {"/tmp [tmpfs]"}},
        {"overlay / overlay rw 0 0\noverlay /var/lib/docker/x/merged overlay rw 0 0\n", {"/ [overlay]"}},
        {"/dev/sdb1 /run/media/anna/STICK vfat rw 0 0\n/dev/sdc1 /run/lock ext4 rw 0 0\n",
         {"/run/media/anna/STICK [vfat]"}},
        {"/dev/sdb1 /media/My\\040Music vfat rw 0 0\n/dev/sdc1 /media/a\\9b ext4 rw 0 0\n",
         {"/media/My Music [vfat]", "/media/a\\9b [ext4]"}},
        {"/dev/sdb1 /mnt/data ext4 rw 0 0\n/dev/sda1 / ext4 rw 0 0\n/dev/sdc1 /mnt/data xfs rw 0 0\n",
         {"/ [ext4]", "/mnt/data [xfs]"}},
        {"/dev/sdb1 /mnt/data ext4 rw 0 0\nautofs /mnt/data autofs rw 0 0\n", {}},
        {"garbage\n\nnone relative ext4 rw 0 0\n/dev/loop0 /snap/core/1 squashfs ro 0 0\n"
         "/dev/sda2 /home ext4 rw 0 0",
         {"/home [ext4]"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> texts;
        for (const Drive& drive : ParseMountTable(c.table)) texts.push_back(drive.text);
        EXPECT_EQ(texts, c.texts) << c.table;
    }
}

TEST(DriveHolding, FindsTheLongestMountPointAboveThePath) {
    const std::vector<Drive> drives = {{"/ [ext4]", "/"}, {"/mnt/data [xfs]", "/mnt/data"}};
    const struct {
        const char* path;
        const char* expected;  // nullptr: no drive
    } cases[] = {
        {"/mnt/data/music", "/mnt/data [xfs]"}, {"/mnt/data", "/mnt/data [xfs]"},
        {"/mnt/database", "/ [ext4]"},          {"/", "/ [ext4]"},
        {"relative", nullptr},
    };
    for (const auto& c : cases) {
        const Drive* drive = DriveHolding(drives, c.path);
        EXPECT_EQ(std::string(drive ? drive->text : "none"), std::string(c.expected ? c.expected : "none")) << c.path;
    }
}

// A long drive text is shown whole in the open list and as a tooltip.
TEST(DriveList, ShowsALongDriveTextWhole) {
    const std::string longText = "/run/media/someone/" + std::string(80, 'x') + " [vfat]";
    std::vector<Drive> drives = {{longText, "/"}};
    for (int k = 0; k < 12; ++k) drives.push_back({"/mnt/" + std::to_string(k) + " [ext4]", "/"});  // more than fit
    DriveList list([&drives] { return drives; });
    list.resize(170, 21);
    bool changed = false;
    ASSERT_TRUE(list.SelectDrive(longText, changed));
    EXPECT_EQ(list.toolTip().toStdString(), longText);
    EXPECT_EQ(list.itemData(0, Qt::ToolTipRole).toString().toStdString(), longText);
    list.show();
    static_cast<QComboBox&>(list).showPopup();  // as a click opens it
    EXPECT_GE(list.view()->viewport()->width(), list.view()->sizeHintForColumn(0));
    list.hidePopup();
}

}  // namespace
}  // namespace nomvary
