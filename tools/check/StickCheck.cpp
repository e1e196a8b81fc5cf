#include "check/StickCheck.h"

#include "ElementScanner.h"
#include "Schedule.h"
#include "SoundLibrary.h"
#include "TimeRecord.h"
#include "Wave.h"
#include "check/ChainTiming.h"
#include "check/ElementCheck.h"
#include "check/RefusedWave.h"
#include "check/StickLayout.h"
#include "shared/StickDir.h"
#include "shared/ToolText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <strings.h>
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

std::string Joined(const std::vector<std::string>& a_Names) {
    std::string text;
    for (const std::string& name : a_Names)
        text += (text.empty() ? "" : " ") + name;
    return text;
}

CCheckFinding NamesFinding(EFinding a_Kind, const std::string& a_Lead,
                           const std::vector<std::string>& a_Names,
                           const std::string& a_Tail = "") {
    CCheckFinding finding = CCheckFinding::Make(a_Kind, a_Lead + Joined(a_Names) + a_Tail);
    finding.m_Names = a_Names;
    return finding;
}

bool SameIgnoringCase(const std::string& a_Lhs, const std::string& a_Rhs) {
    return a_Lhs.size() == a_Rhs.size() &&
           strncasecmp(a_Lhs.c_str(), a_Rhs.c_str(), a_Lhs.size()) == 0;
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
    CStickLayout::AddFindings(a_Given, report.m_Dir, report.m_Findings);
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
    std::vector<CCheckFinding> found = elements.Findings();
    a_Report.m_Findings.insert(a_Report.m_Findings.end(), found.begin(), found.end());
    if (!a_Report.m_Loaded) {
        a_Report.m_Messages = Lines(loaderLines.str());
        if (a_Report.m_Messages.empty())
            a_Report.m_Messages.push_back(
                "the schedule cannot be loaded: its interval m_Frequency \"" +
                schedule.Scanner().ElementVal(0, CSchedule::c_Frequency) +
                "\" is missing or not M:SS or MM:SS");
        return;
    }
    ExamineLoaded(a_Report, schedule, a_Library, elements, a_Now);
}

void CStickCheck::ExamineLoaded(CCheckReport& a_Report, const CSchedule& a_Schedule,
                                const CSoundLibrary& a_Library, const CElementCheck& a_Elements,
                                const CTimeVal& a_Now) {
    a_Report.m_FrequencySecs = a_Schedule.FrequencySecs();
    a_Report.m_AnnounceTime = CInterval(a_Now, a_Schedule.FrequencySecs()).AnnounceTime();
    CChainTiming timing(a_Schedule, a_Now,
                        [&a_Elements](float a_Key) { return a_Elements.ChainLabel(a_Key); });
    a_Report.m_IntervalsPerDay = timing.IntervalsPerDay();
    ListChains(a_Report, a_Schedule, timing);
    if (a_Schedule.Program().empty())
        a_Report.m_Findings.push_back(CCheckFinding::Make(
            EFinding::EmptyProgram, "The schedule has no chains: nothing will ever play"));
    AddMissingAnnouncements(a_Report, a_Schedule, a_Library, a_Elements);
    AddMissingTimeSounds(a_Report, timing, a_Library);
    timing.AddFindings(a_Report.m_Findings);
}

void CStickCheck::ListChains(CCheckReport& a_Report, const CSchedule& a_Schedule,
                             const CChainTiming& a_Timing) {
    for (const auto& entry : a_Schedule.Program()) {
        CChainInfo info;
        info.m_Key = entry.first;
        info.m_PlaysPerDay = a_Timing.PlaysPerDay(entry.first);
        info.m_AnchoredStart = entry.second->AnchoredStart();
        info.m_Duration = entry.second->DurationForTime(a_Report.m_AnnounceTime);
        for (const auto& record : entry.second->Records()) {
            auto* timeRecord = dynamic_cast<const CTimeRecord*>(record.get());
            info.m_Records.push_back(CRecordInfo{timeRecord ? "time" : "announcement",
                                                 record->Name(),
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
    for (const auto& [name, keys] : missing) {
        std::string chains;
        for (float key : keys)
            chains += (chains.empty() ? "" : ", ") + CInterval::KeyText(key);
        CCheckFinding finding = CCheckFinding::Make(
            EFinding::MissingAnnouncement,
            "Announcement \"" + name + "\" (" + a_Elements.RecordsNamed(name) + ", chain at " +
                chains + ") is not on the stick: that part stays silent");
        finding.m_SoundName = name;
        finding.m_Keys = keys;
        finding.m_Hint = MissingHint(a_Report, name, a_Library);
        a_Report.m_Findings.push_back(finding);
    }
}

std::string CStickCheck::MissingHint(const CCheckReport& a_Report, const std::string& a_Name,
                                     const CSoundLibrary& a_Library) {
    std::string trimmed = CElementScanner::Trimmed(a_Name);
    if (trimmed.empty())
        return "the record has no m_Name";
    if (trimmed != a_Name)
        return "remove the blanks and line breaks around the name in the schedule (see above)";
    if (CSoundLibrary::IsTimeFile(a_Name))
        return a_Name + " is a time sound name; an announcement needs a name that does not " +
               "begin with cdhour or cdnum";
    for (const auto& [name, path] : a_Library.AnnouncementFiles())
        if (SameIgnoringCase(name, a_Name))
            return "the stick has " + path + ": names must match in letter case";
    for (const CCheckFinding& finding : a_Report.m_Findings)
        if (finding.m_SoundName == a_Name && !finding.m_Path.empty())
            return "its file " + finding.m_Path + " was left out, see above";
    return "put a file " + a_Name + ".wav anywhere below " + a_Report.m_Dir;
}

void CStickCheck::AddMissingTimeSounds(CCheckReport& a_Report, const CChainTiming& a_Timing,
                                       const CSoundLibrary& a_Library) {
    std::set<std::string> needed = a_Timing.NeededTimeSounds();
    std::vector<std::string> missing, neededMissing;
    for (const std::string& name : CTimeRecord::AllTitles())
        if (a_Library.TimeSndFiles().count(name) == 0) {
            missing.push_back(name);
            if (needed.count(name) != 0)
                neededMissing.push_back(name);
        }
    if (!missing.empty())
        a_Report.m_Findings.push_back(NamesFinding(
            EFinding::MissingTimeSounds, "Time sounds missing from the complete set: ", missing,
            neededMissing.empty() ? "; this schedule needs none of them" : ""));
    if (!neededMissing.empty())
        a_Report.m_Findings.push_back(NamesFinding(
            EFinding::NeededTimeSoundsMissing,
            "Time sounds this schedule speaks over a day but the stick lacks (spoken as silence): ",
            neededMissing));
}
