// The schedule loader's cost against the file size: it must stay linear, also when elements are
// missing everywhere (each record then searches to the end of the text for them). Prints the
// figures; exits 1 when a target is missed. Run without arguments (a few seconds).
#include "Bench.h"
#include "Schedule.h"

#include <chrono>
#include <cstdio>
#include <sstream>
#include <sys/resource.h>

namespace {
// Every element present; one chain in five, each at its own key.
std::string FullRecord(int a_Index) {
    int tenths = (a_Index / 5) % 36000;
    char buf[320];
    std::snprintf(buf, sizeof buf,
                  "<Record><m_Name>s%06d</m_Name><Type>%s</Type><m_FollowMsgName></m_FollowMsgName>"
                  "<m_TimingTime>%d:%02d.%d</m_TimingTime><m_FinishAtTime>%d</m_FinishAtTime>"
                  "<m_AfterMsg>%d</m_AfterMsg><m_OffsetTime>0</m_OffsetTime></Record>\n",
                  a_Index, a_Index % 2 ? "Timed" : "Custom", tenths / 600, tenths / 10 % 60,
                  tenths % 10, a_Index % 3 == 0, a_Index % 5 != 0);
    return buf;
}

// Only a name and a type: every other element is missing from the whole file.
std::string SparseRecord(int a_Index) {
    return "<Record><m_Name>s" + std::to_string(a_Index) +
           "</m_Name><Type>Custom</Type></Record>\n";
}

std::string Schedule(int a_Records, std::string (*a_Record)(int)) {
    std::string text = "<m_Frequency>60:00</m_Frequency>\n<Records>\n";
    for (int i = 0; i < a_Records; ++i)
        text += a_Record(i);
    return text + "</Records>\n";
}

// Median milliseconds of loading a_Text; a_Chains gets the number of chains loaded.
double LoadMs(const std::string& a_Text, int a_Rounds, std::size_t& a_Chains) {
    std::vector<double> times;
    for (int round = 0; round < a_Rounds; ++round) {
        std::ostringstream out;
        CSchedule schedule("/nonexistent", out);
        auto start = std::chrono::steady_clock::now();
        bool loaded = schedule.LoadText(a_Text);
        std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        times.push_back(loaded ? spent.count() : -1);
        a_Chains = schedule.Program().size();
    }
    return Median(times);
}

struct Shape {
    const char* m_Name;
    std::string (*m_Record)(int);
};

// Linear means: ten times the records, about ten times the time; quadratic would be a hundred.
// Compared from 10k records on, where the text no longer fits the processor's caches.
bool ReportShape(const Shape& a_Shape) {
    const int sizes[] = {1000, 10000, 100000};
    double perRecord[3] = {};
    for (int i = 0; i < 3; ++i) {
        std::string text = Schedule(sizes[i], a_Shape.m_Record);
        std::size_t chains = 0;
        double ms = LoadMs(text, 5, chains);
        perRecord[i] = ms * 1000.0 / sizes[i];
        std::printf("load %s schedule of %6d records (%5.2f MiB): %8.2f ms, %.2f us/record, %zu "
                    "chains\n",
                    a_Shape.m_Name, sizes[i], double(text.size()) / 1048576.0, ms, perRecord[i],
                    chains);
    }
    double growth = perRecord[2] / perRecord[1];
    bool met = growth <= 2.0;
    std::printf("  time per record at 100k / at 10k records: %.2f (target <= 2, linear: %s)\n",
                growth, met ? "met" : "MISSED");
    return met;
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The largest file the announcer reads: 16 MiB of nothing but record tags, two million records
// of unknown type. Measured first, so the peak is this load's own; output is discarded, as a
// board's console or journal does not keep it in the announcer's memory.
bool ReportLimit() {
    std::string text = "<m_Frequency>5:00</m_Frequency><Records>";
    while (text.size() < 16u * 1024 * 1024 - 8)
        text += "<Record>";
    long before = PeakKiB();
    std::ostream discard(nullptr);
    auto start = std::chrono::steady_clock::now();
    {
        CSchedule schedule("/nonexistent", discard);
        schedule.LoadText(text);
    }
    std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
    double grownMiB = double(PeakKiB() - before) / 1024.0;
    bool met = ms.count() <= 10000 && grownMiB <= 64;
    std::printf("load 16 MiB of bare record tags (2 million records): %.0f ms, memory grew by %.1f "
                "MiB (targets <= 10 s, <= 64 MiB: %s)\n",
                ms.count(), grownMiB, met ? "met" : "MISSED");
    return met;
}
} // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bool met = ReportLimit();
    met = ReportShape({"full", FullRecord}) && met;
    met = ReportShape({"sparse", SparseRecord}) && met;
    return met ? 0 : 1;
}
