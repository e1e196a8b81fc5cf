#include "check/RefusedWave.h"

#include "FileDescriptor.h"
#include "Wave.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The format tags of a WAV format chunk that name a kind of sample rather than a codec.
constexpr unsigned c_Pcm = 1;
constexpr unsigned c_Float = 3;
constexpr unsigned c_Extensible = 0xFFFE;

std::uint32_t Le16(const unsigned char* a_P) {
    return std::uint32_t(a_P[0]) | std::uint32_t(a_P[1]) << 8;
}

std::uint32_t Le32(const unsigned char* a_P) {
    return Le16(a_P) | Le16(a_P + 2) << 16;
}

// The board reads PCM of its own depth only; anything else is named for what it is.
std::string SampleTrait(unsigned a_Tag, unsigned a_Bits) {
    if (a_Tag == c_Float)
        return "floating point, not PCM";
    if (a_Tag != c_Pcm)
        return "compressed, not PCM";
    return a_Bits == CWave::c_BitsPerSample ? "" : std::to_string(a_Bits) + "-bit";
}

// Another kind of recording that import reads, whatever the file's name says.
bool OtherAudio(const unsigned char* a_Head, std::size_t a_Size) {
    auto starts = [&](const char* a_Magic) {
        return a_Size >= std::strlen(a_Magic) &&
               std::memcmp(a_Head, a_Magic, std::strlen(a_Magic)) == 0;
    };
    bool mpegFrame = a_Size >= 2 && a_Head[0] == 0xFF && (a_Head[1] & 0xE0) == 0xE0;
    return starts("fLaC") || starts("OggS") || starts("ID3") || starts("FORM") || mpegFrame;
}
} // namespace

CRefusedWave::CRefusedWave(std::string a_Path) : m_Path(std::move(a_Path)) {
    struct stat st {};
    if (::stat(m_Path.c_str(), &st) == 0 && st.st_size == 0) {
        m_Traits.push_back("empty");
        return;
    }
    CFileDescriptor file(m_Path);
    unsigned char head[c_ChunkBytes];
    ssize_t got = file.Get() < 0 ? -1 : ::read(file.Get(), head, sizeof head);
    std::size_t size = got < 0 ? 0 : std::size_t(got);
    if (size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0) {
        DescribeChunks(head, size);
    } else if (OtherAudio(head, size)) {
        m_Traits.push_back("not a WAV recording, whatever its name says");
        m_Convertible = true;
    }
}

// The chunks up to the data, as far as the head of the file holds them. The board reads the
// format chunk first and the fact or data chunk straight after it.
void CRefusedWave::DescribeChunks(const unsigned char* a_Head, std::size_t a_Size) {
    bool format = false;
    for (std::uint64_t pos = 12; pos + 8 <= a_Size;) {
        std::string id(reinterpret_cast<const char*>(a_Head + pos), 4);
        std::uint64_t size = Le32(a_Head + pos + 4);
        if (id == "data")
            return;
        if (id == "fmt " && pos + 8 + 16 <= a_Size)
            DescribeFormat(a_Head + pos + 8, std::size_t(std::min(size, a_Size - pos - 8)));
        else if (id != "fmt " && id != "fact" && m_Chunk.empty())
            m_Chunk = "holds a " + id + " chunk " +
                      (format ? "between the format and the data, as some audio editors write"
                              : "before the format");
        format = format || id == "fmt ";
        pos += 8 + size + (size & 1); // chunks are padded to an even size
    }
}

// The format chunk's body: its tag, channels, rate and depth, and for the extended format the
// tag inside it.
void CRefusedWave::DescribeFormat(const unsigned char* a_Fmt, std::size_t a_Size) {
    unsigned tag = Le16(a_Fmt), channels = Le16(a_Fmt + 2), bits = Le16(a_Fmt + 14);
    std::uint32_t rate = Le32(a_Fmt + 4);
    m_Convertible = channels > 0 && rate > 0;
    if (tag == c_Extensible) {
        m_Traits.push_back("in the extended WAV format (WAVE_FORMAT_EXTENSIBLE)");
        tag = a_Size >= 26 ? Le16(a_Fmt + 24) : 0;
    }
    if (!SampleTrait(tag, bits).empty())
        m_Traits.push_back(SampleTrait(tag, bits));
    if (channels != CWave::c_Channels)
        m_Traits.push_back(channels == 2 ? "stereo (2 channels)"
                                         : std::to_string(channels) + " channels");
    if (rate != CWave::c_sample_rate)
        m_Traits.push_back(std::to_string(rate) + " Hz");
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
    std::string dir = DirOf(m_Path);
    std::string command =
        "quillanectl import --force " + ShellQuoted(m_Path) + " " + ShellQuoted(dir);
    if (dir + "/" + ImportName(m_Path) + ".wav" == m_Path)
        return command;
    return command + " (then delete " + ShellQuoted(m_Path) + " if it is still there)";
}

std::string CRefusedWave::ShellQuoted(const std::string& a_Text) {
    std::string quoted = "'";
    for (char c : a_Text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
