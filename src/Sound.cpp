#include "Sound.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Bytes the shell takes literally: the plain characters of a file name.
bool IsPlain(unsigned char a_Byte) {
    return (a_Byte >= 'a' && a_Byte <= 'z') || (a_Byte >= 'A' && a_Byte <= 'Z') ||
           (a_Byte >= '0' && a_Byte <= '9') || a_Byte == '/' || a_Byte == '.' || a_Byte == '_' ||
           a_Byte == '-';
}

// A backslash protects every printable byte; a newline after a backslash would be a line
// continuation, so it, the other control bytes and bytes of 0x80 or more go inside single quotes.
std::string Protected(unsigned char a_Byte) {
    if (IsPlain(a_Byte))
        return std::string(1, char(a_Byte));
    if (a_Byte > ' ' && a_Byte < 0x7F)
        return std::string{'\\', char(a_Byte)};
    return std::string{'\'', char(a_Byte), '\''};
}

// Builds the escaped list one character at a time.
class CEscaper {
public:
    // Adds a_Char; a_AfterSuffix tells whether the list so far ends in ".wav". Returns true when
    // a_Char was a space inside a name, escaped.
    bool Add(char a_Char, bool a_AfterSuffix);
    // An entry starting with "-" would be taken for an option, so options are ended first.
    std::string Result() const { return m_DashEntry ? "-- " + m_Result : m_Result; }

private:
    bool AddSpace(bool a_AfterSuffix);

    std::string m_Result;
    bool m_AtEntryStart = true;
    bool m_DashEntry = false;
};

bool CEscaper::Add(char a_Char, bool a_AfterSuffix) {
    if (a_Char == ' ')
        return AddSpace(a_AfterSuffix);
    // No path holds a NUL byte, and the shell would end the command there.
    if (a_Char == '\0')
        return false;
    m_DashEntry = m_DashEntry || (m_AtEntryStart && a_Char == '-');
    m_AtEntryStart = false;
    m_Result += Protected(static_cast<unsigned char>(a_Char));
    return false;
}

// A space where an entry would begin stands for a missing sound and is left out; escaped, it
// would become a leading space of the next path and spoil that recording too.
bool CEscaper::AddSpace(bool a_AfterSuffix) {
    if (m_AtEntryStart)
        return false;
    if (a_AfterSuffix) {
        m_Result += ' ';
        m_AtEntryStart = true;
        return false;
    }
    m_Result += "\\ ";
    return true;
}
} // namespace

CSound::CSound(std::string a_FileNames, std::ostream& a_Out)
    : m_FileNames(std::move(a_FileNames)), m_Out(a_Out) {
    m_FileNames.erase(m_FileNames.find_last_not_of(' ') + 1);
}

namespace {
// Runs a_Command through the shell and waits for it. Unlike system(), the caller keeps its own
// signal handling: Ctrl-C at a terminal ends the program as well as the player.
void RunShell(const std::string& a_Command) {
    const char* argv[] = {"sh", "-c", a_Command.c_str(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}
} // namespace

void CSound::Play() {
    std::string escaped = EscapedFileNames(&m_Out);
    std::string cmd = "aplay " + escaped;
    m_Out << "Command is " << cmd << std::endl;
    // With no argument aplay would read standard input and never finish. Its status is of no
    // use: a failed announcement is not retried.
    if (!escaped.empty())
        RunShell(cmd);
}

std::string CSound::Command() const {
    return "aplay " + EscapedFileNames(nullptr);
}

bool CSound::HasFiles() const {
    return !EscapedFileNames(nullptr).empty();
}

std::string CSound::EscapedFileNames(std::ostream* a_Trace) const {
    CEscaper escaper;
    std::string last4Characters;
    for (char c : m_FileNames) {
        if (escaper.Add(c, IsWavSuffix(last4Characters)) && a_Trace)
            *a_Trace << "last4Characters  is " << last4Characters << std::endl;
        if (last4Characters.size() > 3)
            last4Characters.erase(0, 1);
        last4Characters += c;
    }
    return escaper.Result();
}

bool CSound::IsWavSuffix(const std::string& s) {
    return s.size() == 4 && s[0] == '.' && (s[1] == 'w' || s[1] == 'W') &&
           (s[2] == 'a' || s[2] == 'A') && (s[3] == 'v' || s[3] == 'V');
}
