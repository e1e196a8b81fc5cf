#include "SoundLibrary.h"
#include "TestSupport.h"
#include "Wave.h"

#include <gtest/gtest.h>

#include <set>
#include <unistd.h>

TEST(SoundLibraryTest, SortsFilesIntoTimeSoundsAndAnnouncements) {
    CTempDir dir;
    for (const char* rel : {"t/cdhour05.wav", "cdnum7.wav", "cdnum.wav", "CDHOUR05.wav",
                            "cdhourly.wav", "Intro.WAV", "a.wav", "sub dir/my sound.wav",
                            "1/2/3/4/5/6/deep.wav", "old.wav/x", "n.wav.txt", "s/.wav"})
        dir.WriteWav(rel, 0.5);
    dir.Write("empty.wav", CWave::headerFor(0));
    dir.Write("broken.wav", "RIFF");
    ASSERT_EQ(::symlink((dir.Path() + "/a.wav").c_str(), (dir.Path() + "/link.wav").c_str()), 0);
    // clang-format off
    const std::tuple<const char*, const char*, bool> cases[] = { // where it is catalogued, as a time sound
        {"cdhour05", "t/cdhour05.wav", true}, {"cdnum7", "cdnum7.wav", true}, {"cdnum", "cdnum.wav", false},
        {"CDHOUR05", "CDHOUR05.wav", false},  {"cdhourly", "cdhourly.wav", true}, {"Intro", "Intro.WAV", false},
        {"a", "a.wav", false}, {"my sound", "sub dir/my sound.wav", false},
        {"deep", "1/2/3/4/5/6/deep.wav", false},
        {"old", "", false}, {"n.wav", "", false}, {"empty", "", false}, {"broken", "", false}, {"link", "", false},
    };
    // clang-format on
    struct CKinds : CLibraryObserver {
        void LeftOut(ELeftOut a_Why, const std::string&, const std::string&,
                     const std::string&) override {
            m_Kinds.insert(a_Why);
        }
        std::multiset<ELeftOut> m_Kinds;
    } observer;
    CSoundLibrary library(dir.Path(), &observer);
    for (const auto& [name, rel, time] : cases) {
        std::string file = *rel ? dir.Path() + "/" + rel : "";
        EXPECT_EQ(time ? library.GetTimeSndFile(name) : library.GetAnnouncementFile(name), file);
        EXPECT_EQ(time ? library.GetTimeSndDuration(name) : library.GetAnnouncementDuration(name),
                  *rel ? 0.5f : 0);
        EXPECT_EQ(time ? library.GetAnnouncementFile(name) : library.GetTimeSndFile(name), "")
            << name;
    }
    using ELeftOut = CLibraryObserver::ELeftOut;
    EXPECT_EQ(observer.m_Kinds, (std::multiset<ELeftOut>{ELeftOut::ShortName, ELeftOut::ZeroLength,
                                                         ELeftOut::Refused}));
}
