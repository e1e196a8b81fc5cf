#include "plan/Planner.h"

#include "Schedule.h"
#include "SoundLibrary.h"
#include "plan/PlanBars.h"
#include "plan/PlanPlatform.h"
#include "plan/PlanSvg.h"
#include "shared/ToolText.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {
// Swallows the scheduler's own lines: the preview shows only what is played.
class CDiscardBuffer : public std::streambuf {
protected:
    int overflow(int a_Char) override { return traits_type::not_eof(a_Char); }
    std::streamsize xsputn(const char*, std::streamsize a_Count) override { return a_Count; }
};

// Passes until a_Count plays, or until a_GiveUpSecs of virtual time bring none.
bool Walk(CSchedule& a_Schedule, CPlanPlatform& a_Platform, long a_Count) {
    CTimeVal lastPlay = a_Platform.Now();
    std::size_t plays = 0;
    while (a_Platform.Plays() < std::size_t(a_Count)) {
        a_Schedule.PlayNextSound();
        if (a_Platform.Plays() != plays) {
            plays = a_Platform.Plays();
            lastPlay = a_Platform.Now();
        } else if (a_Platform.Now().Seconds() - lastPlay.Seconds() > CPlanner::c_GiveUpSecs) {
            return false;
        }
    }
    return true;
}
} // namespace

int CPlanner::Run(const std::string& a_Dir, const CTimeVal& a_Start, long a_Count,
                  std::ostream& a_Out, std::ostream& a_Err, const std::string& a_SvgFile,
                  bool a_Json) {
    CSoundLibrary library(a_Dir);
    std::ostringstream lines; // kept for the picture
    CPlanPlatform platform(a_Start, a_Out,
                           a_Json ? CPlanPlatform::EForm::Json : CPlanPlatform::EForm::Lines,
                           a_SvgFile.empty() ? nullptr : &lines);
    std::ostream scheduleOut(a_Err.rdbuf()); // the loader's complaints are worth seeing
    CSchedule schedule(a_Dir, platform, scheduleOut);
    if (!schedule.Load()) {
        a_Err << "quillanectl: the schedule in " << Printable(a_Dir) << " cannot be loaded"
              << std::endl;
        return 1;
    }
    CDiscardBuffer discard;
    scheduleOut.rdbuf(&discard);
    a_Out << (a_Json ? "[\n" : "");
    bool complete = Walk(schedule, platform, a_Count);
    a_Out << (a_Json ? "\n]\n" : "");
    a_Out.flush();
    if (!complete)
        a_Err << "quillanectl: nothing plays within two days of schedule time; stopping"
              << std::endl;
    return a_SvgFile.empty() ? 0 : Draw(schedule, a_Start, lines.str(), a_SvgFile, a_Err);
}

int CPlanner::Draw(const CSchedule& a_Schedule, const CTimeVal& a_Start, const std::string& a_Lines,
                   const std::string& a_SvgFile, std::ostream& a_Err) {
    CPlanChart chart = CPlanBars::Measure(a_Schedule, a_Start);
    std::istringstream lines(a_Lines);
    for (std::string line; std::getline(lines, line);)
        chart.m_Lines.push_back(line);
    std::ofstream file(a_SvgFile, std::ios::binary | std::ios::trunc);
    if (file)
        CPlanSvg::Write(chart, file);
    file.close();
    if (!file) {
        a_Err << "quillanectl: cannot write " << Printable(a_SvgFile) << ": "
              << std::strerror(errno) << std::endl;
        return 1;
    }
    return 0;
}
