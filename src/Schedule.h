#ifndef QUILLANE_SCHEDULE_H
#define QUILLANE_SCHEDULE_H

#include "Calendar.h"
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

// What the loader tells a tool that explains a schedule, as it reads it: where each record
// stands, where each of its values comes from, and what it leaves out of the programme. The
// announcer itself listens to none of it.
class CScheduleObserver {
public:
    enum class ELeftOut {
        Nothing,
        OrphanAfterMessage, // a record meant to join the chain before it, where there is none
        ReplacedChain,      // the chain at a key where a later record starts one
        KeyBeyondInterval,  // a chain keyed beyond the longest interval
    };
    enum class EMade { Nothing, Announcement, Time }; // what a record definition became
    // A value the loader took for a record: from the tag of a_Element at m_Pos of the scanned
    // text, which may lie in a later record; npos when no record has one.
    struct CValue {
        const char* m_Element = nullptr;
        std::size_t m_Pos = std::string::npos;
        std::string m_Value;
    };
    // One record definition as the loader read it.
    struct CRecordRead {
        std::size_t m_Number = 0;     // counted from 1 in file order, comments left out
        std::size_t m_Begin = 0;      // where its <Record> stands in the scanned text
        std::size_t m_End = 0;        // where the next one stands, or the end of the text
        std::vector<CValue> m_Values; // every value read for it, in the order read
        EMade m_Made = EMade::Nothing;
        bool m_StartsChain = false;
        float m_Key = 0; // of the chain it starts
        // OrphanAfterMessage: the record itself; ReplacedChain: the chain it starts replaces one.
        ELeftOut m_LeftOut = ELeftOut::Nothing;
        // Its m_When, read only inside the record itself (up to its </Record> or the next
        // <Record>): m_Pos npos when it has none there, m_Value empty when it is not closed
        // there either. It counts only when the record starts a chain.
        CValue m_When;
    };
    // The elements read outside Records (before <Records> or after </Records>), once per load;
    // m_Pos npos for one the schedule does not have there.
    struct CTopLevelRead {
        CValue m_Quiet, m_LeadIn, m_Greeting;
    };

    virtual ~CScheduleObserver() = default;
    virtual void RecordRead(const CRecordRead& a_Record) = 0;
    // After the last record: the chain keyed at a_Key is left out, for a_Why.
    virtual void ChainLeftOut(ELeftOut a_Why, float a_Key) = 0;
    // Before the first record.
    virtual void TopLevelRead(const CTopLevelRead& a_Read) { (void)a_Read; }
};

// What to announce and when: the schedule file, its interval and its chains, and the
// scheduler that plays the next chain due.
class CSchedule {
public:
    // The schedule file's name in the schedule directory, and the elements of its format.
    static constexpr const char* c_FileName = "forVrex.xml";
    static constexpr const char* c_Frequency = "m_Frequency";
    static constexpr const char* c_Records = "Records";
    static constexpr const char* c_Record = "Record";
    static constexpr const char* c_Name = "m_Name";
    static constexpr const char* c_Type = "Type";
    static constexpr const char* c_TimingTime = "m_TimingTime";
    static constexpr const char* c_FinishAtTime = "m_FinishAtTime";
    static constexpr const char* c_AfterMsg = "m_AfterMsg";
    static constexpr const char* c_OffsetTime = "m_OffsetTime";
    // Added to the format later, all optional; boards that do not know them ignore them.
    static constexpr const char* c_Quiet = "m_Quiet";
    static constexpr const char* c_LeadIn = "m_LeadIn";
    static constexpr const char* c_Greeting = "m_Greeting";
    static constexpr const char* c_When = "m_When";
    // The shortest and the longest lead-in, in tenths of a second.
    static constexpr int c_MinLeadInTenths = 1;
    static constexpr int c_MaxLeadInTenths = 50;
    // How far ahead the end of quiet hours is looked for: a stretch longer than this (or quiet
    // for good) is waited out one such span at a time. The search takes a step per edge of the
    // calendar's windows and every midnight, so it is kept to a month.
    static constexpr int c_QuietLookAheadSecs = 31 * 24 * 3600;
    // The largest schedule file read.
    static constexpr std::int64_t c_MaxFileBytes = 16 * 1024 * 1024;

    // A schedule to load and look at; the loader's lines go to a_Out.
    explicit CSchedule(std::string a_Dir, std::ostream& a_Out = std::cout);
    // One to play too, on a_Platform.
    CSchedule(std::string a_Dir, CPlatform& a_Platform, std::ostream& a_Out);
    ~CSchedule();
    CSchedule(const CSchedule&) = delete;
    CSchedule& operator=(const CSchedule&) = delete;

    // Reads the schedule file; a_Observer, when given, hears how (the announcer gives none).
    bool Load(CScheduleObserver* a_Observer = nullptr);
    // Interprets a_Text as the schedule file's contents (for tools, benchmarks and fuzzing).
    bool LoadText(std::string a_Text, CScheduleObserver* a_Observer = nullptr);
    // Plays at most one chain; returns when its playback has ended. False when the pass ended
    // on a change of the mount table: the stick may be gone (and at once without a platform).
    bool PlayNextSound();
    // Plays the greeting once, when the schedule names one: its recording, then the current time
    // (left out while the clock has not been set). False when it ended on a change of the mount
    // table.
    bool PlayGreeting();
    // Plays a_File, a silent recording LeadInSecs() long, first in every chain (the greeting
    // too), and starts the player that much earlier, so that the chain is heard at its time.
    void UseLeadIn(std::string a_File);

    int FrequencySecs() const { return m_FrequencySecs; }
    const std::map<float, std::shared_ptr<CChain>>& Program() const { return m_Program; }
    std::string FileName() const { return m_Dir + "/" + c_FileName; }
    // The schedule file's text as read, comments and all.
    const std::string& FileText() const { return m_XmlStr; }
    // The element scanner over the schedule text (comments left out).
    const CElementScanner& Scanner() const { return m_Scanner; }
    // The m_Quiet calendar: no chain starts while it covers the clock.
    const CCalendar& Quiet() const { return m_Quiet; }
    // Whether a_Chain may start at a_Start: it is not quiet then and, when the chain has an
    // m_When, that holds it.
    bool CalendarAllows(const CChain& a_Chain, const CTimeVal& a_Start) const;
    // The m_LeadIn in seconds: 0 when there is none, or it is not one from 0:00.1 to 0:05.0.
    float LeadInSecs() const { return m_LeadInSecs; }
    // The m_Greeting recording's name, without the blanks around it; empty for none.
    const std::string& Greeting() const { return m_Greeting; }

    // The interval as m_Frequency gives it, M:SS or MM:SS: false when it is not of that form;
    // a_Secs may still be zero or less, which does not load either.
    static bool ParseFrequency(const std::string& a_Text, int& a_Secs);
    // A lead-in as m_LeadIn gives it, M:SS.T from 0:00.1 to 0:05.0 (blanks around it do not
    // matter): false, and a_Secs 0, when it is not one.
    static bool ParseLeadIn(const std::string& a_Text, float& a_Secs);

private:
    // Element scanner: where "<a_Name>" and "</a_Name>" stand at or after a_Pos, and the value
    // between them as text, an integer, a flag or M:SS.T seconds.
    std::size_t GetElementPos(std::size_t a_Pos, std::string a_Name) const;
    std::size_t GetElementEndPos(std::size_t a_Pos, std::string a_Name) const;
    std::string GetElementVal(std::size_t a_Pos, std::string a_Name) const;
    int GetElementValInt(std::size_t a_Pos, std::string a_Name) const;
    bool GetElementValBool(std::size_t a_Pos, std::string a_Name) const;
    float GetElementValTimeVal(std::size_t a_Pos, std::string a_Name) const;

    // Loader (Schedule.cpp).
    bool ReadFile(std::string& a_Text);
    bool ReadFrequency();
    void ReadRecords();
    // Forgets the program and the top-level elements read from the file.
    void ClearRead();
    void ReadTopLevel();
    CScheduleObserver::CValue TopLevelValue(const char* a_Element) const;
    void ReadRecordDef(std::size_t a_Pos);
    void ReadWhen(std::size_t a_Pos);
    void DropKeysOutsideInterval();
    std::unique_ptr<CRecord> MakeRecord(std::size_t a_Pos, const std::string& a_Name);
    void StartChain(std::size_t a_Pos, std::unique_ptr<CRecord> a_Record);
    void JoinLastChain(std::unique_ptr<CRecord> a_Record);
    // Tells the observer, if any, where the record being read takes a_Element from.
    void Note(std::size_t a_Pos, const char* a_Element);

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
    // Whether the chain at a_Found plays in a_Interval: its start is not quiet and, when it has
    // an m_When, falls inside it.
    bool Plays(ProgramIt a_Found, const CInterval& a_Interval) const;
    CTimeVal StartTimeFor(ProgramIt a_Found, const Search& a_Search);
    CPlayback MakePlayback(ProgramIt a_Found, const Search& a_Search);
    // a_Chain's recordings for a_AnnounceTime, after the lead-in when one is used.
    CPlayback PlaybackOf(CChain& a_Chain, const CTimeVal& a_AnnounceTime);
    bool PlayChosen(ProgramIt a_Found, const Search& a_Search);
    bool WaitForClock(const CTimeVal& a_Now);
    // Waits once, to the end of the quiet stretch a_Now lies in.
    bool WaitOutQuiet(const CTimeVal& a_Now);
    // Until a_Until, riding out small steps of the wall clock (CStepTolerantWait), with the
    // scheduler's lines before and after. Reached, or why the plan no longer holds: the wall
    // clock stepped by more than a second, or the mount table changed.
    EWaitEnd TracedWaitUntil(const CTimeVal& a_Until);

    std::string m_Dir;
    std::string m_XmlStr;
    int m_FrequencySecs = 0;
    [[maybe_unused]] int m_Version = 0; // nothing reads it yet, which clang warns of
    std::map<float, std::shared_ptr<CChain>> m_Program;
    CElementScanner m_Scanner;
    std::shared_ptr<CChain> m_LastChain;      // the chain an after-message record joins
    CScheduleObserver* m_Observer = nullptr;  // while loading
    CScheduleObserver::CRecordRead m_Reading; // the record being read, for the observer
    CCalendar m_Quiet;
    float m_LeadInSecs = 0;
    std::string m_LeadInFile; // given by the board; none: no lead-in is played
    std::string m_Greeting;
    CTimeVal m_QuietSaid{timeval{0, 0}}; // the end of quiet hours last announced
    // An occurrence played: its key and the time it spoke. Within that interval it and every key
    // before it are over, even while the clock still reads the same second.
    struct Played {
        bool m_Has = false;
        float m_Key = 0;
        CTimeVal m_AnnounceTime;
        // a_Found lies at or before it in a_Interval.
        bool Covers(ProgramIt a_Found, const CInterval& a_Interval) const {
            return m_Has && m_AnnounceTime == a_Interval.AnnounceTime() &&
                   !(m_Key < a_Found->first);
        }
    };
    // The one played last, and, while its player started before its interval did (for a
    // lead-in), the one before it: the interval then still running is over up to that one.
    Played m_Played, m_PlayedBefore;
    CPlatform* m_Platform; // none for a schedule only looked at
    std::ostream& m_Out;
};

#endif
