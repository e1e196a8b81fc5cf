// What check costs on a large schedule: it judges every chain in every interval of a day, which
// must stay linear in the number of chains. Prints the figures; exits 1 when a target is missed.
// Run without arguments (a few seconds).
#include "Bench.h"
#include "check/StickCheck.h"

#include <chrono>
#include <cstdio>

namespace {
// a_Chains single-record chains spread over a 20:00 interval, every tenth one speaking the time,
// with the recordings they name and every time sound on the stick.
void MakeStick(const CTempDir& a_Dir, int a_Chains) {
    std::string records;
    for (int i = 0; i < a_Chains; ++i) {
        int tenths = i * 12000 / a_Chains;
        char key[16];
        std::snprintf(key, sizeof key, "%d:%02d.%d", tenths / 600, tenths / 10 % 60, tenths % 10);
        records += i % 10 == 0 ? Rec("now", "Timed", key)
                               : Rec("msg" + std::to_string(i % 10), "Custom", key);
    }
    a_Dir.Write("show/forVrex.xml", ScheduleFile(records, "20:00"));
    for (int i = 0; i < 10; ++i)
        a_Dir.WriteWav("show/msg" + std::to_string(i) + ".wav", 0.1);
    WriteTimeSounds(a_Dir, "show/times", 0.1);
}

// Seconds one check of a stick of a_Chains chains takes; a_Found: the chains it listed.
double CheckSecs(int a_Chains, std::size_t& a_Found) {
    CTempDir dir;
    MakeStick(dir, a_Chains);
    auto start = std::chrono::steady_clock::now();
    CCheckReport report = CStickCheck::Run(dir.Path(), At(14, 31));
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    a_Found = report.m_Chains.size();
    return spent.count();
}
} // namespace

int main(int argc, char** argv) {
    int chains = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::size_t small = 0, large = 0;
    double smallSecs = CheckSecs(chains / 10, small);
    double largeSecs = CheckSecs(chains, large);
    double growth = largeSecs / smallSecs / 10;
    bool met = small == std::size_t(chains / 10) && large == std::size_t(chains) &&
               largeSecs <= 1.0 && growth <= 2;
    std::printf("check of %zu records in %zu chains: %.3f s; of %zu chains: %.3f s; time per "
                "chain grows by %.2f (targets <= 1 s, linear: <= 2: %s)\n",
                large, large, largeSecs, small, smallSecs, growth, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
