// Prints the announcer's performance figures against their targets; exits 1 when one is missed.
// Run without arguments (about 30 seconds); it writes its media under $TMPDIR (or /tmp).
#include "Bench.h"
#include "Schedule.h"
#include "SoundLibrary.h"
#include "VirtualPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int c_Dirs = 100;
constexpr int c_PerDir = 100;
constexpr int c_Announcements = 20;

const char* Verdict(bool a_Met) {
    return a_Met ? "met" : "MISSED";
}

double SecondsOf(const std::function<void()>& a_Work) {
    auto start = std::chrono::steady_clock::now();
    a_Work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool ReportCatalogue(const std::string& a_Root) {
    CatalogueFigures f = MeasureCatalogue(a_Root, 7);
    double ratio = f.m_LibraryMs / f.m_BareWalkMs;
    std::printf("catalogue of %zu WAV files in %d directories: %.1f ms; bare walk reading 58 "
                "bytes of each: %.1f ms; ratio %.2f (target <= 1.5: %s)\n",
                f.m_Catalogued, c_Dirs, f.m_LibraryMs, f.m_BareWalkMs, ratio,
                Verdict(ratio <= 1.5));
    return f.m_Catalogued == std::size_t(c_Dirs * c_PerDir) && ratio <= 1.5;
}

// Without a lead-in, and with one of half a second, measured against the player's planned start.
bool ReportLatency(const CTempDir& a_Work, const std::string& a_LeadIn) {
    std::string rel = a_LeadIn.empty() ? "fast" : "fast-lead-in";
    LatencyFigures f = MeasureStartLatency(a_Work, rel, c_Announcements, a_LeadIn);
    if (f.m_LateMs.size() != std::size_t(c_Announcements)) {
        std::printf("start lateness: the schedule did not load\n");
        return false;
    }
    double median = Median(f.m_LateMs);
    double max = *std::max_element(f.m_LateMs.begin(), f.m_LateMs.end());
    double min = *std::min_element(f.m_LateMs.begin(), f.m_LateMs.end());
    bool met = median <= 2.0 && max <= 10.0 && min >= 0.0;
    std::printf("player start after planned start over %d announcements%s: median %.3f ms, max "
                "%.3f ms, min %.3f ms (targets: median <= 2 ms, max <= 10 ms, never early: %s)\n",
                c_Announcements, a_LeadIn.empty() ? "" : (", lead-in " + a_LeadIn).c_str(), median,
                max, min, Verdict(met));
    return met;
}

bool ReportMemory(const std::string& a_Self, const std::string& a_Root,
                  const std::string& a_Empty) {
    long kib = MeasurePeakKiB(a_Self, a_Root);
    long emptyKib = MeasurePeakKiB(a_Self, a_Empty);
    bool met = kib > 0 && kib <= 8 * 1024;
    std::printf("peak memory after cataloguing %d files: %.2f MiB, %.2f MiB of it with an empty "
                "medium (target <= 8 MiB: %s)\n",
                c_Dirs * c_PerDir, double(kib) / 1024.0, double(emptyKib) / 1024.0, Verdict(met));
    return met;
}

// A stick at scale: 100,000 recordings in 10 directories and a schedule of 10,000 records
// (1,000 chains of ten, one every 3.6 s of an hour).
bool ReportVolume(const std::string& a_Self, const CTempDir& a_Work) {
    MakeCatalogueMedium(a_Work, "volume", 10, 10000, true);
    std::string records;
    for (int i = 0; i < 10000; ++i) {
        int tenths = i / 10 * 36;
        char key[16];
        std::snprintf(key, sizeof key, "%d:%02d.%d", tenths / 600, tenths / 10 % 60, tenths % 10);
        records += Rec("msg" + std::to_string(i), "Custom", key, i % 10 != 0);
    }
    std::string text = ScheduleFile(records, "60:00");
    std::size_t catalogued = 0, chains = 0;
    double catalogueSecs = CatalogueSecs(a_Work.Path() + "/volume", catalogued);
    CVirtualPlatform platform(At(14, 0));
    std::ostringstream out;
    CSchedule schedule(a_Work.Path(), platform, out);
    double loadSecs = SecondsOf([&] { schedule.LoadText(text); });
    chains = schedule.Program().size();
    long kib = MeasurePeakKiB(a_Self, a_Work.Path() + "/volume");
    bool met = catalogued == 100000 && chains == 1000 && catalogueSecs <= 10 && loadSecs <= 1 &&
               kib > 0 && kib <= 96 * 1024;
    std::printf(
        "100,000 recordings catalogued in %.2f s, peak memory %.1f MiB; 10,000 records in %zu "
        "chains loaded in %.3f s (targets <= 10 s, <= 96 MiB, <= 1 s: %s)\n",
        catalogueSecs, double(kib) / 1024.0, chains, loadSecs, Verdict(met));
    return met;
}

// A hostile tree: link loops, a link off the stick, a FIFO named like a recording, and a
// recording 200 directories deep that must still be found.
bool ReportHostileTree(const CTempDir& a_Work) {
    std::string deep = "tree";
    for (int level = 0; level < 200; ++level)
        deep += "/d";
    a_Work.WriteWav(deep + "/deep.wav", 0.1);
    std::string tree = a_Work.Path() + "/tree";
    std::filesystem::create_directory_symlink(tree, tree + "/d/loop");
    std::filesystem::create_directory_symlink("/", tree + "/d/root");
    std::filesystem::create_symlink(tree + "/loop.wav", tree + "/loop.wav");
    ::mkfifo((tree + "/d/x.wav").c_str(), 0644);
    std::size_t catalogued = 0;
    double secs = CatalogueSecs(tree, catalogued);
    bool met = catalogued == 1 && secs <= 1;
    std::printf("hostile tree (link loops, a FIFO, a recording 200 levels deep): %zu recording "
                "catalogued in %.3f s (targets: exactly the deep one, <= 1 s: %s)\n",
                catalogued, secs, Verdict(met));
    return met;
}

// 50 MB in the schedule file's place: refused by its size, never read whole.
bool ReportHugeSchedule(const CTempDir& a_Work) {
    a_Work.Write("huge/forVrex.xml", std::string(50'000'000, '<'));
    CVirtualPlatform platform(At(14, 0));
    std::ostringstream out;
    CSchedule schedule(a_Work.Path() + "/huge", platform, out);
    bool loaded = true;
    double secs = SecondsOf([&] { loaded = schedule.Load(); });
    bool met = !loaded && secs <= 0.1;
    std::printf("a 50 MB schedule file refused in %.4f s (target <= 0.1 s: %s)\n", secs,
                Verdict(met));
    return met;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--catalogue-only") == 0)
        return CatalogueOnly(argv[2]);
    CTempDir work;
    MakeCatalogueMedium(work, "medium", c_Dirs, c_PerDir, false);
    std::filesystem::create_directory(work.Path() + "/fast");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bool met = ReportCatalogue(work.Path() + "/medium");
    // The latency medium is still empty here: it gives the memory of an empty catalogue.
    met = ReportMemory("/proc/self/exe", work.Path() + "/medium", work.Path() + "/fast") && met;
    met = ReportLatency(work, "") && met;
    met = ReportLatency(work, "0:00.5") && met;
    met = ReportVolume("/proc/self/exe", work) && met;
    met = ReportHostileTree(work) && met;
    met = ReportHugeSchedule(work) && met;
    return met ? 0 : 1;
}
