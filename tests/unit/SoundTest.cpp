#include "Sound.h"

#include "ProcessSupport.h"
#include "TestSupport.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
std::vector<std::string> SplitNul(const std::string& a_Bytes) {
    std::vector<std::string> words;
    std::size_t begin = 0;
    for (std::size_t end; (end = a_Bytes.find('\0', begin)) != std::string::npos; begin = end + 1)
        words.push_back(a_Bytes.substr(begin, end - begin));
    return words;
}

std::string JoinList(const std::vector<std::string>& a_Paths) {
    std::string list;
    for (const std::string& path : a_Paths)
        list += path + " ";
    return list;
}

// A stand-in aplay first on PATH that records the words the shell hands it.
class SoundTest : public ::testing::Test {
protected:
    SoundTest()
        : m_Bin(InstallFakePlayer()), m_Log(m_Dir.Path() + "/argv"),
          m_Path("PATH", (m_Bin + ":" + OldPath()).c_str()),
          m_LogEnv("QUILLANE_FAKE_APLAY_LOG", m_Log.c_str()) {}

    // Plays a_List; returns what was printed. m_Argv holds the player's words, m_Ran whether it
    // was started at all.
    std::string Play(const std::string& a_List) {
        ::unlink(m_Log.c_str());
        std::ostringstream out;
        CSound(a_List, out).Play();
        m_Ran = ::access(m_Log.c_str(), F_OK) == 0;
        m_Argv = SplitNul(ReadFile(m_Log));
        return out.str();
    }

    CTempDir m_Dir;
    std::string m_Bin;
    std::string m_Log;
    CScopedEnv m_Path;
    CScopedEnv m_LogEnv;
    std::vector<std::string> m_Argv;
    bool m_Ran = false;

private:
    std::string InstallFakePlayer() {
        std::string player =
            m_Dir.Write("bin/aplay", ReadFile(QUILLANE_TEST_SUPPORT_DIR "/fake-aplay"));
        ::chmod(player.c_str(), 0755);
        return m_Dir.Path() + "/bin";
    }
    static std::string OldPath() {
        const char* path = std::getenv("PATH");
        return path ? path : "/usr/bin:/bin";
    }
};
} // namespace

TEST_F(SoundTest, PlainNamesGiveTheDocumentedCommand) {
    struct Case {
        std::string m_List;
        std::string m_Printed;
        std::vector<std::string> m_Argv;
    };
    const Case cases[] = {
        {"/m/a.wav /m/b.wav ", "Command is aplay /m/a.wav /m/b.wav\n", {"/m/a.wav", "/m/b.wav"}},
        {"/m/my file.wav ",
         "last4Characters  is m/my\nCommand is aplay /m/my\\ file.wav\n",
         {"/m/my file.wav"}},
        {"/m/a b.wav /m/c.wav ",
         "last4Characters  is /m/a\nCommand is aplay /m/a\\ b.wav /m/c.wav\n",
         {"/m/a b.wav", "/m/c.wav"}},
        {"/m/A.WAV /m/b.wav ", "Command is aplay /m/A.WAV /m/b.wav\n", {"/m/A.WAV", "/m/b.wav"}},
        {"/m/a  b.wav ",
         "last4Characters  is /m/a\nlast4Characters  is m/a \nCommand is aplay /m/a\\ \\ b.wav\n",
         {"/m/a  b.wav"}},
        {"/m/x.wav y.wav ", "Command is aplay /m/x.wav y.wav\n", {"/m/x.wav", "y.wav"}},
        {"/s/Sub_dir-2/cdnum35.wav",
         "Command is aplay /s/Sub_dir-2/cdnum35.wav\n",
         {"/s/Sub_dir-2/cdnum35.wav"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Play(c.m_List), c.m_Printed) << c.m_List;
        EXPECT_EQ(m_Argv, c.m_Argv) << c.m_List;
    }
}

TEST_F(SoundTest, MissingSoundsAreLeftOut) {
    const std::pair<std::string, std::string> cases[] = {
        {"/m/a.wav  /m/b.wav ", "aplay /m/a.wav /m/b.wav"},
        {" /m/b.wav ", "aplay /m/b.wav"},
        {"/m/a.wav  ", "aplay /m/a.wav"},
        {"  /m/a b.wav    /m/c.wav   ", "aplay /m/a\\ b.wav /m/c.wav"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CSound(c.first).Command(), c.second);
        std::string printed = Play(c.first);
        EXPECT_EQ(printed.substr(printed.find("Command is ")), "Command is " + c.second + "\n");
        EXPECT_TRUE(m_Ran);
    }
    EXPECT_EQ(Play("/m/a.wav  /m/b.wav "), "Command is aplay /m/a.wav /m/b.wav\n");
    EXPECT_EQ(m_Argv, (std::vector<std::string>{"/m/a.wav", "/m/b.wav"}));
}

TEST_F(SoundTest, WithNoFileThePlayerIsNotStarted) {
    for (const std::string list : {"", " ", "    "}) {
        EXPECT_EQ(Play(list), "Command is aplay \n");
        EXPECT_FALSE(m_Ran);
        EXPECT_FALSE(CSound(list).HasFiles());
    }
    EXPECT_TRUE(CSound("/m/a.wav ").HasFiles());
}

TEST_F(SoundTest, HostileNamesReachThePlayerUntouchedAndRunNothing) {
    std::string work = m_Dir.Path() + "/cwd";
    MakeDirs(work);
    CScopedCwd cwd(work);
    // Files an unprotected glob would match.
    for (const char* name : {"p.wav", "q.wav", "ab"})
        std::ofstream(work + "/" + name) << "x";
    const std::vector<std::string> before = ListDir(work);
    const std::string d = work + "/";
    const std::vector<std::string> names = {"/m/$(touch x).wav",
                                            "/m/$(>" + d + "a).wav",
                                            "/m/`>" + d + "b`.wav",
                                            "/m/c;>" + d + "c;.wav",
                                            "/m/e&>" + d + "e.wav",
                                            "/m/f|>" + d + "f.wav",
                                            "/m/g>" + d + "g.wav",
                                            "/m/h\n>" + d + "h.wav",
                                            "/m/it's.wav",
                                            "/m/say \"hi\".wav",
                                            "*.wav",
                                            "?.wav",
                                            "[ab].wav",
                                            "~/t.wav",
                                            "#c.wav",
                                            "/m/{a,b}.wav",
                                            "/m/$HOME${IFS}.wav",
                                            "/m/back\\slash.wav",
                                            "/m/tab\there.wav",
                                            "/m/!bang.wav",
                                            "/m/Ansage Bahnhof \xC3\xBC.wav",
                                            "/m/(paren) <in> 100%^=+@.wav"};
    for (const std::string& name : names) {
        Play(name + " ");
        EXPECT_EQ(m_Argv, std::vector<std::string>{name});
    }
    Play(JoinList(names));
    EXPECT_EQ(m_Argv, names);
    EXPECT_EQ(ListDir(work), before);
}

TEST_F(SoundTest, EveryByteSurvivesEveryShell) {
    std::string name = "/m/";
    for (int byte = 1; byte < 256; ++byte)
        name += char(byte);
    name += ".wav";
    Play(name + " /m/next.wav ");
    EXPECT_EQ(m_Argv, (std::vector<std::string>{name, "/m/next.wav"}));

    // Boards differ in their /bin/sh; bash in a UTF-8 locale must agree too.
    if (!HaveProgram("bash"))
        GTEST_SKIP() << "bash is not installed";
    CScopedEnv locale("LC_ALL", "C.UTF-8");
    ::unlink(m_Log.c_str());
    ASSERT_EQ(RunProgram({"bash", "-c", CSound(name + " ").Command()}), 0);
    EXPECT_EQ(SplitNul(ReadFile(m_Log)), std::vector<std::string>{name});
}

TEST_F(SoundTest, AnEntryThatLooksLikeAnOptionIsNotTakenForOne) {
    EXPECT_EQ(Play("--process-id-file=x.wav /m/a.wav "),
              "Command is aplay -- --process-id-file\\=x.wav /m/a.wav\n");
    EXPECT_EQ(m_Argv, (std::vector<std::string>{"--", "--process-id-file=x.wav", "/m/a.wav"}));
    EXPECT_EQ(CSound("/m/-a.wav ").Command(), "aplay /m/-a.wav");
}

TEST(SoundRealPlayerTest, PlaysEveryFileThroughAplay) {
    if (!HaveProgram("aplay"))
        GTEST_SKIP() << "aplay is not installed (scripts/install-deps installs it)";
    CTempDir dir;
    std::string out = dir.Path() + "/out.raw";
    std::string conf =
        dir.Write("alsa.conf", "</usr/share/alsa/alsa.conf>\n"
                               "pcm.!default { type file slave.pcm \"null\" file \"" +
                                   out + "\" format \"raw\" }\n");
    CScopedEnv alsa("ALSA_CONFIG_PATH", conf.c_str());
    // aplay writes whole periods of 2756 frames at 22050 Hz, so lengths of whole periods come
    // out unpadded. Distinct sample patterns show order and content.
    auto samples = [](std::size_t a_Frames, char a_Seed) {
        std::string bytes(a_Frames * 2, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = char(a_Seed + i * 7);
        return bytes;
    };
    std::string first = samples(2756 * 4, 1);
    std::string second = samples(2756 * 2, 5);
    auto wav = [](const std::string& a_Samples) {
        return WavBytes(std::uint32_t(a_Samples.size())).substr(0, 44) + a_Samples;
    };
    std::string one = dir.Write("my first's.wav", wav(first));
    std::string two = dir.Write("second.wav", wav(second));
    std::ostringstream printed;
    CSound(one + " " + two + " ", printed).Play();
    std::string raw = ReadFile(out);
    EXPECT_EQ(raw.size(), first.size() + second.size());
    EXPECT_TRUE(raw == first + second) << "the player's output differs from the samples";
}

namespace {
// Plays one file in a child process whose only aplay is a script; returns the child's status.
int PlayInChild(const std::string& a_PlayerScript) {
    CTempDir dir;
    std::string player = dir.Write("aplay", "#!/bin/sh\n" + a_PlayerScript + "\n");
    ::chmod(player.c_str(), 0755);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0); // a group of its own, as a program started at a terminal
        ::setenv("PATH", (dir.Path() + ":/usr/bin:/bin").c_str(), 1);
        std::ostringstream out;
        CSound("/m/a.wav ", out).Play();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}
} // namespace

TEST(SoundInterruptTest, CtrlCDuringPlaybackStopsTheProgramButAFailedPlayerDoesNot) {
    int interrupted = PlayInChild("kill -INT 0; sleep 1"); // Ctrl-C reaches the whole group
    ASSERT_TRUE(WIFSIGNALED(interrupted));
    EXPECT_EQ(WTERMSIG(interrupted), SIGINT);

    int failed = PlayInChild("exit 1");
    ASSERT_TRUE(WIFEXITED(failed));
    EXPECT_EQ(WEXITSTATUS(failed), 0);
}
