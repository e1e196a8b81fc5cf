#include "SchedulerCases.h"

#include "Schedule.h"

#include <sstream>

namespace {
constexpr std::int64_t c_Second = 1000000;
} // namespace

CSchedulerStick::CSchedulerStick() {
    for (auto [name, secs] : {std::pair{"hello", 2.0}, {"ann8", 8.0}, {"chime", 0.2}})
        m_Dir.WriteWav(std::string(name) + ".wav", secs);
    for (const char* name : {"cdnum14", "cdnum15", "cdnum35", "cdnum40", "cdhour15"})
        m_Dir.WriteWav(std::string("times/") + name + ".wav", 1.0);
    m_Library = std::make_unique<CSoundLibrary>(m_Dir.Path());
}

std::vector<CSchedulerCase> SchedulerCases() {
    // hello (2 s) at 1:00 followed by the time; ann8 (8 s) finishing at 0:10; hello at 2:00.
    const std::string hello60 = Rec("hello", "Custom", "1:00.0") + Rec("now", "Timed", "", true);
    const std::string ann8At10 = Rec("ann8", "Custom", "0:10.0", false, "1");
    const std::string a = ann8At10 + Rec("hello", "Custom", "2:00.0"), s = "hello cdnum14 cdnum35";
    const std::string chime = Rec("chime", "Custom", "0:30.0"),
                      night = "<m_Quiet>22:00-06:00</m_Quiet>";
    // clang-format off
    return {
        {hello60, "5:00", At(14, 31, 30), 1, "14:36:00.0 hello cdnum14 cdnum40\n"}, // past the last key
        {hello60, "5:00", At(14, 30, 20), 1, "14:31:00.0 " + s + "\n"},
        {Rec("ann8", "Custom", "2:00.0", false, "1"), "5:00", At(14, 30, 10), 1, "14:31:52.0 ann8\n"},
        {a, "5:00", At(14, 30, 5), 1, "14:32:00.0 hello\n"}, // ann8 is longer than the offset
        {a, "5:00", At(14, 30, 1), 1, "14:30:02.0 ann8\n"},  // found again from the later start
        {a, "5:00", At(14, 30, 9, 250000), 1, "14:30:09.250 ann8\n"}, // its start passed: at once
        {Rec("chime", "Custom", "0:00.0"), "5:00", At(14, 30, 0, 400000), 3,
         "14:30:00.400 chime\n14:35:00.0 chime\n14:40:00.0 chime\n", 200000},
        {a, "5:00", At(14, 30, 1), 2, "14:30:02.0 ann8\n14:32:00.0 hello\n", 8300000}, // ends in its key's second
        {Rec("chime", "Custom", "2:06.0") + Rec("hello", "Custom", "2:06.5"), "5:00", At(14, 32, 5), 3,
         "14:32:06.0 chime\n14:32:06.500 hello\n14:37:06.0 chime\n", 200000},
        {Rec("hello", "Custom", "45:00.0") + Rec("now", "Timed", "", true), "60:00", At(14, 10), 1,
         "14:45:00.0 hello cdhour15\n"},
        {hello60, "5:00", At(14, 30, 20), 3,
         "14:31:00.0 " + s + "\n14:36:00.0 hello cdnum14 cdnum40\n14:31:00.0 " + s + "\n",
         c_Second, {{At(14, 31, 0, 500000), -30 * c_Second}, {At(14, 36, 0, 500000), -600 * c_Second}}},
        {hello60, "5:00", At(14, 30, 20), 2,
         "Clock stepped by 3600 seconds, planning again\n15:31:00.0 hello cdnum15 cdnum35\n", c_Second,
         {{At(14, 30, 30), 3600 * c_Second}}},
        // A step within a second is not planned anew, and the wait still ends at the moment itself.
        {hello60, "5:00", At(14, 30, 20), 1, "14:31:00.0 " + s + "\n", c_Second, {{At(14, 30, 30), -900000}}},
        // The last interval of an hour ends at the full hour and speaks it; a key beyond is not in it.
        {Rec("hello", "Custom", "5:00.0") + Rec("now", "Timed", "", true), "45:00", At(14, 40), 1,
         "14:50:00.0 hello cdhour15\n"},
        {Rec("hello", "Custom", "20:00.0"), "45:00", At(14, 46), 1, "15:20:00.0 hello\n"},
        {Rec("hello", "Custom", "9:00.0") + Rec("now", "Timed", "", true), "90:00", At(14, 0), 1,
         "14:09:00.0 hello cdhour15\n"},
        {Rec("chime", "Custom", "0:00.0"), "0:01", At(14, 30), 2, "14:30:00.0 chime\n14:30:01.0 chime\n", 200000},
        {"", "5:00", At(14, 31, 30), 2, "idle until 14:40:00.0"},
        // 7 minutes do not divide the hour: the interval of 14:56 ends at 15:00.
        {Rec("ann8", "Custom", "0:05.0", false, "1"), "7:00", At(14, 58, 10), 1, "idle until 15:00:00.0"},
        // Quiet hours: past midnight (their 96 intervals waited out at once), over a week's end, a
        // holiday and its nights, both changes of summer time. 5 January 2026 is a Monday.
        {chime, "5:00", Moment("2026-01-05 21:54:00+01"), 4,
         "Quiet until 06:00:00\n21:55:30.0 chime\n6:00:30.0 chime\n", 200000, {}, night, 4},
        {chime, "5:00", Moment("2026-01-09 23:58:00+01"), 3, "Quiet until 2026-01-12 00:00:00\n0:00:30.0 chime\n",
         200000, {}, "<m_Quiet>Sat,Sun</m_Quiet>"},
        {chime, "5:00", Moment("2026-01-05 21:54:00+01"), 1, "Quiet until at least 2026-02-05 21:54:00\nidle until 21:54:00.0", 0, {}, "<m_Quiet>Mon-Sun</m_Quiet>"},
        {chime, "5:00", Moment("2026-12-24 21:59:00+01"), 3, "Quiet until 2026-12-26 06:00:00\n6:00:30.0 chime\n",
         200000, {}, "<m_Quiet>22:00-06:00; 12-25</m_Quiet>"},
        {chime, "5:00", Moment("2026-03-29 00:58:00+01"), 3, "Quiet until 03:00:00\n3:00:30.0 chime\n", 200000,
         {}, "<m_Quiet>01:00-03:00</m_Quiet>", 3},
        {chime, "5:00", Moment("2026-10-25 01:58:00+02"), 3, "Quiet until 03:00:00\n3:00:30.0 chime\n", 200000,
         {}, "<m_Quiet>02:00-03:00</m_Quiet>", 3},
        // A chain that starts before quiet hours plays to its end in them.
        {Rec("hello", "Custom", "4:59.0"), "5:00", Moment("2026-01-05 21:57:00+01"), 3,
         "Quiet until 06:00:00\n21:59:59.0 hello\n6:04:59.0 hello\n", 2 * c_Second, {}, night},
        // m_When: the chime on Saturdays only; on a joining record it counts for nothing, and a
        // record without one does not take the next record's.
        {When(chime, "Sat") + Rec("hello", "Custom", "1:00.0"), "5:00", Moment("2026-01-09 23:50:00+01"), 4,
         "23:51:00.0 hello\n23:56:00.0 hello\n0:00:30.0 chime\n0:01:00.0 hello\n", 200000},
        {Rec("hello", "Custom", "1:00.0") + When(Rec("now", "Timed", "", true), "Sat") +
             When(Rec("chime", "Custom", "2:00.0"), "Sat"), "5:00", At(14, 30, 20), 2,
         "14:31:00.0 " + s + "\n14:36:00.0 hello cdnum14 cdnum40\n"},
        // The greeting at once (its recording missing, the time alone), then the chain; each after
        // the lead-in, and the player started that much earlier.
        {hello60, "5:00", At(14, 35, 20), 1, "14:35:20.0 lead-in cdnum14 cdnum35\n14:35:59.500 lead-in hello "
         "cdnum14 cdnum40\n", c_Second, {}, "<m_LeadIn>0:00.5</m_LeadIn><m_Greeting>gone</m_Greeting>"},
        // A chain at 0:00.0 starts its player in the interval before, whose last chain is over then.
        {Rec("chime", "Custom", "4:59.0", false, "1") + Rec("hello", "Custom", "0:00.0"), "5:00", At(14, 34, 58), 3,
         "14:34:58.300 lead-in chime\n14:34:59.500 lead-in hello\n14:39:58.300 lead-in chime\n", 200000, {},
         "<m_LeadIn>0:00.5</m_LeadIn>"},
    };
    // clang-format on
}

bool PlayCase(CSchedule& a_Schedule, const CSchedulerCase& a_Case) {
    if (!a_Schedule.LoadText(ScheduleFile(a_Case.m_Records, a_Case.m_Frequency) + a_Case.m_Top))
        return false;
    if (a_Schedule.LeadInSecs() > 0)
        a_Schedule.UseLeadIn("/run/quillane/lead-in.wav");
    a_Schedule.PlayGreeting();
    for (int pass = 0; pass < a_Case.m_Passes; ++pass)
        a_Schedule.PlayNextSound();
    return true;
}

std::string PlaysText(const std::string& a_Out,
                      const std::vector<std::pair<CTimeVal, CPlayback>>& a_Plays, CTimeVal a_Now) {
    std::ostringstream plays;
    std::istringstream lines(a_Out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Clock stepped", 0) == 0 || line.rfind("Quiet until", 0) == 0)
            plays << line << "\n";
    for (const auto& [start, playback] : a_Plays) {
        std::istringstream paths(playback.m_FileNames);
        plays << start.TimeString();
        for (std::string path; paths >> path;)
            plays << " " << CSoundLibrary::SoundName(path);
        plays << "\n";
    }
    if (a_Plays.empty())
        plays << "idle until " << a_Now.TimeString();
    return plays.str();
}
