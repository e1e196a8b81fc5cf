#include "RefusedWave.h"

#include "FileDescriptor.h"
#include "Importer.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <sndfile.h>
#include <sys/stat.h>

namespace {
constexpr int c_Rate = 22050;

struct CSndCloser {
    void operator()(SNDFILE* a_File) const { sf_close(a_File); }
};

// The board's reader takes PCM of 16 bits only; anything else is named for what it is.
std::string SampleTrait(int a_Format) {
    switch (a_Format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16:
        return "";
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return "8-bit";
    case SF_FORMAT_PCM_24:
        return "24-bit";
    case SF_FORMAT_PCM_32:
        return "32-bit";
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        return "floating point, not PCM";
    default:
        return "compressed, not PCM";
    }
}

std::uint32_t Le32(const unsigned char* a_P) {
    return std::uint32_t(a_P[0]) | std::uint32_t(a_P[1]) << 8 | std::uint32_t(a_P[2]) << 16 |
           std::uint32_t(a_P[3]) << 24;
}
} // namespace

CRefusedWave::CRefusedWave(std::string a_Path) : m_Path(std::move(a_Path)) {
    struct stat st {};
    if (::stat(m_Path.c_str(), &st) == 0 && st.st_size == 0) {
        m_Traits.push_back("empty");
        return;
    }
    DescribeSound();
    DescribeChunks();
}

void CRefusedWave::DescribeSound() {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, CSndCloser> file(sf_open(m_Path.c_str(), SFM_READ, &info));
    if (!file)
        return;
    m_Convertible = info.channels > 0 && info.samplerate > 0;
    int major = info.format & SF_FORMAT_TYPEMASK;
    if (major == SF_FORMAT_WAVEX)
        m_Traits.push_back("in the extended WAV format (WAVE_FORMAT_EXTENSIBLE)");
    else if (major != SF_FORMAT_WAV)
        m_Traits.push_back("not a WAV recording, whatever its name says");
    if (!SampleTrait(info.format).empty())
        m_Traits.push_back(SampleTrait(info.format));
    if (info.channels != 1)
        m_Traits.push_back(info.channels == 2 ? "stereo (2 channels)"
                                              : std::to_string(info.channels) + " channels");
    if (info.samplerate != c_Rate)
        m_Traits.push_back(std::to_string(info.samplerate) + " Hz");
}

// The board reads the format chunk first and the fact or data chunk straight after it.
void CRefusedWave::DescribeChunks() {
    CFileDescriptor file(m_Path);
    unsigned char head[512];
    ssize_t got = file.Get() < 0 ? -1 : ::read(file.Get(), head, sizeof head);
    if (got < 12 || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return;
    bool format = false;
    for (std::uint64_t pos = 12; pos + 8 <= std::uint64_t(got);) {
        std::string id(reinterpret_cast<const char*>(head + pos), 4);
        if (id == "data")
            return;
        if (id != "fmt " && id != "fact") {
            m_Chunk = "holds a " + id + " chunk " +
                      (format ? "between the format and the data, as some audio editors write"
                              : "before the format");
            return;
        }
        format = format || id == "fmt ";
        std::uint64_t size = Le32(head + pos + 4);
        pos += 8 + size + (size & 1); // chunks are padded to an even size
    }
}

std::string CRefusedWave::What() const {
    std::string text;
    for (const std::string& trait : m_Traits)
        text += (text.empty() ? "it is " : ", ") + trait;
    if (!m_Chunk.empty())
        text += (text.empty() ? "it " : " and ") + m_Chunk;
    return text;
}

// Import names its output after the file less its extension and writes it to a temporary file
// first, so the converted recording safely takes the refused one's place.
std::string CRefusedWave::ImportCommand() const {
    std::size_t slash = m_Path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : m_Path.substr(0, slash);
    std::string command =
        "quillanectl import --force " + ShellQuoted(m_Path) + " " + ShellQuoted(dir);
    if (dir + "/" + CImporter::NameFor(m_Path) + ".wav" == m_Path)
        return command;
    return command + " (then delete " + ShellQuoted(m_Path) + " if it is still there)";
}

std::string CRefusedWave::ShellQuoted(const std::string& a_Text) {
    std::string quoted = "'";
    for (char c : a_Text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
