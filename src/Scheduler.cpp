// The schedule's scheduler: picks the chain due next, waits for its start time and plays it.
// The loader that fills the programme is in Schedule.cpp.
#include "Schedule.h"

#include "AnnouncementRecord.h"
#include "StepTolerantWait.h"
#include "TimeRecord.h"

namespace {
// For the service manager: "Next: 14:31:54, chain 120 (intro, cdnum14, cdnum35)".
std::string NextText(const CPlayback& a_Playback) {
    std::string names;
    for (const CSlot& slot : a_Playback.m_Slots)
        names += (names.empty() ? "" : ", ") + slot.m_SoundName;
    return "Next: " + a_Playback.m_StartTime.ClockText() + ", chain " +
           CInterval::SecondsText(a_Playback.m_Key) + " (" + names + ")";
}

// "06:00:00" within a day of a_Now, and with its date when later.
std::string UntilText(const CTimeVal& a_Now, const CTimeVal& a_Until) {
    constexpr std::int64_t c_DayMicros = 24LL * 3600 * CTimeVal::c_MicrosPerSec;
    return a_Now.MicroSecsTo(a_Until) < c_DayMicros ? a_Until.ClockText() : a_Until.DateTimeText();
}
} // namespace

bool CSchedule::PlayNextSound() {
    if (!m_Platform)
        return false;
    if (m_FrequencySecs <= 0) {
        // No schedule was loaded: nothing can ever be due.
        m_Out << "No sound to play :(" << std::endl;
        m_Platform->SleepFor(CTimeVal::c_MicrosPerSec);
        return true;
    }
    // One clock reading: the offset and the interval start must agree on the second.
    CTimeVal now = m_Platform->Now();
    if (now < m_Platform->EarliestSetTime())
        return WaitForClock(now);
    if (m_Quiet.Covers(now))
        return WaitOutQuiet(now);
    Search search = BeginSearch(now);
    CInterval current = search.m_Interval;
    ProgramIt found = FindChain(search);
    if (found != m_Program.end())
        return PlayChosen(found, search);
    m_Out << "No sound to play :(" << std::endl;
    // Quiet hours that begin sooner are waited out from their start in one go.
    CTimeVal until = m_Quiet.NextChange(now, current.End()).value_or(current.End());
    m_Platform->Status("Nothing to play until " + until.ClockText());
    return TracedWaitUntil(until) != EWaitEnd::MountsChanged;
}

bool CSchedule::WaitOutQuiet(const CTimeVal& a_Now) {
    CTimeVal limit = a_Now;
    limit.AddSecs(c_QuietLookAheadSecs);
    std::optional<CTimeVal> end = m_Quiet.NextChange(a_Now, limit);
    CTimeVal until = end.value_or(limit);
    // Said once, even when another disk coming cuts the wait short.
    if (until != m_QuietSaid) {
        std::string text =
            (end ? "Quiet until " : "Quiet until at least ") + UntilText(a_Now, until);
        m_Out << text << std::endl;
        m_Platform->Status(text);
        m_QuietSaid = until;
    }
    return TracedWaitUntil(until) != EWaitEnd::MountsChanged;
}

bool CSchedule::PlayGreeting() {
    if (!m_Platform || m_Greeting.empty())
        return true;
    CTimeVal now = m_Platform->Now();
    // Any time said now would be wrong.
    bool clockSet = !(now < m_Platform->EarliestSetTime());
    CChain greeting(true);
    greeting.AddRecord(std::make_unique<CAnnouncementRecord>(m_Greeting));
    if (clockSet)
        greeting.AddRecord(std::make_unique<CTimeRecord>(m_Greeting, 0));
    m_Out << "Greeting " << m_Greeting
          << (clockSet ? ", then the time" : ", without the time: the clock is not set")
          << std::endl;
    CPlayback playback = PlaybackOf(greeting, now);
    playback.m_StartTime = now;
    m_Platform->Status("Playing the greeting");
    return m_Platform->Play(playback) != EPlayEnd::MountsChanged;
}

void CSchedule::UseLeadIn(std::string a_File) {
    m_LeadInFile = std::move(a_File);
}

// Any time said now would be wrong: look again in a minute, or at once when the clock is set.
bool CSchedule::WaitForClock(const CTimeVal& a_Now) {
    m_Out << "Waiting for the clock to be set (it reads " << a_Now.DateTimeText() << ")"
          << std::endl;
    m_Platform->Status("Waiting for the clock to be set");
    CTimeVal until = a_Now;
    until.AddSecs(60);
    return CStepTolerantWait(*m_Platform, m_Out).Until(until, a_Now) != EWaitEnd::MountsChanged;
}

float CSchedule::GetTimeOffset(const CTimeVal& a_Now) {
    int secs = CInterval(a_Now, m_FrequencySecs).Offset();
    m_Out << "GetTimeOffset: " << a_Now.Hour() << ":" << a_Now.Min() << ":" << a_Now.Sec() << " "
          << secs << std::endl;
    return float(secs);
}

CSchedule::Search CSchedule::BeginSearch(const CTimeVal& a_Now) {
    Search search{CInterval(a_Now, m_FrequencySecs), GetTimeOffset(a_Now), false};
    m_Out << "Base time is " << search.m_Interval.Start().TimeString() << std::endl;
    for (const auto& entry : m_Program)
        m_Out << "Found chain with offset " << entry.first << std::endl;
    return search;
}

CSchedule::ProgramIt CSchedule::FindChain(Search& a_Search) {
    for (;;) {
        float startSearchTime = a_Search.m_Offset;
        m_Out << std::endl
              << "Looking for next recording to play, basetime is: "
              << a_Search.m_Interval.Start().TimeString() << " offset " << a_Search.m_Offset
              << std::endl;
        ProgramIt found = FindFrom(startSearchTime, a_Search);
        if (found != m_Program.end() && !found->second->AnchoredStart()) {
            float duration = found->second->DurationForTime(a_Search.m_Interval.AnnounceTime());
            if (duration > a_Search.m_Offset)
                found = FindFrom(startSearchTime + duration, a_Search);
        }
        if (found != m_Program.end() || a_Search.m_NextInterval)
            return found;
        m_Out << "wrapping to next interval" << std::endl;
        a_Search = Search{a_Search.m_Interval.Next(), 0, true};
    }
}

CSchedule::ProgramIt CSchedule::FindFrom(float a_StartSearchTime, const Search& a_Search) const {
    ProgramIt found = m_Program.lower_bound(a_StartSearchTime);
    for (const Played& played : {m_Played, m_PlayedBefore})
        if (found != m_Program.end() && played.Covers(found, a_Search.m_Interval))
            found = m_Program.upper_bound(played.m_Key);
    while (found != m_Program.end() && a_Search.m_Interval.Holds(found->first) &&
           !Plays(found, a_Search.m_Interval))
        ++found;
    // The last interval of an hour may end before the key.
    if (found != m_Program.end() && !a_Search.m_Interval.Holds(found->first))
        found = m_Program.end();
    return found;
}

bool CSchedule::Plays(ProgramIt a_Found, const CInterval& a_Interval) const {
    CChain& chain = *a_Found->second;
    if (m_Quiet.Empty() && !chain.When())
        return true;
    CTimeVal start = a_Interval.StartOf(a_Found->first, chain.AnchoredStart(),
                                        chain.DurationForTime(a_Interval.AnnounceTime()));
    return !m_Quiet.Covers(start) && (!chain.When() || chain.When()->Covers(start));
}

CTimeVal CSchedule::StartTimeFor(ProgramIt a_Found, const Search& a_Search) {
    const CInterval& interval = a_Search.m_Interval;
    const CChain& chain = *a_Found->second;
    m_Out << "startTime was " << interval.Start().TimeString() << " adding on " << a_Found->first
          << " secs" << std::endl;
    m_Out << "startTime was " << interval.KeyTime(a_Found->first).TimeString()
          << " looking at Anchored Start: " << (chain.AnchoredStart() ? 1 : 0) << std::endl;
    return interval.StartOf(a_Found->first, chain.AnchoredStart(),
                            a_Found->second->DurationForTime(interval.AnnounceTime()));
}

CPlayback CSchedule::MakePlayback(ProgramIt a_Found, const Search& a_Search) {
    CPlayback playback = PlaybackOf(*a_Found->second, a_Search.m_Interval.AnnounceTime());
    playback.m_Key = a_Found->first;
    playback.m_StartTime = StartTimeFor(a_Found, a_Search);
    return playback;
}

CPlayback CSchedule::PlaybackOf(CChain& a_Chain, const CTimeVal& a_AnnounceTime) {
    CPlayback playback;
    playback.m_AnnounceTime = a_AnnounceTime;
    playback.m_Duration = a_Chain.DurationForTime(a_AnnounceTime);
    playback.m_Slots = a_Chain.RecordsForTime(a_AnnounceTime);
    playback.m_FileNames = a_Chain.RecordsForTimeAsString(a_AnnounceTime);
    if (!m_LeadInFile.empty()) {
        playback.m_LeadInSecs = m_LeadInSecs;
        playback.m_FileNames.insert(0, m_LeadInFile + " ");
    }
    return playback;
}

bool CSchedule::PlayChosen(ProgramIt a_Found, const Search& a_Search) {
    CPlayback playback = MakePlayback(a_Found, a_Search);
    m_Out << "Chosen chain with offset " << a_Found->first << " start time is "
          << playback.m_StartTime.TimeString() << std::endl;
    CTimeVal now = m_Platform->Now();
    m_Out << "startTime now " << playback.m_StartTime.TimeString() << " at time "
          << now.TimeString() << std::endl;
    CTimeVal playerStart = playback.PlayerStart();
    if (playback.m_LeadInSecs > 0)
        m_Out << "Lead-in of " << playback.m_LeadInSecs << " seconds: the player starts at "
              << playerStart.TimeString() << std::endl;
    m_Platform->Status(NextText(playback));
    EWaitEnd waited = now < playerStart ? TracedWaitUntil(playerStart) : EWaitEnd::Reached;
    if (waited != EWaitEnd::Reached)
        return waited != EWaitEnd::MountsChanged;
    m_PlayedBefore = playerStart < a_Search.m_Interval.Start() ? m_Played : Played();
    m_Played = Played{true, playback.m_Key, playback.m_AnnounceTime};
    return m_Platform->Play(playback) != EPlayEnd::MountsChanged;
}

// The step-tolerant wait, with the lines that tell the journal of it.
EWaitEnd CSchedule::TracedWaitUntil(const CTimeVal& a_Until) {
    CTimeVal wallStart = m_Platform->Now();
    m_Out << "sleeping for " << (a_Until - wallStart) << "seconds" << std::endl;
    EWaitEnd end = CStepTolerantWait(*m_Platform, m_Out).Until(a_Until, wallStart);
    if (end == EWaitEnd::Reached)
        m_Out << "woken at " << m_Platform->Now().TimeString() << std::endl;
    return end;
}
