// The schedule: the loader that turns the schedule text into an interval and chains, and the
// scheduler that plays the chain due next.
#include "Schedule.h"

#include "AnnouncementRecord.h"
#include "FileDescriptor.h"
#include "TimeRecord.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A schedule file is a few kilobytes; anything this large is not one.
constexpr off_t c_MaxFileBytes = 16 * 1024 * 1024;

// Reads to the end, refusing more than a_Limit bytes (the file may grow while being read).
bool ReadAll(int a_Fd, off_t a_Limit, std::string& a_Text, int& a_Errno) {
    char buf[65536];
    for (;;) {
        ssize_t got = ::read(a_Fd, buf, sizeof buf);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            a_Errno = got < 0 ? errno : 0;
            return got == 0;
        }
        a_Text.append(buf, std::size_t(got));
        if (off_t(a_Text.size()) > a_Limit)
            return false;
    }
}

std::string WithoutLeadingBlanks(const std::string& a_Text) {
    return a_Text.substr(std::min(a_Text.find_first_not_of(' '), a_Text.size()));
}
} // namespace

CSchedule::CSchedule(std::string a_Dir, std::ostream& a_Out)
    : m_Dir(std::move(a_Dir)), m_Platform(nullptr), m_Out(a_Out) {}

CSchedule::CSchedule(std::string a_Dir, CPlatform& a_Platform, std::ostream& a_Out)
    : m_Dir(std::move(a_Dir)), m_Platform(&a_Platform), m_Out(a_Out) {}

CSchedule::~CSchedule() = default;

bool CSchedule::Load() {
    std::string text;
    return ReadFile(text) && LoadText(std::move(text));
}

bool CSchedule::ReadFile(std::string& a_Text) {
    std::string fileName = FileName();
    CFileDescriptor file(fileName);
    struct stat st {};
    if (file.Get() < 0 || ::fstat(file.Get(), &st) != 0) {
        m_Out << fileName << " not opened\n" << std::flush;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_Out << fileName << " is not a regular file - schedule not loaded" << std::endl;
        return false;
    }
    int error = 0;
    if (st.st_size > c_MaxFileBytes || !ReadAll(file.Get(), c_MaxFileBytes, a_Text, error)) {
        if (error != 0)
            m_Out << fileName << " could not be read: " << std::strerror(error) << std::endl;
        else
            m_Out << fileName << " is larger than 16 MiB - schedule not loaded" << std::endl;
        return false;
    }
    return true;
}

bool CSchedule::LoadText(std::string a_Text) {
    m_XmlStr = std::move(a_Text);
    m_Scanner.SetText(m_XmlStr);
    m_Program.clear();
    m_LastChain.reset();
    m_Notes.clear();
    m_RecordNumber = 0;
    m_ChainRecords.clear();
    m_HasPlayed = false;
    if (!ReadFrequency())
        return false;
    std::size_t pos = GetElementPos(0, "Records");
    while ((pos = GetElementPos(pos, "Record")) != std::string::npos) {
        ++m_RecordNumber;
        ReadRecordDef(pos);
        ++pos;
    }
    DropKeysOutsideInterval();
    return true;
}

// A chain keyed beyond the longest interval would never play (no interval runs past the full
// hour), and waiting for it would hold every nearer chain back.
void CSchedule::DropKeysOutsideInterval() {
    int longest = CInterval::LongestSecs(m_FrequencySecs);
    for (auto it = m_Program.begin(); it != m_Program.end();) {
        if (it->first >= 0 && it->first <= float(longest)) {
            ++it;
            continue;
        }
        std::string key = CInterval::SecondsText(it->first);
        m_Out << "Chain with offset " << key << " lies outside the interval of " << longest
              << " seconds - ignored" << std::endl;
        AddNote("key-beyond-interval", m_ChainRecords[it->first],
                ChainLabel(it->first, *it->second) + " lies beyond the end of the interval (" +
                    CInterval::KeyText(float(longest)) + "): the board never plays it");
        it = m_Program.erase(it);
    }
}

bool CSchedule::ReadFrequency() {
    std::string val = GetElementVal(0, "m_Frequency");
    int secs = 0;
    if (!ParseFrequency(val, secs))
        return false;
    if (secs <= 0) {
        m_Out << "Interval " << WithoutLeadingBlanks(val)
              << " is not longer than zero - schedule not loaded" << std::endl;
        return false;
    }
    m_FrequencySecs = secs;
    return true;
}

bool CSchedule::ParseFrequency(const std::string& a_Text, int& a_Secs) {
    std::string val = WithoutLeadingBlanks(a_Text);
    std::size_t colon = val.find(':');
    if (val.size() < 4 || val.size() > 5 || colon == std::string::npos || colon == 0)
        return false;
    int minutes = 0, seconds = 0;
    CElementScanner::ParseInt(val.substr(0, colon), minutes);
    CElementScanner::ParseInt(val.substr(colon + 1), seconds);
    // At most five characters: the sum cannot overflow.
    a_Secs = minutes * 60 + seconds;
    return true;
}

std::string CSchedule::RecordLabel(std::size_t a_Number, const std::string& a_Name) {
    std::string name = CElementScanner::Trimmed(a_Name);
    return "record " + std::to_string(a_Number) + (name.empty() ? "" : " (" + name + ")");
}

void CSchedule::ReadRecordDef(std::size_t a_Pos) {
    std::string name = GetElementVal(a_Pos, "m_Name");
    bool after = ReadInt(a_Pos, "m_AfterMsg") != 0;
    std::unique_ptr<CRecord> record = MakeRecord(a_Pos, name);
    if (!record)
        return;
    if (after)
        JoinLastChain(std::move(record));
    else
        StartChain(a_Pos, std::move(record));
}

std::unique_ptr<CRecord> CSchedule::MakeRecord(std::size_t a_Pos, const std::string& a_Name) {
    std::string type = GetElementVal(a_Pos, "Type");
    if (type == "Custom")
        return std::make_unique<CAnnouncementRecord>(a_Name);
    if (type == "Timed")
        return std::make_unique<CTimeRecord>(a_Name, ReadInt(a_Pos, "m_OffsetTime"));
    // Tools judge the type itself; the record is simply left out.
    m_Out << "Record " << a_Name << " with unknown type " << type << " found - ignored"
          << std::endl;
    return nullptr;
}

void CSchedule::StartChain(std::size_t a_Pos, std::unique_ptr<CRecord> a_Record) {
    float key = ReadTime(a_Pos);
    bool finish = ReadInt(a_Pos, "m_FinishAtTime") != 0;
    auto chain = std::make_shared<CChain>(!finish);
    m_LastChain = chain;
    std::shared_ptr<CChain>& stored = m_Program[key];
    if (stored && !stored->Records().empty())
        AddNote("replaced-chain", m_RecordNumber,
                RecordLabel(m_RecordNumber, a_Record->Name()) + " starts a chain at " +
                    CInterval::KeyText(key) + ", where " + ChainLabel(key, *stored) +
                    " already starts: that chain never plays");
    stored = chain;
    m_ChainRecords[key] = m_RecordNumber;
    chain->AddRecord(std::move(a_Record));
}

void CSchedule::JoinLastChain(std::unique_ptr<CRecord> a_Record) {
    if (m_LastChain) {
        m_LastChain->AddRecord(std::move(a_Record));
        return;
    }
    AddNote("orphan-after-message", m_RecordNumber,
            RecordLabel(m_RecordNumber, a_Record->Name()) +
                " is meant to follow the record before it (m_AfterMsg 1), but no chain starts "
                "before it: the board leaves it out");
}

int CSchedule::ReadInt(std::size_t a_Pos, const std::string& a_Element) {
    return GetElementValInt(a_Pos, a_Element);
}

float CSchedule::ReadTime(std::size_t a_Pos) {
    return GetElementValTimeVal(a_Pos, "m_TimingTime");
}

// "the chain of record 3 (in-five) at 0:15.0", which takes in the records joining it.
std::string CSchedule::ChainLabel(float a_Key, const CChain& a_Chain) const {
    auto found = m_ChainRecords.find(a_Key);
    std::string first = a_Chain.Records().empty() ? "" : a_Chain.Records().front()->Name();
    return "the chain of " + RecordLabel(found == m_ChainRecords.end() ? 0 : found->second, first) +
           " at " + CInterval::KeyText(a_Key);
}

void CSchedule::AddNote(std::string a_Kind, std::size_t a_Record, std::string a_Text) {
    // A hostile file can hold millions of odd records; a person needs only the first of them.
    constexpr std::size_t c_MaxNotes = 1000;
    if (m_Notes.size() < c_MaxNotes)
        m_Notes.push_back(Note{std::move(a_Kind), std::move(a_Text), a_Record});
    else if (m_Notes.size() == c_MaxNotes)
        m_Notes.push_back(Note{"more-notes", "Further notes of this schedule are not listed", 0});
}

// Element scanner: values taken out of the schedule text by plain tag search.

std::size_t CSchedule::GetElementPos(std::size_t a_Pos, std::string a_Name) const {
    return m_Scanner.ElementPos(a_Pos, a_Name);
}

std::size_t CSchedule::GetElementEndPos(std::size_t a_Pos, std::string a_Name) const {
    return m_Scanner.ElementEndPos(a_Pos, a_Name);
}

std::string CSchedule::GetElementVal(std::size_t a_Pos, std::string a_Name) const {
    return m_Scanner.ElementVal(a_Pos, a_Name);
}

int CSchedule::GetElementValInt(std::size_t a_Pos, std::string a_Name) const {
    int value = 0;
    CElementScanner::ParseInt(GetElementVal(a_Pos, a_Name), value);
    return value;
}

bool CSchedule::GetElementValBool(std::size_t a_Pos, std::string a_Name) const {
    return GetElementValInt(a_Pos, a_Name) != 0;
}

float CSchedule::GetElementValTimeVal(std::size_t a_Pos, std::string a_Name) const {
    float secs = 0;
    CElementScanner::ParseTime(GetElementVal(a_Pos, a_Name), secs);
    return secs;
}

// Scheduler: picks the chain due next, waits for its start time and plays it.

namespace {
constexpr std::int64_t c_MicrosPerSec = 1000000;
// Wall and steady clocks may part by this much during a wait before the plan is redone.
constexpr std::int64_t c_MaxClockStepMicros = c_MicrosPerSec;

std::int64_t MicrosBetween(const CTimeVal& a_From, const CTimeVal& a_To) {
    return (a_To.Seconds() - a_From.Seconds()) * c_MicrosPerSec +
           (a_To.MicroSecs() - a_From.MicroSecs());
}

std::string LocalText(const CTimeVal& a_Time, const char* a_Format) {
    std::time_t secs = std::time_t(a_Time.Seconds());
    std::tm fields{};
    char text[64] = "";
    std::strftime(text, sizeof text, a_Format, localtime_r(&secs, &fields));
    return text;
}

// For the service manager: "Next: 14:31:54, chain 120 (intro, cdnum14, cdnum35)".
std::string NextText(const CPlayback& a_Playback) {
    std::string names;
    for (const CSlot& slot : a_Playback.m_Slots)
        names += (names.empty() ? "" : ", ") + slot.m_SoundName;
    return "Next: " + LocalText(a_Playback.m_StartTime, "%H:%M:%S") + ", chain " +
           CInterval::SecondsText(a_Playback.m_Key) + " (" + names + ")";
}
} // namespace

bool CSchedule::PlayNextSound() {
    if (!m_Platform)
        return false;
    if (m_FrequencySecs <= 0) {
        // No schedule was loaded: nothing can ever be due.
        m_Out << "No sound to play :(" << std::endl;
        m_Platform->SleepMicroSecs(c_MicrosPerSec);
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
    m_Platform->Status("Nothing to play until " + LocalText(current.End(), "%H:%M:%S"));
    return WaitUntil(current.End()) != EWaitEnd::MountsChanged;
}

// Any time said now would be wrong: look again in a minute, or at once when the clock is set.
bool CSchedule::WaitForClock(const CTimeVal& a_Now) {
    m_Out << "Waiting for the clock to be set (it reads " << LocalText(a_Now, "%Y-%m-%d %H:%M:%S")
          << ")" << std::endl;
    m_Platform->Status("Waiting for the clock to be set");
    CTimeVal until = a_Now;
    until.AddSecs(60);
    return Sleep(until, a_Now) != EWaitEnd::MountsChanged;
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
        now < playback.m_StartTime ? WaitUntil(playback.m_StartTime) : EWaitEnd::Reached;
    if (waited != EWaitEnd::Reached)
        return waited != EWaitEnd::MountsChanged;
    m_HasPlayed = true;
    m_PlayedKey = playback.m_Key;
    m_PlayedAnnounceTime = playback.m_AnnounceTime;
    return m_Platform->Play(playback) != EPlayEnd::MountsChanged;
}

EWaitEnd CSchedule::WaitUntil(const CTimeVal& a_Until) {
    CTimeVal wallStart = m_Platform->Now();
    m_Out << "sleeping for " << (a_Until - wallStart) << "seconds" << std::endl;
    EWaitEnd end = Sleep(a_Until, wallStart);
    if (end == EWaitEnd::Reached)
        m_Out << "woken at " << m_Platform->Now().TimeString() << std::endl;
    return end;
}

// The wait is for the wall-clock moment itself; a step of a second or less leaves the plan as
// it was, and the wait goes on to the same moment.
EWaitEnd CSchedule::Sleep(const CTimeVal& a_Until, const CTimeVal& a_WallStart) {
    std::int64_t steadyStart = m_Platform->SteadyMicroSecs();
    EWaitEnd end = m_Platform->WaitUntil(a_Until);
    while (end == EWaitEnd::ClockStepped && !ClockStepped(a_WallStart, steadyStart))
        end = m_Platform->WaitUntil(a_Until);
    return end;
}

bool CSchedule::ClockStepped(const CTimeVal& a_WallStart, std::int64_t a_SteadyStart) {
    std::int64_t wallMoved = MicrosBetween(a_WallStart, m_Platform->Now());
    std::int64_t stepped = wallMoved - (m_Platform->SteadyMicroSecs() - a_SteadyStart);
    if (std::llabs(stepped) <= c_MaxClockStepMicros)
        return false;
    m_Out << "Clock stepped by " << std::llround(double(stepped) / c_MicrosPerSec)
          << " seconds, planning again" << std::endl;
    return true;
}
