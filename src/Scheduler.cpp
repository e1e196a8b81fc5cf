// The schedule's scheduler: picks the chain due next, waits for its start time and plays it.
// The loader that fills the programme is in Schedule.cpp.
#include "Schedule.h"

#include "StepTolerantWait.h"

namespace {
// For the service manager: "Next: 14:31:54, chain 120 (intro, cdnum14, cdnum35)".
std::string NextText(const CPlayback& a_Playback) {
    std::string names;
    for (const CSlot& slot : a_Playback.m_Slots)
        names += (names.empty() ? "" : ", ") + slot.m_SoundName;
    return "Next: " + a_Playback.m_StartTime.ClockText() + ", chain " +
           CInterval::SecondsText(a_Playback.m_Key) + " (" + names + ")";
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
    Search search = BeginSearch(now);
    CInterval current = search.m_Interval;
    ProgramIt found = FindChain(search);
    if (found != m_Program.end())
        return PlayChosen(found, search);
    m_Out << "No sound to play :(" << std::endl;
    m_Platform->Status("Nothing to play until " + current.End().ClockText());
    return TracedWaitUntil(current.End()) != EWaitEnd::MountsChanged;
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
    bool sameInterval = m_HasPlayed && m_PlayedAnnounceTime == a_Search.m_Interval.AnnounceTime();
    if (sameInterval && found != m_Program.end() && !(m_PlayedKey < found->first))
        found = m_Program.upper_bound(m_PlayedKey);
    // The last interval of an hour may end before the key.
    if (found != m_Program.end() && !a_Search.m_Interval.Holds(found->first))
        found = m_Program.end();
    return found;
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
    CPlayback playback;
    playback.m_Key = a_Found->first;
    playback.m_StartTime = StartTimeFor(a_Found, a_Search);
    playback.m_AnnounceTime = a_Search.m_Interval.AnnounceTime();
    playback.m_Duration = a_Found->second->DurationForTime(playback.m_AnnounceTime);
    playback.m_Slots = a_Found->second->RecordsForTime(playback.m_AnnounceTime);
    playback.m_FileNames = a_Found->second->RecordsForTimeAsString(playback.m_AnnounceTime);
    return playback;
}

bool CSchedule::PlayChosen(ProgramIt a_Found, const Search& a_Search) {
    CPlayback playback = MakePlayback(a_Found, a_Search);
    m_Out << "Chosen chain with offset " << a_Found->first << " start time is "
          << playback.m_StartTime.TimeString() << std::endl;
    CTimeVal now = m_Platform->Now();
    m_Out << "startTime now " << playback.m_StartTime.TimeString() << " at time "
          << now.TimeString() << std::endl;
    m_Platform->Status(NextText(playback));
    EWaitEnd waited =
        now < playback.m_StartTime ? TracedWaitUntil(playback.m_StartTime) : EWaitEnd::Reached;
    if (waited != EWaitEnd::Reached)
        return waited != EWaitEnd::MountsChanged;
    m_HasPlayed = true;
    m_PlayedKey = playback.m_Key;
    m_PlayedAnnounceTime = playback.m_AnnounceTime;
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
