#include "Sound.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <vector>

TEST(SoundTest, FileListBecomesOnePlayerRun) {
    using Words = std::vector<std::string>;
    // clang-format off
    const std::tuple<std::string, std::string, Words> cases[] = {
        {"/m/a.wav /m/b.wav ", "Command is aplay /m/a.wav /m/b.wav\n", {"/m/a.wav", "/m/b.wav"}},
        {"/m/my file.wav ", "last4Characters  is m/my\nCommand is aplay /m/my\\ file.wav\n", {"/m/my file.wav"}},
        {"/m/A.WAV /m/b.wav ", "Command is aplay /m/A.WAV /m/b.wav\n", {"/m/A.WAV", "/m/b.wav"}},
        {"/m/a  b.wav ", "last4Characters  is /m/a\nlast4Characters  is m/a \nCommand is aplay /m/a\\ \\ b.wav\n",
         {"/m/a  b.wav"}},
        {"/m/x.wav y.wav ", "Command is aplay /m/x.wav y.wav\n", {"/m/x.wav", "y.wav"}},
        {" /m/a.wav  /m/b.wav  ", "Command is aplay /m/a.wav /m/b.wav\n", {"/m/a.wav", "/m/b.wav"}},
        {"   ", "Command is aplay \n", {}}, // only missing sounds: no player
        {"--pid=x.wav /m/-a.wav ", "Command is aplay -- --pid\\=x.wav /m/-a.wav\n",
         {"--", "--pid=x.wav", "/m/-a.wav"}},
    };
    // clang-format on
    // A stand-in aplay, first on PATH, that records the words it is given.
    CTempDir dir;
    const std::string log = dir.Path() + "/argv";
    ::chmod(dir.Write("bin/aplay", "#!/bin/sh\nprintf '%s\\0' \"$@\" >" + log + "\n").c_str(),
            0755);
    CScopedEnv path("PATH", dir.Path() + "/bin:/usr/bin:/bin");
    for (const auto& [list, printed, argv] : cases) {
        std::filesystem::remove(log);
        std::ostringstream out;
        CSound(list, out).Play();
        EXPECT_EQ(out.str(), printed) << "[" << list << "]";
        EXPECT_EQ(std::filesystem::exists(log), !argv.empty()) << "[" << list << "]";
        std::istringstream words(ReadFile(log));
        Words played;
        for (std::string word; std::getline(words, word, '\0');)
            played.push_back(word);
        EXPECT_EQ(played, argv) << "[" << list << "]";
    }
}
