#include "SoundLibrary.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using Finding = CSoundLibrary::Finding;

// Findings as "kind|path|sound name|detail" lines, easy to compare and to read in a failure.
std::vector<std::string> Lines(const std::vector<Finding>& a_Findings) {
    std::vector<std::string> lines;
    for (const Finding& f : a_Findings)
        lines.push_back(f.m_Kind + "|" + f.m_Path + "|" + f.m_SoundName + "|" + f.m_Detail);
    return lines;
}

std::size_t CatalogueSize(const CSoundLibrary& a_Lib) {
    return a_Lib.TimeSndFiles().size() + a_Lib.AnnouncementFiles().size();
}
} // namespace

TEST(SoundLibraryTest, SortsFilesIntoTimeAndAnnouncementSounds) {
    CTempDir dir;
    std::string hour = WriteWav(dir, "cdhour05.wav", 1.0);
    std::string num = WriteWav(dir, "cdnum7.wav", 0.5);
    std::string hourly = WriteWav(dir, "cdhourly.wav", 0.25);
    std::string shortNum = WriteWav(dir, "cdnum.wav", 1.5);
    std::string capitals = WriteWav(dir, "CDHOUR05.wav", 2.0);
    std::string intro = WriteWav(dir, "Intro.WAV", 3.0);
    std::string single = WriteWav(dir, "a.wav", 0.1);
    std::string hidden = WriteWav(dir, ".hidden.wav", 0.2);
    CSoundLibrary lib(dir.Path());

    EXPECT_EQ(lib.GetTimeSndFile("cdhour05"), hour);
    EXPECT_FLOAT_EQ(lib.GetTimeSndDuration("cdhour05"), 1.0f);
    EXPECT_EQ(lib.GetTimeSndFile("cdnum7"), num);
    EXPECT_FLOAT_EQ(lib.GetTimeSndDuration("cdnum7"), 0.5f);
    EXPECT_EQ(lib.GetTimeSndFile("cdhourly"), hourly);
    EXPECT_EQ(lib.GetAnnouncementFile("cdnum"), shortNum);
    EXPECT_EQ(lib.GetAnnouncementFile("CDHOUR05"), capitals);
    EXPECT_FLOAT_EQ(lib.GetAnnouncementDuration("CDHOUR05"), 2.0f);
    EXPECT_EQ(lib.GetAnnouncementFile("Intro"), intro);
    EXPECT_FLOAT_EQ(lib.GetAnnouncementDuration("Intro"), 3.0f);
    EXPECT_EQ(lib.GetAnnouncementFile("a"), single);
    EXPECT_EQ(lib.GetAnnouncementFile(".hidden"), hidden);
    // A family is never asked for the other family's names.
    EXPECT_EQ(lib.GetAnnouncementFile("cdhour05"), "");
    EXPECT_EQ(lib.GetTimeSndFile("Intro"), "");
    EXPECT_EQ(lib.TimeSndFiles().size(), 3u);
    EXPECT_EQ(lib.AnnouncementFiles().size(), 5u);
}

TEST(SoundLibraryTest, TimeSoundNamesAndSoundNames) {
    EXPECT_TRUE(CSoundLibrary::IsTimeFile("cdnum7"));
    EXPECT_TRUE(CSoundLibrary::IsTimeFile("cdhour"));
    EXPECT_TRUE(CSoundLibrary::IsTimeFile("cdnum35"));
    EXPECT_FALSE(CSoundLibrary::IsTimeFile("cdnum"));
    EXPECT_FALSE(CSoundLibrary::IsTimeFile("cdhou5"));
    EXPECT_FALSE(CSoundLibrary::IsTimeFile("CDNUM7"));
    EXPECT_FALSE(CSoundLibrary::IsTimeFile("xcdnum7"));
    EXPECT_FALSE(CSoundLibrary::IsTimeFile(""));

    EXPECT_EQ(CSoundLibrary::SoundName("/m/stick/sub/cdnum35.wav"), "cdnum35");
    EXPECT_EQ(CSoundLibrary::SoundName("/m/my sound.WAV"), "my sound");
    EXPECT_EQ(CSoundLibrary::SoundName("x.wav"), "x");
    EXPECT_EQ(CSoundLibrary::SoundName("/m/.wav"), "");
    EXPECT_EQ(CSoundLibrary::SoundName("/m/hello.wav//"), "hello");
    EXPECT_EQ(CSoundLibrary::SoundName("///"), "");
    EXPECT_EQ(CSoundLibrary::SoundName(""), "");
    std::string longName(400, 'n');
    EXPECT_EQ(CSoundLibrary::SoundName("/" + std::string(300, 'd') + "/" + longName + ".wav"),
              longName);
}

TEST(SoundLibraryTest, OnlyFilesNamedWavAreCandidates) {
    CTempDir dir;
    WriteWav(dir, "notes.wav.txt", 1.0);
    WriteWav(dir, ".wav", 1.0);
    MakeDirs(dir.Path() + "/old.wav");
    std::string inside = WriteWav(dir, "old.wav/inner.wav", 1.0);
    std::string fifo = dir.Path() + "/pipe.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    CSoundLibrary lib(dir.Path(), true);

    EXPECT_EQ(lib.GetAnnouncementFile("inner"), inside);
    EXPECT_EQ(lib.GetAnnouncementFile("old"), "");
    EXPECT_EQ(lib.GetAnnouncementFile("notes.wav"), "");
    EXPECT_EQ(lib.GetAnnouncementFile("pipe"), "");
    EXPECT_EQ(CatalogueSize(lib), 1u);
    EXPECT_EQ(Lines(lib.Findings()),
              std::vector<std::string>{"short-name|" + dir.Path() + "/.wav||"});
}

TEST(SoundLibraryTest, FindsFilesAtAnyDepthWithTheirFullPaths) {
    CTempDir dir;
    std::string deep = WriteWav(dir, "a/b/c/d/e/deep.wav", 1.0);
    std::string spaced = WriteWav(dir, "sub dir/my sound.wav", 1.0);
    // Well beyond 255 characters, in directories and in the base name.
    std::string longDirs = std::string(120, 'x') + "/" + std::string(120, 'y') + "/";
    std::string longName(240, 'z');
    std::string longPath = WriteWav(dir, longDirs + longName + ".wav", 0.5);
    ASSERT_GT(longPath.size(), 300u);
    CSoundLibrary lib(dir.Path());

    EXPECT_EQ(lib.GetAnnouncementFile("deep"), deep);
    EXPECT_EQ(lib.GetAnnouncementFile("my sound"), spaced);
    EXPECT_EQ(lib.GetAnnouncementFile(longName), longPath);
    EXPECT_FLOAT_EQ(lib.GetAnnouncementDuration(longName), 0.5f);
}

TEST(SoundLibraryTest, TheFileVisitedLaterWinsAndIsReported) {
    CTempDir dir;
    std::string one = WriteWav(dir, "sub1/hello.wav", 1.0);
    std::string two = WriteWav(dir, "sub2/hello.wav", 2.0);
    CSoundLibrary lib(dir.Path(), true);

    ASSERT_EQ(lib.Findings().size(), 1u);
    const Finding& replaced = lib.Findings()[0];
    EXPECT_EQ(replaced.m_Kind, "replaced");
    EXPECT_EQ(replaced.m_SoundName, "hello");
    EXPECT_EQ(lib.GetAnnouncementFile("hello"), replaced.m_Path);
    // The duration comes from the same file as the path.
    float expected = replaced.m_Path == one ? 1.0f : 2.0f;
    EXPECT_FLOAT_EQ(lib.GetAnnouncementDuration("hello"), expected);
    EXPECT_EQ(replaced.m_Detail, replaced.m_Path == one ? two : one);
}

TEST(SoundLibraryTest, LeftOutFilesNeverDisplaceAnEntry) {
    CTempDir empty;
    CTempDir files;
    std::string good = WriteWav(files, "a/hello.wav", 1.0);
    std::string stereo = files.Write("b/hello.wav", WavBytes(88200, 2));
    std::string silent = files.Write("c/hello.wav", WavBytes(0));
    CSoundLibrary lib(empty.Path(), true);
    lib.ProcessFile(good);
    lib.ProcessFile(stereo);
    lib.ProcessFile(silent);
    lib.ProcessFile("");

    EXPECT_EQ(lib.GetAnnouncementFile("hello"), good);
    EXPECT_FLOAT_EQ(lib.GetAnnouncementDuration("hello"), 1.0f);
    std::vector<std::string> expected = {
        "refused|" + stereo +
            "|hello|Unable to handle this format - only 44100 Bytes/sec supported.",
        "zero-length|" + silent + "|hello|",
    };
    EXPECT_EQ(Lines(lib.Findings()), expected);
}

TEST(SoundLibraryTest, NothingIsKeptWithoutAReport) {
    CTempDir dir;
    WriteWav(dir, "a/hello.wav", 1.0);
    WriteWav(dir, "b/hello.wav", 1.0);
    dir.Write("bad.wav", "RIFF");
    WriteWav(dir, ".wav", 1.0);
    WriteWav(dir, "silent.wav", 0.0);
    CSoundLibrary lib(dir.Path());
    EXPECT_TRUE(lib.Findings().empty());
    EXPECT_EQ(CatalogueSize(lib), 1u);
}

TEST(SoundLibraryTest, UnknownNamesChangeNothing) {
    CTempDir dir;
    WriteWav(dir, "cdnum12.wav", 1.0);
    WriteWav(dir, "hello.wav", 1.0);
    CSoundLibrary lib(dir.Path());
    EXPECT_EQ(lib.GetTimeSndFile("cdnum13"), "");
    EXPECT_EQ(lib.GetTimeSndDuration("cdnum13"), 0.0f);
    EXPECT_EQ(lib.GetAnnouncementFile("goodbye"), "");
    EXPECT_EQ(lib.GetAnnouncementDuration("goodbye"), 0.0f);
    EXPECT_EQ(lib.TimeSndFiles().size(), 1u);
    EXPECT_EQ(lib.AnnouncementFiles().size(), 1u);
}

TEST(SoundLibraryTest, SymbolicLinksAreNotFollowed) {
    CTempDir outside;
    std::string target = WriteWav(outside, "elsewhere/outside.wav", 1.0);
    CTempDir dir;
    std::string real = WriteWav(dir, "real.wav", 1.0);
    ASSERT_EQ(::symlink(target.c_str(), (dir.Path() + "/linked.wav").c_str()), 0);
    ASSERT_EQ(::symlink((outside.Path() + "/elsewhere").c_str(), (dir.Path() + "/dir").c_str()), 0);
    // A loop back to the top would never end if links were followed.
    ASSERT_EQ(::symlink(dir.Path().c_str(), (dir.Path() + "/loop").c_str()), 0);
    CSoundLibrary lib(dir.Path());
    EXPECT_EQ(lib.GetAnnouncementFile("real"), real);
    EXPECT_EQ(lib.GetAnnouncementFile("linked"), "");
    EXPECT_EQ(lib.GetAnnouncementFile("outside"), "");
    EXPECT_EQ(CatalogueSize(lib), 1u);
}

TEST(SoundLibraryTest, UnreadableDirectoriesAreSkipped) {
    CTempDir dir;
    std::string open = WriteWav(dir, "open/visible.wav", 1.0);
    WriteWav(dir, "locked/hidden.wav", 1.0);
    ASSERT_EQ(::chmod((dir.Path() + "/locked").c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    // The superuser reads any directory, so the walk runs as an ordinary user when we are root.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        CSoundLibrary lib(dir.Path());
        bool ok = lib.GetAnnouncementFile("visible") == open &&
                  lib.GetAnnouncementFile("hidden").empty() && CatalogueSize(lib) == 1;
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "exit 1: wrong catalogue, exit 2: could not drop root";
}

TEST(SoundLibraryTest, MissingDirectoryGivesAnEmptyCatalogue) {
    CTempDir dir;
    CSoundLibrary lib(dir.Path() + "/absent");
    EXPECT_EQ(CatalogueSize(lib), 0u);
}

TEST(SoundLibraryTest, PublishesItselfForItsLifetime) {
    CTempDir dir;
    WriteWav(dir, "hello.wav", 1.0);
    {
        CSoundLibrary lib(dir.Path());
        EXPECT_EQ(gSoundLibrary, &lib);
        EXPECT_EQ(gSoundLibrary->GetAnnouncementFile("hello"), dir.Path() + "/hello.wav");
    }
    EXPECT_EQ(gSoundLibrary, nullptr);
}
