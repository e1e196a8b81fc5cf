#include "MountTable.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

// Each case: a line of the mount table, and the device and mount point read from it ("-" for a
// line that names no mount). Only the four characters the kernel escapes are decoded.
TEST(MountTableTest, EachLineGivesItsDeviceAndMountPointDecoded) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/dev/sdq1 /media/sdq1 vfat ro 0 0", "/dev/sdq1", "/media/sdq1"},
        {"/dev/sdq2 /media/USB\\040DISK vfat ro 0 0", "/dev/sdq2", "/media/USB DISK"},
        {"/dev/sdq3 /m/a\\011b\\012c\\134d ext4 ro 0 0", "/dev/sdq3", "/m/a\tb\nc\\d"},
        {"/dev/sdq4 /m/\\041\\04 tmpfs", "/dev/sdq4", "/m/\\041\\04"},
        {"  /dev/sdq5\t/m/x", "/dev/sdq5", "/m/x"}, {"/dev/sdq6", "-", "-"}, {"", "-", "-"},
    };
    // clang-format on
    for (const auto& [line, device, point] : cases) {
        CMountTable::Mount mount{"-", "-"};
        EXPECT_EQ(CMountTable::Parse(line, mount), *device != '-') << line;
        EXPECT_EQ(mount.m_Device + " " + mount.m_Point, std::string(device) + " " + point);
    }
    CTempDir dir;
    std::vector<CMountTable::Mount> mounts;
    dir.Write("mounts", "/dev/sdq1 /a x\nbroken\n/dev/sdq2 /b x\n");
    EXPECT_TRUE(CMountTable::Read(dir.Path() + "/mounts", mounts));
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[1].m_Point, "/b");
    EXPECT_FALSE(CMountTable::Read(dir.Path() + "/none", mounts));
    EXPECT_FALSE(CMountTable::Read(dir.Path(), mounts)) << "a directory cannot be read through";
}
