#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int RemoveEntry(const char* a_Path, const struct stat*, int, struct FTW*) {
    ::remove(a_Path);
    return 0;
}
} // namespace

CTempDir::CTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/quillane-test-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
        throw std::runtime_error("mkdtemp failed");
    m_Path = buf.data();
}

CTempDir::~CTempDir() {
    // Make everything removable again, even directories a test locked.
    ::nftw(
        m_Path.c_str(),
        [](const char* p, const struct stat* s, int flag, struct FTW*) {
            if (flag == FTW_D || flag == FTW_DNR)
                ::chmod(p, (s->st_mode & 07777) | S_IRWXU);
            return 0;
        },
        16, FTW_PHYS);
    ::nftw(m_Path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void MakeDirs(const std::string& a_Path) {
    for (std::size_t pos = 1; pos != std::string::npos; pos = a_Path.find('/', pos + 1))
        ::mkdir(a_Path.substr(0, pos).c_str(), 0755);
    ::mkdir(a_Path.c_str(), 0755);
}

std::string CTempDir::Write(const std::string& a_Rel, const std::string& a_Bytes) const {
    std::string path = m_Path + "/" + a_Rel;
    MakeDirs(path.substr(0, path.rfind('/')));
    std::ofstream out(path, std::ios::binary);
    out << a_Bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string Le16(std::uint16_t a_Value) {
    return std::string{char(a_Value & 0xFF), char(a_Value >> 8)};
}

std::string Le32(std::uint32_t a_Value) {
    return Le16(std::uint16_t(a_Value & 0xFFFF)) + Le16(std::uint16_t(a_Value >> 16));
}

std::string WavBytes(std::uint32_t a_DataBytes, std::uint16_t a_Channels, std::uint32_t a_Rate,
                     std::uint16_t a_Bits) {
    std::uint16_t align = std::uint16_t(a_Channels * a_Bits / 8);
    std::string h = "RIFF" + Le32(36 + a_DataBytes) + "WAVE";
    h += "fmt " + Le32(16) + Le16(1) + Le16(a_Channels) + Le32(a_Rate) + Le32(a_Rate * align) +
         Le16(align) + Le16(a_Bits);
    h += "data" + Le32(a_DataBytes);
    return h + std::string(a_DataBytes, '\0');
}

std::string WriteWav(const CTempDir& a_Dir, const std::string& a_Rel, double a_Seconds) {
    auto samples = static_cast<std::uint32_t>(a_Seconds * 22050.0 + 0.5);
    return a_Dir.Write(a_Rel, WavBytes(samples * 2));
}

std::string ReadFile(const std::string& a_Path) {
    std::ifstream in(a_Path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
