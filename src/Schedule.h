#ifndef QUILLANE_SCHEDULE_H
#define QUILLANE_SCHEDULE_H

#include "Chain.h"
#include "ElementScanner.h"
#include "Interval.h"
#include "Platform.h"

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

// What to announce and when: the schedule file, its interval and its chains, and the
// scheduler that plays the next chain due.
class CSchedule {
public:
    // The schedule file's name in the schedule directory.
    static constexpr const char* c_FileName = "forVrex.xml";

    // A record the loader leaves out of the programme; reported by tools, never by the announcer.
    struct Note {
        std::string m_Kind;      // "orphan-after-message", "replaced-chain",
                                 // "key-beyond-interval", "more-notes"
        std::string m_Text;      // one line for a person
        std::size_t m_Record{0}; // the record concerned (see RecordLabel), 0 for none
    };

    // A schedule to load and look at; the loader's lines go to a_Out.
    explicit CSchedule(std::string a_Dir, std::ostream& a_Out = std::cout);
    // One to play too, on a_Platform.
    CSchedule(std::string a_Dir, CPlatform& a_Platform, std::ostream& a_Out);
    ~CSchedule();
    CSchedule(const CSchedule&) = delete;
    CSchedule& operator=(const CSchedule&) = delete;

    bool Load();
    // Interprets a_Text as the schedule file's contents (for tools, benchmarks and fuzzing).
    bool LoadText(std::string a_Text);
    // Plays at most one chain; returns when its playback has ended. False when the pass ended
    // on a change of the mount table: the stick may be gone (and at once without a platform).
    bool PlayNextSound();

    int FrequencySecs() const { return m_FrequencySecs; }
    const std::map<float, std::shared_ptr<CChain>>& Program() const { return m_Program; }
    const std::vector<Note>& Notes() const { return m_Notes; }
    std::string FileName() const { return m_Dir + "/" + c_FileName; }
    // The schedule text the element scanner searches (comments left out).
    const std::string& ScannedText() const { return m_Scanner.Text(); }

    // The interval as m_Frequency gives it, M:SS or MM:SS: false when it is not of that form;
    // a_Secs may still be zero or less, which does not load either.
    static bool ParseFrequency(const std::string& a_Text, int& a_Secs);
    // "record 3 (welcome)": a record by its number, counted from 1 in the order the loader
    // meets them (comments left out), and its name without the blanks around it.
    static std::string RecordLabel(std::size_t a_Number, const std::string& a_Name);

    // The element scanner over the schedule text: where "<a_Name>" and "</a_Name>" stand at or
    // after a_Pos, and the value between them as text, an integer, a flag or M:SS.T seconds.
    std::size_t GetElementPos(std::size_t a_Pos, std::string a_Name) const;
    std::size_t GetElementEndPos(std::size_t a_Pos, std::string a_Name) const;
    std::string GetElementVal(std::size_t a_Pos, std::string a_Name) const;
    int GetElementValInt(std::size_t a_Pos, std::string a_Name) const;
    bool GetElementValBool(std::size_t a_Pos, std::string a_Name) const;
    float GetElementValTimeVal(std::size_t a_Pos, std::string a_Name) const;

private:
    // Loader (Schedule.cpp).
    bool ReadFile(std::string& a_Text);
    bool ReadFrequency();
    void ReadRecordDef(std::size_t a_Pos);
    void DropKeysOutsideInterval();
    std::unique_ptr<CRecord> MakeRecord(std::size_t a_Pos, const std::string& a_Name);
    void StartChain(std::size_t a_Pos, std::unique_ptr<CRecord> a_Record);
    void JoinLastChain(std::unique_ptr<CRecord> a_Record);
    int ReadInt(std::size_t a_Pos, const std::string& a_Element);
    float ReadTime(std::size_t a_Pos);
    std::string ChainLabel(float a_Key, const CChain& a_Chain) const;
    void AddNote(std::string a_Kind, std::size_t a_Record, std::string a_Text);

    // Scheduler (Scheduler.cpp).
    using ProgramIt = std::map<float, std::shared_ptr<CChain>>::const_iterator;
    struct Search {
        CInterval m_Interval; // the interval searched
        float m_Offset;       // the smallest key that may be chosen
        bool m_NextInterval;  // the search has moved on to the following interval
    };
    float GetTimeOffset(const CTimeVal& a_Now);
    Search BeginSearch(const CTimeVal& a_Now);
    ProgramIt FindChain(Search& a_Search);
    ProgramIt FindFrom(float a_StartSearchTime, const Search& a_Search) const;
    CTimeVal StartTimeFor(ProgramIt a_Found, const Search& a_Search);
    CPlayback MakePlayback(ProgramIt a_Found, const Search& a_Search);
    bool PlayChosen(ProgramIt a_Found, const Search& a_Search);
    bool WaitForClock(const CTimeVal& a_Now);
    // Until a_Until, riding out small steps of the wall clock (CStepTolerantWait), with the
    // scheduler's lines before and after. Reached, or why the plan no longer holds: the wall
    // clock stepped by more than a second, or the mount table changed.
    EWaitEnd TracedWaitUntil(const CTimeVal& a_Until);

    std::string m_Dir;
    std::string m_XmlStr;
    int m_FrequencySecs = 0;
    int m_Version = 0;
    std::map<float, std::shared_ptr<CChain>> m_Program;
    CElementScanner m_Scanner;
    std::shared_ptr<CChain> m_LastChain; // the chain an after-message record joins
    std::vector<Note> m_Notes;
    std::size_t m_RecordNumber = 0;              // of the record being read
    std::map<float, std::size_t> m_ChainRecords; // key -> number of the record starting it
    // The occurrence played last: its key and the time it spoke. Within that interval it and
    // every key before it are over, even while the clock still reads the same second.
    bool m_HasPlayed = false;
    float m_PlayedKey = 0;
    CTimeVal m_PlayedAnnounceTime;
    CPlatform* m_Platform; // none for a schedule only looked at
    std::ostream& m_Out;
};

#endif
