// Prints the announcer's performance figures against their targets; exits 1 when one is missed.
// Run without arguments (about 25 seconds); it writes its media under $TMPDIR (or /tmp).
#include "Bench.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int c_Dirs = 100;
constexpr int c_PerDir = 100;
constexpr int c_Files = c_Dirs * c_PerDir;
constexpr int c_Announcements = 20;

const char* Verdict(bool a_Met) {
    return a_Met ? "met" : "MISSED";
}

bool ReportCatalogue(const std::string& a_Root) {
    CatalogueFigures f = MeasureCatalogue(a_Root, 7);
    double ratio = f.m_LibraryMs / f.m_BareWalkMs;
    std::printf("catalogue of %zu WAV files in %d directories: %.1f ms; bare walk reading 58 "
                "bytes of each: %.1f ms; ratio %.2f (target <= 1.5: %s)\n",
                f.m_Catalogued, c_Dirs, f.m_LibraryMs, f.m_BareWalkMs, ratio,
                Verdict(ratio <= 1.5));
    return f.m_Catalogued == std::size_t(c_Files) && ratio <= 1.5;
}

bool ReportLatency(const std::string& a_Dir) {
    LatencyFigures f = MeasureStartLatency(a_Dir, c_Announcements);
    if (f.m_LateMs.size() != std::size_t(c_Announcements)) {
        std::printf("start lateness: the schedule did not load\n");
        return false;
    }
    double median = Median(f.m_LateMs);
    double max = *std::max_element(f.m_LateMs.begin(), f.m_LateMs.end());
    double min = *std::min_element(f.m_LateMs.begin(), f.m_LateMs.end());
    bool met = median <= 2.0 && max <= 10.0 && min >= 0.0;
    std::printf("player start after planned start over %d announcements: median %.3f ms, max "
                "%.3f ms, min %.3f ms (targets: median <= 2 ms, max <= 10 ms, never early: %s)\n",
                c_Announcements, median, max, min, Verdict(met));
    return met;
}

bool ReportMemory(const std::string& a_Self, const std::string& a_Root,
                  const std::string& a_Empty) {
    long kib = MeasurePeakKiB(a_Self, a_Root);
    long emptyKib = MeasurePeakKiB(a_Self, a_Empty);
    bool met = kib > 0 && kib <= 8 * 1024;
    std::printf("peak memory after cataloguing %d files: %.2f MiB, %.2f MiB of it with an empty "
                "medium (target <= 8 MiB: %s)\n",
                c_Files, double(kib) / 1024.0, double(emptyKib) / 1024.0, Verdict(met));
    return met;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--catalogue-only") == 0)
        return CatalogueOnly(argv[2]);
    CBenchDir work;
    std::string medium = work.Path() + "/medium", fast = work.Path() + "/fast";
    ::mkdir(fast.c_str(), 0755);
    if (::mkdir(medium.c_str(), 0755) != 0 || !MakeCatalogueMedium(medium, c_Dirs, c_PerDir)) {
        std::fprintf(stderr, "cannot write the benchmark medium under %s\n", work.Path().c_str());
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bool met = ReportCatalogue(medium);
    // The latency medium is still empty here: it gives the memory of an empty catalogue.
    met = ReportMemory("/proc/self/exe", medium, fast) && met;
    met = ReportLatency(fast) && met;
    return met ? 0 : 1;
}
