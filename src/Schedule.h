#ifndef QUILLANE_SCHEDULE_H
#define QUILLANE_SCHEDULE_H

#include "Chain.h"
#include "Platform.h"
#include "TimeVal.h"

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// What to announce and when: the schedule file, its interval and its chains, and the
// scheduler that plays the next chain due.
class CSchedule {
public:
    // Something the loader accepted silently; reported by tools, never by the announcer.
    struct Note {
        std::string m_Kind; // "unknown-type", "orphan-after-message", "replaced-chain",
                            // "malformed-value", "key-beyond-interval", "more-notes"
        std::string m_Text; // one line for a person
    };

    // What the last pass chose, set before the chain is played.
    struct Choice {
        float m_Key = 0;
        CTimeVal m_StartTime;
        CTimeVal m_AnnounceTime;
        std::shared_ptr<CChain> m_Chain;
    };

    explicit CSchedule(std::string a_Dir); // real clock and player, lines to std::cout
    CSchedule(std::string a_Dir, CPlatform& a_Platform, std::ostream& a_Out);
    ~CSchedule();
    CSchedule(const CSchedule&) = delete;
    CSchedule& operator=(const CSchedule&) = delete;

    bool Load();
    // Interprets a_Text as the schedule file's contents (for tools and fuzzing).
    bool LoadText(std::string a_Text);
    // Plays at most one chain; returns when its playback has ended.
    void PlayNextSound();

    int FrequencySecs() const { return m_FrequencySecs; }
    const std::map<float, std::shared_ptr<CChain>>& Program() const { return m_Program; }
    const std::vector<Note>& Notes() const { return m_Notes; }
    const Choice& LastChoice() const { return m_LastChoice; }
    std::string FileName() const { return m_Dir + "/forVrex.xml"; }

    // Element scanner over the schedule text: where "<a_Name>" and "</a_Name>" stand at or after
    // a_Pos, and the value between them read as text, an integer, a flag or M:SS.T seconds.
    std::size_t GetElementPos(std::size_t a_Pos, std::string a_Name) const;
    std::size_t GetElementEndPos(std::size_t a_Pos, std::string a_Name) const;
    std::string GetElementVal(std::size_t a_Pos, std::string a_Name) const;
    int GetElementValInt(std::size_t a_Pos, std::string a_Name) const;
    bool GetElementValBool(std::size_t a_Pos, std::string a_Name) const;
    float GetElementValTimeVal(std::size_t a_Pos, std::string a_Name) const;

private:

    // atoi's and the M:SS.T reading; false when the text does not read as what it should.
    static bool ParseInt(const std::string& a_Text, int& a_Value);
    static bool ParseTime(const std::string& a_Text, float& a_Secs);
    // Where a tag was last searched from and where it was found: the loader searches from
    // increasing positions, so a result still at or after the new start is reused.
    std::size_t FindTag(std::size_t a_Pos, const std::string& a_Tag) const;
    void SetText(std::string a_Text);

    // Loader.
    bool ReadFile(std::string& a_Text);
    bool ReadFrequency();
    void ReadRecordDef(std::size_t a_Pos);
    void DropKeysOutsideInterval();
    std::unique_ptr<CRecord> MakeRecord(std::size_t a_Pos, const std::string& a_Name);
    void StartChain(std::size_t a_Pos, std::unique_ptr<CRecord> a_Record);
    void JoinLastChain(std::unique_ptr<CRecord> a_Record);
    int ReadInt(std::size_t a_Pos, const std::string& a_Element, const std::string& a_Record);
    float ReadTime(std::size_t a_Pos, const std::string& a_Record);
    void AddNote(std::string a_Kind, std::string a_Text);

    // Scheduler.
    using ProgramIt = std::map<float, std::shared_ptr<CChain>>::const_iterator;
    struct Search {
        float m_Offset = 0;
        CTimeVal m_BaseTime;
        CTimeVal m_BaseAnnounceTime;
        bool m_NextInterval = false;
    };
    float GetTimeOffset(const CTimeVal& a_Now);
    Search BeginSearch(const CTimeVal& a_Now);
    ProgramIt FindChain(Search& a_Search);
    ProgramIt FindFrom(float a_StartSearchTime, const Search& a_Search) const;
    CTimeVal StartTimeFor(ProgramIt a_Found, const Search& a_Search);
    void PlayChosen(ProgramIt a_Found, const Search& a_Search);
    void WaitForNextInterval(const CTimeVal& a_Now, const CTimeVal& a_IntervalStart);
    // False when the wall clock stepped during the wait: the plan no longer holds.
    bool WaitUntil(const CTimeVal& a_Until);
    bool ClockStepped(const CTimeVal& a_WallStart, std::int64_t a_SteadyStart);

    std::string m_Dir;
    std::string m_XmlStr;
    int m_FrequencySecs = 0;
    int m_Version = 0;
    std::map<float, std::shared_ptr<CChain>> m_Program;
    std::shared_ptr<CChain> m_LastChain; // the chain an after-message record joins
    std::vector<Note> m_Notes;
    mutable std::map<std::string, std::pair<std::size_t, std::size_t>> m_TagCache;
    Choice m_LastChoice;
    bool m_HasPlayed = false; // m_LastChoice names the occurrence played last
    std::unique_ptr<CPlatform> m_OwnPlatform;
    CPlatform& m_Platform;
    std::ostream& m_Out;
};

#endif
