#include "Sound.h"

#include "ChildProcess.h"

#include <algorithm>
#include <csignal>
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

// Builds the escaped list, and the words the shell makes of it, one character at a time.
class CEscaper {
public:
    // Adds a_Char; a_AfterSuffix tells whether the list so far ends in ".wav". Returns true when
    // a_Char was a space inside a name, escaped.
    bool Add(char a_Char, bool a_AfterSuffix);
    // An entry starting with "-" would be taken for an option, so options are ended first.
    std::string Result() const { return m_DashEntry ? "-- " + m_Result : m_Result; }
    void AppendWords(std::vector<std::string>& a_Words) const;

private:
    bool AddSpace(bool a_AfterSuffix);

    std::string m_Result;
    std::vector<std::string> m_Words;
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
    if (m_AtEntryStart)
        m_Words.emplace_back();
    m_AtEntryStart = false;
    m_Words.back() += a_Char;
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
    m_Words.back() += ' ';
    return true;
}

void CEscaper::AppendWords(std::vector<std::string>& a_Words) const {
    if (m_DashEntry)
        a_Words.push_back("--");
    a_Words.insert(a_Words.end(), m_Words.begin(), m_Words.end());
}
} // namespace

CSound::CSound(std::string a_FileNames, std::ostream& a_Out,
               std::vector<std::string> a_PlayerOptions)
    : m_FileNames(std::move(a_FileNames)), m_Out(a_Out),
      m_PlayerOptions(std::move(a_PlayerOptions)) {
    m_FileNames.erase(m_FileNames.find_last_not_of(' ') + 1);
}

namespace {
std::int64_t SteadyAfter(float a_Secs) {
    return CKernelWait::SteadyMicroSecs() +
           std::int64_t(double(a_Secs) * double(CTimeVal::c_MicrosPerSec));
}

// Until the player ends, the mount table changes or a_Deadline comes.
CKernelWait::EEvent WaitForPlayer(const CChildProcess& a_Player, CKernelWait& a_Wait,
                                  std::int64_t a_Deadline) {
    // A kernel without process descriptors (before Linux 5.3): look every 100 ms instead.
    if (a_Player.Fd() < 0)
        a_Deadline = std::min(a_Deadline, SteadyAfter(0.1f));
    return a_Wait.Wait(a_Player.Fd(), a_Deadline);
}
} // namespace

EPlayEnd CSound::Play(CKernelWait& a_Wait, float a_LimitSecs) {
    std::vector<std::string> argv{"aplay"};
    argv.insert(argv.end(), m_PlayerOptions.begin(), m_PlayerOptions.end());
    std::string escaped = EscapedFileNames(&m_Out, &argv);
    m_Out << "Command is aplay " << EscapedOptions() << escaped << std::endl;
    // With no argument aplay would read standard input and never finish.
    if (escaped.empty())
        return EPlayEnd::Finished;
    CChildProcess player(argv);
    if (!player.Started()) {
        m_Out << "Player aplay not started: " << player.Error() << std::endl;
        return EPlayEnd::Failed;
    }
    return Await(player, a_Wait, argv.back(), a_LimitSecs);
}

// A change of the mount table that leaves a_File in place (another disk) changes nothing.
EPlayEnd CSound::Await(CChildProcess& a_Player, CKernelWait& a_Wait, const std::string& a_File,
                       float a_LimitSecs) {
    std::int64_t deadline = SteadyAfter(a_LimitSecs);
    for (;;) {
        CKernelWait::EEvent event = WaitForPlayer(a_Player, a_Wait, deadline);
        if (a_Player.Ended())
            return ReportEnd(a_Player);
        if (event == CKernelWait::EEvent::MountsChanged && ::access(a_File.c_str(), F_OK) != 0) {
            Stop(a_Player, a_Wait);
            return EPlayEnd::MountsChanged;
        }
        if (CKernelWait::SteadyMicroSecs() >= deadline) {
            m_Out << "Player aplay still running after " << a_LimitSecs << " seconds - stopped"
                  << std::endl;
            Stop(a_Player, a_Wait);
            return EPlayEnd::Stopped;
        }
    }
}

EPlayEnd CSound::ReportEnd(const CChildProcess& a_Player) {
    int status = a_Player.Status();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return EPlayEnd::Finished;
    if (WIFEXITED(status))
        m_Out << "Player aplay exited with status " << WEXITSTATUS(status) << std::endl;
    else
        m_Out << "Player aplay ended by signal " << WTERMSIG(status) << std::endl;
    return EPlayEnd::Failed;
}

// Asked to end first, so that aplay can close the sound card; killed when it does not.
void CSound::Stop(CChildProcess& a_Player, CKernelWait& a_Wait) {
    for (int signal : {SIGTERM, SIGKILL}) {
        a_Player.Signal(signal);
        std::int64_t deadline = SteadyAfter(CPlatform::c_StopGraceSecs);
        do {
            WaitForPlayer(a_Player, a_Wait, deadline);
            if (a_Player.Ended())
                return;
        } while (CKernelWait::SteadyMicroSecs() < deadline);
    }
}

std::string CSound::Command() const {
    return "aplay " + EscapedOptions() + EscapedFileNames(nullptr);
}

std::string CSound::EscapedOptions() const {
    std::string escaped;
    for (const std::string& option : m_PlayerOptions) {
        for (char c : option)
            escaped += Protected(static_cast<unsigned char>(c));
        escaped += ' ';
    }
    return escaped;
}

std::string CSound::EscapedFileNames(std::ostream* a_Trace,
                                     std::vector<std::string>* a_Words) const {
    CEscaper escaper;
    std::string last4Characters;
    for (char c : m_FileNames) {
        if (escaper.Add(c, IsWavSuffix(last4Characters)) && a_Trace)
            *a_Trace << "last4Characters  is " << last4Characters << std::endl;
        if (last4Characters.size() > 3)
            last4Characters.erase(0, 1);
        last4Characters += c;
    }
    if (a_Words)
        escaper.AppendWords(*a_Words);
    return escaper.Result();
}

bool CSound::IsWavSuffix(const std::string& s) {
    return s.size() == 4 && s[0] == '.' && (s[1] == 'w' || s[1] == 'W') &&
           (s[2] == 'a' || s[2] == 'A') && (s[3] == 'v' || s[3] == 'V');
}
