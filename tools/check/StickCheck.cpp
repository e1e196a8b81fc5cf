#include "check/StickCheck.h"

#include "ElementScanner.h"
#include "Schedule.h"
#include "SoundLibrary.h"
#include "TimeRecord.h"
#include "Wave.h"
#include "check/CalendarCheck.h"
#include "check/ChainTiming.h"
#include "check/ElementCheck.h"
#include "check/MissingSound.h"
#include "check/RefusedWave.h"
#include "check/ScheduleText.h"
#include "check/StickLayout.h"
#include "shared/StickDir.h"
#include "shared/ToolText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace {
const std::string c_Accepted = "the board plays only mono, " +
                               std::to_string(CWave::c_BitsPerSample) + "-bit, " +
                               std::to_string(CWave::c_sample_rate) +
                               " Hz PCM recordings with nothing between the format and the data";

std::vector<std::string> Lines(const std::string& a_Text) {
    std::vector<std::string> lines;
    std::istringstream in(a_Text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

CCheckFinding NamesFinding(EFinding a_Kind, const std::string& a_Lead,
                           const std::vector<std::string>& a_Names,
                           const std::string& a_Tail = "") {
    CCheckFinding finding = CCheckFinding::Make(a_Kind, a_Lead + Joined(a_Names, " ") + a_Tail);
    finding.m_Names = a_Names;
    return finding;
}

// Each file the catalogue leaves out, as a finding.
class CLibraryFindings : public CLibraryObserver {
public:
    explicit CLibraryFindings(std::vector<CCheckFinding>& a_Findings) : m_Findings(a_Findings) {}

    void LeftOut(ELeftOut a_Why, const std::string& a_Path, const std::string& a_SoundName,
                 const std::string& a_Detail) override {
        CCheckFinding finding =
            CCheckFinding::Make(Kind(a_Why), Text(a_Why, a_Path, a_SoundName, a_Detail));
        finding.m_Path = a_Path;
        finding.m_SoundName = a_SoundName;
        finding.m_Detail = a_Detail;
        if (a_Why == ELeftOut::Refused)
            AddRefusal(finding);
        if (a_Why == ELeftOut::Replaced)
            finding.m_Hint = "keep one file for each sound: delete or rename " + a_Detail +
                             ", or " + a_Path + " if the other should play";
        m_Findings.push_back(finding);
    }

private:
    static EFinding Kind(ELeftOut a_Why) {
        switch (a_Why) {
        case ELeftOut::ZeroLength:
            return EFinding::ZeroLength;
        case ELeftOut::ShortName:
            return EFinding::ShortName;
        case ELeftOut::Replaced:
            return EFinding::Replaced;
        default:
            return EFinding::Refused;
        }
    }
    static std::string Text(ELeftOut a_Why, const std::string& a_Path,
                            const std::string& a_SoundName, const std::string& a_Detail) {
        if (a_Why == ELeftOut::ZeroLength)
            return "Left out " + a_Path + ": it holds no samples";
        if (a_Why == ELeftOut::ShortName)
            return "Left out " + a_Path + ": its name gives no sound name";
        if (a_Why == ELeftOut::Replaced)
            return "Two files give the sound " + a_SoundName + ": " + a_Path + " is played, " +
                   a_Detail + " is not";
        return "";
    }
    // What the file is, what the board needs, and the command that converts it.
    static void AddRefusal(CCheckFinding& a_Finding) {
        CRefusedWave wave(a_Finding.m_Path);
        std::string what = wave.What();
        a_Finding.m_Text =
            "Refused " + a_Finding.m_Path + ": " +
            (what.empty() ? "its header is not one the board reads (" + a_Finding.m_Detail + ")"
                          : what) +
            "; " + c_Accepted;
        a_Finding.m_Hint = wave.Convertible()
                               ? "convert it with: " + wave.ImportCommand()
                               : "replace it with a recording that plays on a PC, or delete it";
    }

    std::vector<CCheckFinding>& m_Findings;
};
} // namespace

CCheckReport CStickCheck::Run(const std::string& a_Given, const CTimeVal& a_Now) {
    CCheckReport report;
    report.m_Given = a_Given;
    std::string why;
    bool found = CStickDir::Resolve(a_Given, report.m_Dir, why);
    CStickLayout::AddFindings(a_Given, report.m_Dir, report.m_Findings, report.m_Unheard);
    if (!found) {
        report.m_Messages.push_back(why);
        return report;
    }
    CLibraryFindings libraryFindings(report.m_Findings);
    CSoundLibrary library(report.m_Dir, &libraryFindings);
    report.m_TimeSounds = library.TimeSndFiles().size();
    report.m_AnnouncementSounds = library.AnnouncementFiles().size();
    Examine(report, library, a_Now);
    return report;
}

void CStickCheck::Examine(CCheckReport& a_Report, const CSoundLibrary& a_Library,
                          const CTimeVal& a_Now) {
    // The loader's own lines explain a schedule that does not load.
    std::ostringstream loaderLines;
    CSchedule schedule(a_Report.m_Dir, loaderLines);
    CElementCheck elements(schedule);
    a_Report.m_Loaded = schedule.Load(&elements);
    CScheduleText text(schedule.FileText(), schedule.FileName());
    std::size_t encoding = a_Report.m_Findings.size();
    text.AddEncoding(a_Report.m_Findings);
    text.AddFindings(a_Report.m_Findings);
    std::vector<CCheckFinding> found = elements.Findings();
    a_Report.m_Findings.insert(a_Report.m_Findings.end(), found.begin(), found.end());
    if (!a_Report.m_Loaded) {
        a_Report.m_Messages = Lines(loaderLines.str());
        if (a_Report.m_Messages.empty())
            a_Report.m_Messages.push_back(
                text.Utf16() ? "the schedule cannot be loaded: it is saved as UTF-16, not UTF-8: "
                               "open it in a text editor and save it as UTF-8"
                             : "the schedule cannot be loaded: its interval m_Frequency \"" +
                                   schedule.Scanner().ElementVal(0, CSchedule::c_Frequency) +
                                   "\" is missing or not M:SS or MM:SS: write minutes and seconds, "
                                   "such as <m_Frequency>5:00</m_Frequency>");
        return;
    }
    ExamineLoaded(a_Report, schedule, a_Library, elements, a_Now);
    // Latin-1 changes play where a name with accents finds no file.
    for (const CCheckFinding& finding : a_Report.m_Findings)
        if (encoding < a_Report.m_Findings.size() &&
            a_Report.m_Findings[encoding].m_Kind == EFinding::Encoding &&
            finding.m_Kind == EFinding::MissingAnnouncement && !IsUtf8(finding.m_SoundName))
            a_Report.m_Findings[encoding].m_ChangesPlay = true;
}

void CStickCheck::ExamineLoaded(CCheckReport& a_Report, const CSchedule& a_Schedule,
                                const CSoundLibrary& a_Library, const CElementCheck& a_Elements,
                                const CTimeVal& a_Now) {
    a_Report.m_FrequencySecs = a_Schedule.FrequencySecs();
    a_Report.m_AnnounceTime = CInterval(a_Now, a_Schedule.FrequencySecs()).AnnounceTime();
    CChainTiming timing(a_Schedule, a_Now, a_Elements);
    a_Report.m_IntervalsPerDay = timing.IntervalsPerDay();
    ListChains(a_Report, a_Schedule, timing, a_Elements);
    if (a_Schedule.Program().empty())
        a_Report.m_Findings.push_back(CCheckFinding::Make(
            EFinding::EmptyProgram, "The schedule has no chains: nothing will ever play"));
    AddMissingAnnouncements(a_Report, a_Schedule, a_Library, a_Elements);
    AddMissingGreeting(a_Report, a_Schedule, a_Library, a_Elements);
    AddMissingTimeSounds(a_Report, timing, a_Library);
    timing.AddFindings(a_Report.m_Findings);
    CCalendarCheck calendar(a_Schedule, a_Elements, timing, a_Now);
    calendar.AddFindings(a_Report.m_Findings);
    if (a_Report.m_Unheard.empty() && !timing.SomethingHeard())
        a_Report.m_Unheard =
            "nothing will ever be heard: " +
            std::string(a_Schedule.Program().empty() ? "the schedule has no chains"
                        : !timing.SomethingPlays()
                            ? "no chain plays in any interval, see above"
                            : "none of the recordings its chains play is on the stick");
    else if (a_Report.m_Unheard.empty() && !calendar.NothingPlays().empty())
        a_Report.m_Unheard = "nothing will ever be heard: " + calendar.NothingPlays();
}

void CStickCheck::ListChains(CCheckReport& a_Report, const CSchedule& a_Schedule,
                             const CChainTiming& a_Timing, const CElementCheck& a_Elements) {
    for (const auto& entry : a_Schedule.Program()) {
        CChainInfo info;
        info.m_Key = entry.first;
        info.m_PlaysPerDay = a_Timing.PlaysPerDay(entry.first);
        info.m_AnchoredStart = entry.second->AnchoredStart();
        info.m_Duration = entry.second->DurationForTime(a_Report.m_AnnounceTime);
        for (const auto& record : entry.second->Records()) {
            auto* timeRecord = dynamic_cast<const CTimeRecord*>(record.get());
            info.m_Records.push_back(CRecordInfo{timeRecord ? "time" : "announcement",
                                                 a_Elements.Shown(record->Name()),
                                                 timeRecord ? timeRecord->MinOffset() : 0});
        }
        a_Report.m_Chains.push_back(info);
    }
}

void CStickCheck::AddMissingAnnouncements(CCheckReport& a_Report, const CSchedule& a_Schedule,
                                          const CSoundLibrary& a_Library,
                                          const CElementCheck& a_Elements) {
    std::map<std::string, std::vector<float>> missing; // name -> keys of the chains using it
    for (const auto& entry : a_Schedule.Program())
        for (const auto& record : entry.second->Records())
            if (!dynamic_cast<const CTimeRecord*>(record.get()) &&
                a_Library.GetAnnouncementFile(record->Name()).empty())
                missing[record->Name()].push_back(entry.first);
    std::vector<CCheckFinding> found;
    CMissingSound meant(a_Report.m_Dir, a_Library, a_Report.m_Findings, a_Elements.Latin1());
    for (const auto& [name, keys] : missing) {
        std::string chains;
        for (float key : keys)
            chains += (chains.empty() ? "" : ", ") + CInterval::KeyText(key);
        CMissingSound::CExplained explained = meant.Explain(name);
        CCheckFinding finding = CCheckFinding::Make(
            EFinding::MissingAnnouncement,
            "Announcement \"" + a_Elements.Shown(name) + "\" (" + a_Elements.RecordsNamed(name) +
                ", chain at " + chains + ") " + explained.m_Where + ": that part stays silent",
            explained.m_Hint);
        finding.m_SoundName = name;
        finding.m_Keys = keys;
        found.push_back(finding);
    }
    a_Report.m_Findings.insert(a_Report.m_Findings.end(), found.begin(), found.end());
}

void CStickCheck::AddMissingGreeting(CCheckReport& a_Report, const CSchedule& a_Schedule,
                                     const CSoundLibrary& a_Library,
                                     const CElementCheck& a_Elements) {
    const std::string& name = a_Schedule.Greeting();
    if (name.empty() || !a_Library.GetAnnouncementFile(name).empty())
        return;
    CMissingSound meant(a_Report.m_Dir, a_Library, a_Report.m_Findings, a_Elements.Latin1());
    CMissingSound::CExplained explained = meant.Explain(name);
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::MissingGreeting,
        "The greeting \"" + a_Elements.Shown(name) + "\" (m_Greeting) " + explained.m_Where +
            ": when the stick is read, only the time is spoken",
        explained.m_Hint);
    finding.m_SoundName = name;
    a_Report.m_Findings.push_back(finding);
}

// One finding: the time sounds the schedule speaks and the stick lacks, or else those it lacks
// of the complete set; voice makes them all.
void CStickCheck::AddMissingTimeSounds(CCheckReport& a_Report, const CChainTiming& a_Timing,
                                       const CSoundLibrary& a_Library) {
    const std::set<std::string>& needed = a_Timing.NeededTimeSounds();
    std::vector<std::string> all = CTimeRecord::AllTitles(), missing, neededMissing;
    for (const std::string& name : all)
        if (a_Library.TimeSndFiles().count(name) == 0) {
            missing.push_back(name);
            if (needed.count(name) != 0)
                neededMissing.push_back(name);
        }
    std::string hint = "speak all " + std::to_string(all.size()) + " into " + a_Report.m_Dir +
                       "/times with: quillanectl voice " +
                       CRefusedWave::ShellQuoted(a_Report.m_Dir);
    if (!neededMissing.empty()) {
        a_Report.m_Findings.push_back(NamesFinding(
            EFinding::NeededTimeSoundsMissing,
            "Time sounds this schedule speaks over a day but the stick lacks (spoken as silence): ",
            neededMissing));
        a_Report.m_Findings.back().m_Hint = hint;
    } else if (!missing.empty()) {
        a_Report.m_Findings.push_back(
            missing.size() == all.size()
                ? CCheckFinding::Make(EFinding::MissingTimeSounds,
                                      "The stick has none of the " + std::to_string(all.size()) +
                                          " time sounds; this schedule needs none of them")
                : NamesFinding(EFinding::MissingTimeSounds,
                               "Time sounds missing from the complete set: ", missing,
                               "; this schedule needs none of them"));
        a_Report.m_Findings.back().m_Hint = hint;
    }
}
