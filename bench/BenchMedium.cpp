#include "Bench.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string Le(std::uint32_t a_Value, int a_Bytes) {
    std::string bytes;
    for (int i = 0; i < a_Bytes; ++i)
        bytes += char((a_Value >> (8 * i)) & 0xFF);
    return bytes;
}

int RemoveEntry(const char* a_Path, const struct stat*, int, struct FTW*) {
    ::remove(a_Path);
    return 0;
}
} // namespace

CBenchDir::CBenchDir() {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/quillane-bench-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
        throw std::runtime_error("cannot create a directory under " + templ);
    m_Path = buf.data();
}

CBenchDir::~CBenchDir() {
    ::nftw(m_Path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

bool WriteText(const std::string& a_Path, const std::string& a_Text) {
    std::ofstream out(a_Path, std::ios::binary);
    out << a_Text;
    return bool(out);
}

bool WriteWav(const std::string& a_Path, unsigned a_Samples) {
    std::uint32_t bytes = a_Samples * 2;
    std::string header = "RIFF" + Le(36 + bytes, 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) + Le(1, 2) +
                         Le(22050, 4) + Le(44100, 4) + Le(2, 2) + Le(16, 2) + "data" + Le(bytes, 4);
    return WriteText(a_Path, header + std::string(bytes, '\0'));
}

bool MakeCatalogueMedium(const std::string& a_Root, int a_Dirs, int a_PerDir) {
    for (int d = 0; d < a_Dirs; ++d) {
        std::string dir = a_Root + "/set" + std::to_string(d);
        if (::mkdir(dir.c_str(), 0755) != 0)
            return false;
        for (int f = 0; f < a_PerDir; ++f) {
            // 0.05 s each: the catalogue reads headers only, so the length hardly matters.
            if (!WriteWav(dir + "/msg" + std::to_string(d * a_PerDir + f) + ".wav", 1103))
                return false;
        }
    }
    return true;
}

double Median(std::vector<double> a_Values) {
    if (a_Values.empty())
        return 0;
    std::sort(a_Values.begin(), a_Values.end());
    std::size_t mid = a_Values.size() / 2;
    return a_Values.size() % 2 ? a_Values[mid] : (a_Values[mid - 1] + a_Values[mid]) / 2;
}
