// File names in, player command out: whatever bytes a stick's file names hold, the shell must
// hand the player exactly those names and run nothing else. Checked by a strict reader of
// POSIX shell words and, for a sample of inputs, by /bin/sh itself.
#include "FuzzSupport.h"
#include "Sound.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Words = std::vector<std::string>;

bool IsWav(const std::string& a_Text) {
    const std::size_t n = a_Text.size();
    return n >= 4 && a_Text[n - 4] == '.' && (a_Text[n - 3] | 0x20) == 'w' &&
           (a_Text[n - 2] | 0x20) == 'a' && (a_Text[n - 1] | 0x20) == 'v';
}

// The entries a file list stands for: a space after ".wav" ends an entry, any other space
// belongs to the name, and a space where an entry would begin marks a missing sound.
Words Entries(const std::string& a_List) {
    Words entries;
    std::string entry;
    for (char c : a_List) {
        if (c == ' ' && entry.empty())
            continue;
        if (c == ' ' && IsWav(entry)) {
            entries.push_back(entry);
            entry.clear();
            continue;
        }
        entry += c;
    }
    if (entry.find_first_not_of(' ') != std::string::npos)
        entries.push_back(entry.substr(0, entry.find_last_not_of(' ') + 1));
    return entries;
}

// Reads one double-quoted string from a_Pos (just after the quote); false on an expansion.
bool ReadDoubleQuoted(const std::string& a_Cmd, std::size_t& a_Pos, std::string& a_Word) {
    for (; a_Pos < a_Cmd.size(); ++a_Pos) {
        const char c = a_Cmd[a_Pos];
        if (c == '"')
            return true;
        if (c == '$' || c == '`')
            return false;
        if (c == '\\' && a_Pos + 1 < a_Cmd.size() && std::strchr("$`\"\\\n", a_Cmd[a_Pos + 1])) {
            if (a_Cmd[++a_Pos] != '\n')
                a_Word += a_Cmd[a_Pos];
            continue;
        }
        a_Word += c;
    }
    return false;
}

// One byte outside quotes. False for anything the shell would act on: operators, a second
// command, expansions, globbing, comments, tildes.
bool ReadUnquoted(const std::string& a_Cmd, std::size_t& a_Pos, std::string& a_Word,
                  bool& a_InWord) {
    const char c = a_Cmd[a_Pos];
    if (std::strchr("|&;<>()$`*?[\n", c))
        return false;
    if (!a_InWord && (c == '#' || c == '~'))
        return false;
    if (c == '\\') {
        if (++a_Pos == a_Cmd.size())
            return false;
        if (a_Cmd[a_Pos] == '\n')
            return true; // a line continuation vanishes
        a_Word += a_Cmd[a_Pos];
    } else if (c == '\'') {
        const std::size_t close = a_Cmd.find('\'', a_Pos + 1);
        if (close == std::string::npos)
            return false;
        a_Word += a_Cmd.substr(a_Pos + 1, close - a_Pos - 1);
        a_Pos = close;
    } else if (c == '"') {
        if (!ReadDoubleQuoted(a_Cmd, ++a_Pos, a_Word))
            return false;
    } else {
        a_Word += c;
    }
    a_InWord = true;
    return true;
}

// The words of a simple command, or nothing when the shell would do more than run it.
std::optional<Words> ShellWords(const std::string& a_Cmd) {
    Words words;
    std::string word;
    bool inWord = false;
    for (std::size_t pos = 0; pos < a_Cmd.size(); ++pos) {
        if (a_Cmd[pos] == ' ' || a_Cmd[pos] == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else if (!ReadUnquoted(a_Cmd, pos, word, inWord)) {
            return std::nullopt;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

// Everything a_Fd delivers up to its end. libFuzzer's timer signal may interrupt the reads.
std::string ReadToEnd(int a_Fd) {
    std::string result;
    char buf[4096];
    for (ssize_t n; (n = read(a_Fd, buf, sizeof buf)) != 0;) {
        if (n < 0 && errno != EINTR)
            FuzzFail("cannot read the shell's output");
        if (n > 0)
            result.append(buf, std::size_t(n));
    }
    return result;
}

// The arguments /bin/sh passes to the player, with the player replaced by a shell function
// that prints them NUL-separated. No PATH: should anything escape, it finds no program.
std::string ShellArguments(const std::string& a_Cmd) {
    const std::string script =
        "aplay() { for a in \"$@\"; do printf '%s\\0' \"$a\"; done; }\n" + a_Cmd + "\n";
    int out[2];
    if (pipe(out) != 0)
        FuzzFail("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const char* argv[] = {"sh", "-c", script.c_str(), nullptr};
    char path[] = "PATH=/nonexistent";
    char* env[] = {path, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", &actions, nullptr, const_cast<char**>(argv), env) != 0)
        FuzzFail("cannot start /bin/sh");
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string result = ReadToEnd(out[0]);
    close(out[0]);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return result;
}

// The names a stick might hold, NUL-separated in the input; the first byte chooses the case
// of each ".wav" suffix.
std::string FileList(const std::string& a_Input) {
    const unsigned flags = a_Input.empty() ? 0 : std::uint8_t(a_Input[0]);
    const std::string suffixes[] = {".wav", ".WAV", ".Wav", ".wAV"};
    std::string list;
    std::size_t begin = a_Input.empty() ? 0 : 1;
    for (unsigned n = 0; begin <= a_Input.size(); ++n) {
        std::size_t end = std::min(a_Input.find('\0', begin), a_Input.size());
        const std::string name = a_Input.substr(begin, end - begin);
        list += (name.empty() ? name : name + suffixes[(flags >> (n % 4 * 2)) & 3]) + " ";
        begin = end + 1;
    }
    return list;
}

void CheckWithShell(const std::string& a_Cmd, const Words& a_Expected) {
    std::string joined;
    for (const std::string& word : a_Expected)
        joined += word + '\0';
    if (ShellArguments(a_Cmd) != joined)
        FuzzFail("/bin/sh passed other names: " + a_Cmd);
}

void CheckCommand(const std::string& a_List, bool a_AskShell) {
    Words expected = Entries(a_List);
    CSound sound(a_List);
    const std::string cmd = sound.Command();
    // Options end before the names when any of them starts with "-".
    if (std::any_of(expected.begin(), expected.end(), [](auto& e) { return e[0] == '-'; }))
        expected.insert(expected.begin(), "--");
    const std::optional<Words> words = ShellWords(cmd);
    if (!words)
        FuzzFail("the shell would act on this command: " + cmd);
    if (words->empty() || (*words)[0] != "aplay" ||
        Words(words->begin() + 1, words->end()) != expected)
        FuzzFail("the player would get other names: " + cmd);
    if (a_AskShell)
        CheckWithShell(cmd, expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* a_Data, std::size_t a_Size) {
    const std::string input(reinterpret_cast<const char*>(a_Data), a_Size);
    // /bin/sh costs a process per input, so it sees the first input and one in 1000 after; a
    // saved input run on its own is always checked by it.
    static unsigned long count = 0;
    const bool askShell = count++ % 1000 == 0;
    CheckCommand(FileList(input), askShell);
    return 0;
}
