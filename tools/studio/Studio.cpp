#include "Studio.h"

#include "Wave.h"
#include "check/CheckText.h"
#include "check/RefusedWave.h"
#include "check/StickCheck.h"
#include "plan/Planner.h"
#include "shared/StickDir.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

const char* const CStudio::c_PictureFile = "/tmp/quillane-timetable.svg";

namespace {
CTimeVal Moment(double a_Secs) {
    return CTimeVal(timeval{time_t(std::floor(a_Secs)), 0});
}
} // namespace

CStudio::CView CStudio::Look(const std::string& a_Stick, double a_Secs) {
    CView view;
    CCheckReport report = CStickCheck::Run(a_Stick, Moment(a_Secs));
    std::ostringstream text;
    CCheckText::Write(report, text);
    view.m_Report = text.str();
    view.m_Status = report.ExitStatus(false);
    view.m_StrictStatus = report.ExitStatus(true);
    Plan(a_Stick, a_Secs, view);
    return view;
}

// As quillanectl plan STICK --svg FILE: its lines, and its complaints where it prints nothing.
void CStudio::Plan(const std::string& a_Stick, double a_Secs, CView& a_View) {
    std::string dir, why;
    if (!CStickDir::Resolve(a_Stick, dir, why)) {
        a_View.m_Plan = "quillanectl: " + Printable(why) + "\n";
        return;
    }
    std::remove(c_PictureFile);
    std::ostringstream out, err;
    int status =
        CPlanner::Run(dir, Moment(a_Secs), CPlanner::c_DefaultCount, out, err, c_PictureFile);
    a_View.m_Plan = out.str() + err.str();
    std::ifstream picture(c_PictureFile, std::ios::binary);
    if (status == 0 && picture)
        a_View.m_Picture.assign(std::istreambuf_iterator<char>(picture), {});
}

std::size_t CStudio::HeadBytes() {
    return std::max(CWave::c_HeaderBytes, CRefusedWave::c_ChunkBytes);
}
