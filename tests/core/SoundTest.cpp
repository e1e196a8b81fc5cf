#include "Sound.h"
#include "RealPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

using namespace std::string_literals;

namespace {
// A stand-in aplay in a_Dir/bin that records the words it is given (a_Dir/argv, each ended by
// a NUL byte) and its process id (a_Dir/pid), then runs the script a_Dir/then.
void WriteStandInPlayer(const CTempDir& a_Dir) {
    const std::string& d = a_Dir.Path();
    ::chmod(a_Dir
                .Write("bin/aplay", "#!/bin/sh\nprintf '%s\\0' \"$@\" >" + d + "/argv\necho $$ >" +
                                        d + "/pid\n. " + d + "/then\n")
                .c_str(),
            0755);
}
} // namespace

// Each case: the file list, what is printed, the words the player gets (each ended by a NUL
// byte), what the player then does, and how the playback ends: stopped after 0.2 s.
TEST(SoundTest, FileListBecomesOnePlayerRun) {
    struct Case {
        std::string m_List, m_Printed, m_Argv, m_Then = "";
        EPlayEnd m_End = EPlayEnd::Finished;
    };
    const std::string a = "Command is aplay /m/a.wav\n";
    const std::string stopped = a + "Player aplay still running after 0.2 seconds - stopped\n";
    // clang-format off
    const Case cases[] = {
        {"/m/a.wav /m/b.wav ", "Command is aplay /m/a.wav /m/b.wav\n", "/m/a.wav\0/m/b.wav\0"s},
        {"/m/my file.wav ", "last4Characters  is m/my\nCommand is aplay /m/my\\ file.wav\n", "/m/my file.wav\0"s},
        {"/m/A.WAV /m/b.wav ", "Command is aplay /m/A.WAV /m/b.wav\n", "/m/A.WAV\0/m/b.wav\0"s},
        {"/m/a  b.wav ", "last4Characters  is /m/a\nlast4Characters  is m/a \nCommand is aplay /m/a\\ \\ b.wav\n",
         "/m/a  b.wav\0"s},
        {"/m/x.wav y.wav ", "Command is aplay /m/x.wav y.wav\n", "/m/x.wav\0y.wav\0"s},
        {" /m/a.wav  /m/b.wav  ", "Command is aplay /m/a.wav /m/b.wav\n", "/m/a.wav\0/m/b.wav\0"s},
        {"   ", "Command is aplay \n", ""}, // only missing sounds: no player
        {"/m/a\0b.wav "s, "Command is aplay /m/ab.wav\n", "/m/ab.wav\0"s}, // no path holds a NUL
        {"--pid=x.wav /m/-a.wav ", "Command is aplay -- --pid\\=x.wav /m/-a.wav\n", "--\0--pid=x.wav\0/m/-a.wav\0"s},
        {"/m/a.wav ", a + "Player aplay exited with status 1\n", "/m/a.wav\0"s, "exit 1", EPlayEnd::Failed},
        {"/m/a.wav ", a + "Player aplay ended by signal 9\n", "/m/a.wav\0"s, "kill -KILL $$", EPlayEnd::Failed},
        {"/m/a.wav ", stopped, "/m/a.wav\0"s, "exec sleep 20", EPlayEnd::Stopped},
        {"/m/a.wav ", stopped, "/m/a.wav\0"s, "trap '' TERM; exec sleep 20", EPlayEnd::Stopped}, // killed
    };
    // clang-format on
    // The stand-in aplay first on PATH; it does what the case says.
    CTempDir dir;
    const std::string log = dir.Path() + "/argv", pid = dir.Path() + "/pid";
    WriteStandInPlayer(dir);
    // Before it on PATH, what is not a program: a plain file and a directory of that name.
    dir.Write("plain/aplay", "not a program");
    dir.Write("dir/aplay/x", "");
    CScopedEnv path("PATH", dir.Path() + "/plain:" + dir.Path() + "/dir:" + dir.Path() +
                                "/bin:/usr/bin:/bin");
    CServiceNotifier notifier;
    CKernelWait wait(notifier);
    for (const Case& c : cases) {
        std::filesystem::remove(log);
        dir.Write("then", c.m_Then);
        std::ostringstream out;
        float limit = c.m_End == EPlayEnd::Stopped ? 0.2f : 30;
        EXPECT_EQ(CSound(c.m_List, out).Play(wait, limit), c.m_End) << "[" << c.m_List << "]";
        EXPECT_EQ(out.str(), c.m_Printed) << "[" << c.m_List << "]";
        EXPECT_EQ(ReadFile(log), c.m_Argv) << "[" << c.m_List << "]";
        // No player is left behind, not even one that ignores being asked to end.
        EXPECT_TRUE(c.m_Argv.empty() || ::kill(std::stoi(ReadFile(pid)), 0) != 0) << c.m_List;
        // The printed command, pasted into a shell, gives the player the same words.
        dir.Write("then", "");
        EXPECT_EQ(c.m_Argv.empty() ? 0 : std::system(CSound(c.m_List).Command().c_str()), 0);
        EXPECT_EQ(ReadFile(log), c.m_Argv) << "through the shell: [" << c.m_List << "]";
    }
    CScopedEnv nowhere("PATH", dir.Path());
    std::ostringstream out;
    EXPECT_EQ(CSound("/m/a.wav ", out).Play(wait, 30), EPlayEnd::Failed);
    EXPECT_EQ(out.str(), a + "Player aplay not started: No such file or directory\n");
}

// The board's player is stopped once it runs 10 seconds longer than its chain lasts (here a
// chain less than nothing long, so that the limit comes soon); within that it may end itself.
TEST(SoundTest, TheBoardStopsAPlayerTenSecondsPastItsChain) {
    // clang-format off
    const std::tuple<float, const char*, EPlayEnd, const char*> cases[] = { // duration, player: end, line
        {-9.8f, "exec sleep 20", EPlayEnd::Stopped, "Player aplay still running after 0.2 seconds - stopped\n"},
        {-9.5f, "exec sleep 20", EPlayEnd::Stopped, "Player aplay still running after 0.5 seconds - stopped\n"},
        {-9.0f, "sleep 0.3", EPlayEnd::Finished, ""},
        {-10.5f, "exec sleep 20", EPlayEnd::Stopped, "Player aplay still running after -0.5 seconds - stopped\n"},
    };
    // clang-format on
    CTempDir dir;
    WriteStandInPlayer(dir);
    CScopedEnv path("PATH", dir.Path() + "/bin:/usr/bin:/bin");
    for (const auto& [duration, then, end, line] : cases) {
        dir.Write("then", then);
        std::ostringstream out;
        CRealPlatform platform(out);
        CPlayback playback;
        playback.m_Duration = duration;
        playback.m_FileNames = "/m/a.wav ";
        EXPECT_EQ(platform.Play(playback), end) << duration;
        EXPECT_EQ(out.str(), "Command is aplay /m/a.wav\n" + std::string(line)) << duration;
    }
}
