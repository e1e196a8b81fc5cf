#include "MediaFinder.h"

#include "TestSupport.h"

#include <dirent.h>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {
// Records every sleep and lets a test change the world while the finder waits.
class CSleepRecorder : public CPlatform {
public:
    CTimeVal Now() override { return CTimeVal(timeval{0, 0}); }
    std::int64_t SteadyMicroSecs() override { return 0; }
    void SleepMicroSecs(std::int64_t a_MicroSecs) override {
        m_Sleeps.push_back(a_MicroSecs);
        if (m_OnSleep)
            m_OnSleep();
    }
    void Play(const std::string&) override {}

    std::vector<std::int64_t> m_Sleeps;
    std::function<void()> m_OnSleep;
};

const char* const c_Retry = "Didn't find candidate directory, sleeping for 10 seconds\n";

class MediaFinderTest : public ::testing::Test {
protected:
    // A medium mounted at a_Mount with a schedule directory a_Sub.
    void Medium(const std::string& a_Mount, const std::string& a_Sub) {
        m_Tmp.Write(a_Mount + "/" + a_Sub + "/forVrex.xml", "<m_Frequency>5:00</m_Frequency>");
    }
    std::string Table(const std::string& a_Text) { return m_Tmp.Write("mounts", a_Text); }
    std::string Root() const { return m_Tmp.Path(); }
    // FindDir over a_Table; sleeps run a_OnSleep (which must end the waiting).
    bool Find(const std::string& a_Table, std::string& a_Dir,
              std::function<void()> a_OnSleep = nullptr) {
        m_Platform.m_OnSleep = std::move(a_OnSleep);
        return CMediaFinder(m_Platform, m_Out, a_Table).FindDir(a_Dir);
    }

    CTempDir m_Tmp;
    CSleepRecorder m_Platform;
    std::ostringstream m_Out;
};

TEST_F(MediaFinderTest, FirstListedDeviceWinsWhateverTheMountNames) {
    Medium("b", "show");
    Medium("a", "show");
    std::string dir;
    ASSERT_TRUE(Find(
        Table("/dev/sdb1 " + Root() + "/b vfat rw 0 0\n/dev/sda1 " + Root() + "/a vfat rw 0 0\n"),
        dir));
    EXPECT_EQ(dir, Root() + "/b/show");
    EXPECT_EQ(m_Out.str(), "");
    EXPECT_TRUE(m_Platform.m_Sleeps.empty());
}

TEST_F(MediaFinderTest, OnlyFirstLevelNonDotDirectoriesAreCandidates) {
    m_Tmp.Write("m/forVrex.xml", "at the mount root");
    m_Tmp.Write("m/.hidden/forVrex.xml", "dot directory");
    m_Tmp.Write("m/deep/er/forVrex.xml", "second level");
    m_Tmp.Write("notadir", "");
    std::string dir = "untouched";
    EXPECT_FALSE(CMediaFinder::FindDirOnMount(Root() + "/m", dir));
    EXPECT_EQ(dir, "untouched");
    EXPECT_FALSE(CMediaFinder::FindDirOnMount(Root() + "/notadir", dir));
    EXPECT_FALSE(CMediaFinder::FindDirOnMount(Root() + "/missing", dir));
}

TEST_F(MediaFinderTest, AnyObjectNamedLikeTheScheduleMarksTheDirectory) {
    // Whatever its type: a directory of that name is found too (the loader then reports it).
    m_Tmp.Write("m/odd/forVrex.xml/inside", "");
    std::string dir;
    ASSERT_TRUE(CMediaFinder::FindDirOnMount(Root() + "/m", dir));
    EXPECT_EQ(dir, Root() + "/m/odd");
}

TEST_F(MediaFinderTest, OnlyDevicesNamedDevSdAreSearched) {
    for (const char* mount : {"mmc", "nfs", "sr", "short", "sdx"})
        Medium(mount, "show");
    std::string dir;
    std::string table = "/dev/mmcblk0p1 " + Root() + "/mmc vfat rw 0 0\n" + //
                        "server:/dev/sd " + Root() + "/nfs nfs rw 0 0\n" +  //
                        "/dev/sr0 " + Root() + "/sr iso9660 ro 0 0\n" +     //
                        "/dev/s " + Root() + "/short vfat rw 0 0\n" +       //
                        "/dev/sdx " + Root() + "/sdx vfat rw 0 0\n";
    ASSERT_TRUE(Find(Table(table), dir));
    EXPECT_EQ(dir, Root() + "/sdx/show");
}

TEST_F(MediaFinderTest, LinesWithoutTwoWordsAndMissingMountsAreSkipped) {
    Medium("good", "show");
    std::string dir;
    std::string table = "\n   \n/dev/sda1\n/dev/sdb1 " + Root() + "/gone vfat rw 0 0\n" +
                        "\t/dev/sdc1\t" + Root() + "/good\tvfat rw 0 0";
    ASSERT_TRUE(Find(Table(table), dir));
    EXPECT_EQ(dir, Root() + "/good/show");
}

TEST_F(MediaFinderTest, EscapedMountPointWithSpaceIsFound) {
    Medium("USB DISK", "show");
    std::string dir;
    ASSERT_TRUE(Find(Table("/dev/sda1 " + Root() + "/USB\\040DISK vfat rw 0 0\n"), dir));
    EXPECT_EQ(dir, Root() + "/USB DISK/show");
}

TEST_F(MediaFinderTest, DecodesTheFourEscapesLikeGetmntent) {
    EXPECT_EQ(CMediaFinder::DecodeMountField("/media/USB\\040DISK"), "/media/USB DISK");
    EXPECT_EQ(CMediaFinder::DecodeMountField("a\\011b\\012c\\134d"), "a\tb\nc\\d");
    EXPECT_EQ(CMediaFinder::DecodeMountField("\\040\\040"), "  ");
    // Anything else stays as written, including escapes cut short at the end.
    EXPECT_EQ(CMediaFinder::DecodeMountField("x\\101y\\"), "x\\101y\\");
    EXPECT_EQ(CMediaFinder::DecodeMountField("x\\04"), "x\\04");
    EXPECT_EQ(CMediaFinder::DecodeMountField(""), "");
}

TEST_F(MediaFinderTest, EscapedDeviceNameIsDecodedBeforeThePrefixTest) {
    Medium("m", "show");
    std::string dir;
    ASSERT_TRUE(Find(
        Table("/dev\\134sd /nowhere vfat rw 0 0\n/dev/sd\\040x " + Root() + "/m vfat rw 0 0\n"),
        dir));
    EXPECT_EQ(dir, Root() + "/m/show");
}

TEST_F(MediaFinderTest, WaitsTenSecondsAndRereadsTheTableUntilAStickArrives) {
    m_Tmp.Write("m/forVrex.xml", "at the mount root");
    std::string table = Table("/dev/sda1 " + Root() + "/m vfat rw 0 0\n");
    std::string dir;
    int waits = 0;
    ASSERT_TRUE(Find(table, dir, [&] {
        if (++waits == 2)
            Table("/dev/sda1 " + Root() + "/m vfat rw 0 0\n/dev/sdb1 " + Root() +
                  "/stick vfat rw 0 0\n");
        Medium("stick", "show");
    }));
    EXPECT_EQ(dir, Root() + "/stick/show");
    EXPECT_EQ(m_Out.str(), std::string(c_Retry) + c_Retry);
    EXPECT_EQ(m_Platform.m_Sleeps, (std::vector<std::int64_t>{10000000, 10000000}));
}

TEST_F(MediaFinderTest, UnreadableTableEndsTheSearchWithOneLine) {
    std::string dir = "untouched";
    std::string missing = Root() + "/no-such-table";
    EXPECT_FALSE(Find(missing, dir));
    EXPECT_EQ(m_Out.str(), missing + " not opened\n");

    // A directory opens but cannot be read: retrying would wait forever.
    m_Out.str("");
    MakeDirs(Root() + "/table-dir");
    EXPECT_FALSE(Find(Root() + "/table-dir", dir));
    EXPECT_EQ(m_Out.str(), Root() + "/table-dir not opened\n");
    EXPECT_EQ(dir, "untouched");
    EXPECT_TRUE(m_Platform.m_Sleeps.empty());
}

TEST_F(MediaFinderTest, UnreportedEntryTypeIsAskedOfTheFileSystem) {
    MakeDirs(Root() + "/dir");
    m_Tmp.Write("file", "");
    ASSERT_EQ(symlink((Root() + "/dir").c_str(), (Root() + "/link").c_str()), 0);
    EXPECT_TRUE(CMediaFinder::IsSearchableDir(Root() + "/dir", DT_UNKNOWN));
    EXPECT_FALSE(CMediaFinder::IsSearchableDir(Root() + "/file", DT_UNKNOWN));
    EXPECT_FALSE(CMediaFinder::IsSearchableDir(Root() + "/link", DT_UNKNOWN));
    EXPECT_FALSE(CMediaFinder::IsSearchableDir(Root() + "/missing", DT_UNKNOWN));
    // A reported type is trusted as it stands.
    EXPECT_TRUE(CMediaFinder::IsSearchableDir(Root() + "/file", DT_DIR));
    EXPECT_FALSE(CMediaFinder::IsSearchableDir(Root() + "/dir", DT_LNK));
}

TEST_F(MediaFinderTest, SymbolicLinkToAScheduleDirectoryIsNotACandidate) {
    Medium("elsewhere", "show");
    MakeDirs(Root() + "/m");
    ASSERT_EQ(symlink((Root() + "/elsewhere/show").c_str(), (Root() + "/m/show").c_str()), 0);
    std::string dir;
    EXPECT_FALSE(CMediaFinder::FindDirOnMount(Root() + "/m", dir));
}
} // namespace
