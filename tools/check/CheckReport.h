#ifndef QUILLANE_CHECKREPORT_H
#define QUILLANE_CHECKREPORT_H

#include "TimeVal.h"
#include "check/FindingKinds.h"

#include <cstddef>
#include <string>
#include <vector>

// One thing on a stick that will not play as its author expects.
struct CCheckFinding {
    EFinding m_Kind = EFinding::Refused;
    std::string m_Text;               // one line for a person
    std::string m_Path;               // the file concerned, when there is one
    std::string m_SoundName;          // the sound concerned, when there is one
    std::string m_Detail;             // e.g. the WAV reader's message, the path replaced
    std::string m_Hint;               // what to do about it, when there is something to say
    std::vector<std::string> m_Names; // sound names, for findings about several sounds
    std::vector<float> m_Keys;        // chain keys concerned
    std::size_t m_Record = 0;         // the record concerned (CSchedule::RecordLabel), 0 for none
    bool m_ChangesPlay = false;       // the board plays otherwise than the schedule reads

    // A finding of a_Kind with the hint and the say on play of its kind; a kind whose findings
    // change play only sometimes is taken to change it unless the finding says otherwise.
    static CCheckFinding Make(EFinding a_Kind, std::string a_Text) {
        CCheckFinding finding;
        finding.m_Kind = a_Kind;
        finding.m_Text = std::move(a_Text);
        finding.m_Hint = KindOf(a_Kind).m_Hint;
        finding.m_ChangesPlay = KindOf(a_Kind).m_ChangesPlay != EChangesPlay::No;
        return finding;
    }
    // The same, with a hint of its own.
    static CCheckFinding Make(EFinding a_Kind, std::string a_Text, std::string a_Hint) {
        CCheckFinding finding = Make(a_Kind, std::move(a_Text));
        finding.m_Hint = std::move(a_Hint);
        return finding;
    }
};

struct CRecordInfo {
    std::string m_Kind; // "announcement" or "time"
    std::string m_Name;
    int m_MinOffset = 0;
};

struct CChainInfo {
    float m_Key = 0;
    bool m_AnchoredStart = true;
    float m_Duration = 0;          // for the report's announce time
    std::size_t m_PlaysPerDay = 0; // the intervals of a day it plays in
    std::vector<CRecordInfo> m_Records;
};

// Everything `check` found out about one stick.
struct CCheckReport {
    std::string m_Given;                 // the directory as given
    std::string m_Dir;                   // the schedule directory; empty when none was found
    bool m_Loaded = false;               // the schedule loads
    std::vector<std::string> m_Messages; // why it does not load
    // What the board does where nothing of this schedule will ever be heard, e.g. "nothing will
    // ever be heard: the schedule has no chains"; empty when something plays.
    std::string m_Unheard;
    int m_FrequencySecs = 0;
    CTimeVal m_AnnounceTime; // the time the chain durations are computed for
    std::size_t m_IntervalsPerDay = 0;
    std::size_t m_TimeSounds = 0;
    std::size_t m_AnnouncementSounds = 0;
    std::vector<CChainInfo> m_Chains;
    std::vector<CCheckFinding> m_Findings;

    // The board plays at least one chain with at least one recording of this schedule.
    bool Usable() const { return m_Loaded && m_Unheard.empty(); }
    // 0 when the stick is usable, 1 when not; with a_Strict 1 also when a finding changes what
    // is played.
    int ExitStatus(bool a_Strict = false) const {
        bool changed = false;
        for (const CCheckFinding& finding : m_Findings)
            changed = changed || finding.m_ChangesPlay;
        return Usable() && !(a_Strict && changed) ? 0 : 1;
    }
};

#endif
