#include "Bench.h"

#include "SoundLibrary.h"

#include <chrono>
#include <fcntl.h>
#include <ftw.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::size_t gBareFiles = 0;

// The least any catalogue must do: visit each file, open it, read a full header, close it.
int BareVisit(const char* a_Path, const struct stat* a_Stat, int a_Flag, struct FTW*) {
    if (a_Flag != FTW_F || !S_ISREG(a_Stat->st_mode))
        return 0;
    int fd = ::open(a_Path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char header[58];
    if (::read(fd, header, sizeof header) > 0)
        ++gBareFiles;
    ::close(fd);
    return 0;
}

using CClock = std::chrono::steady_clock;

double MillisecondsSince(CClock::time_point a_Start) {
    return std::chrono::duration<double, std::milli>(CClock::now() - a_Start).count();
}

double BareWalkMs(const std::string& a_Root) {
    auto start = CClock::now();
    ::nftw(a_Root.c_str(), BareVisit, 16, FTW_PHYS);
    return MillisecondsSince(start);
}

} // namespace

// Construction only: the announcer keeps its catalogue until it ends.
double CatalogueSecs(const std::string& a_Root, std::size_t& a_Catalogued) {
    auto start = CClock::now();
    auto lib = std::make_unique<CSoundLibrary>(a_Root);
    double spent = MillisecondsSince(start) / 1000.0;
    a_Catalogued = lib->AnnouncementFiles().size() + lib->TimeSndFiles().size();
    return spent;
}

CatalogueFigures MeasureCatalogue(const std::string& a_Root, int a_Rounds) {
    CatalogueFigures figures;
    std::vector<double> library, bare;
    // The first round warms the page cache and is not counted.
    for (int round = 0; round <= a_Rounds; ++round) {
        double b = BareWalkMs(a_Root);
        double l = CatalogueSecs(a_Root, figures.m_Catalogued) * 1000.0;
        if (round > 0) {
            bare.push_back(b);
            library.push_back(l);
        }
    }
    figures.m_BareWalkMs = Median(bare);
    figures.m_LibraryMs = Median(library);
    return figures;
}
