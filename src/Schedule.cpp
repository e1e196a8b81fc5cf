// The schedule: the element scanner over the schedule text, the loader that turns it into an
// interval and chains, and the scheduler that plays the chain due next.
#include "Schedule.h"

#include "AnnouncementRecord.h"
#include "FileDescriptor.h"
#include "RealPlatform.h"
#include "TimeRecord.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
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

std::string Quoted(const std::string& a_Text) {
    return "\"" + a_Text + "\"";
}

std::string FloatText(float a_Value) {
    std::ostringstream out;
    out << a_Value;
    return out.str();
}
} // namespace

CSchedule::CSchedule(std::string a_Dir)
    : m_Dir(std::move(a_Dir)), m_OwnPlatform(std::make_unique<CRealPlatform>(std::cout)),
      m_Platform(*m_OwnPlatform), m_Out(std::cout) {}

CSchedule::CSchedule(std::string a_Dir, CPlatform& a_Platform, std::ostream& a_Out)
    : m_Dir(std::move(a_Dir)), m_Platform(a_Platform), m_Out(a_Out) {}

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
    SetText(std::move(a_Text));
    m_Program.clear();
    m_LastChain.reset();
    m_Notes.clear();
    m_HasPlayed = false;
    if (!ReadFrequency())
        return false;
    std::size_t pos = GetElementPos(0, "Records");
    while ((pos = GetElementPos(pos, "Record")) != std::string::npos) {
        ReadRecordDef(pos);
        ++pos;
    }
    DropKeysOutsideInterval();
    return true;
}

// A chain keyed beyond its interval would speak the time of the wrong interval, and a far-off key
// would hold every nearer chain back for as long as the wait lasts.
void CSchedule::DropKeysOutsideInterval() {
    for (auto it = m_Program.begin(); it != m_Program.end();) {
        if (it->first >= 0 && it->first <= float(m_FrequencySecs)) {
            ++it;
            continue;
        }
        m_Out << "Chain with offset " << it->first << " lies outside the interval of "
              << m_FrequencySecs << " seconds - ignored" << std::endl;
        std::ostringstream text;
        text << "Chain " << it->first << ": its key is not within the " << m_FrequencySecs
             << " s interval - ignored";
        AddNote("key-beyond-interval", text.str());
        it = m_Program.erase(it);
    }
}

bool CSchedule::ReadFrequency() {
    std::string val = GetElementVal(0, "m_Frequency");
    val.erase(0, std::min(val.find_first_not_of(' '), val.size()));
    std::size_t colon = val.find(':');
    if (val.size() < 4 || val.size() > 5 || colon == std::string::npos || colon == 0) {
        AddNote("malformed-value", "m_Frequency " + Quoted(val) + " is not M:SS or MM:SS");
        return false;
    }
    int minutes = 0, seconds = 0;
    ParseInt(val.substr(0, colon), minutes);
    ParseInt(val.substr(colon + 1), seconds);
    // At most five characters: the sum cannot overflow.
    if (minutes * 60 + seconds <= 0) {
        m_Out << "Interval " << val << " is not longer than zero - schedule not loaded"
              << std::endl;
        return false;
    }
    m_FrequencySecs = minutes * 60 + seconds;
    return true;
}

void CSchedule::ReadRecordDef(std::size_t a_Pos) {
    std::string name = GetElementVal(a_Pos, "m_Name");
    bool after = ReadInt(a_Pos, "m_AfterMsg", name) != 0;
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
        return std::make_unique<CTimeRecord>(a_Name, ReadInt(a_Pos, "m_OffsetTime", a_Name));
    m_Out << "Record " << a_Name << " with unknown type " << type << " found - ignored"
          << std::endl;
    AddNote("unknown-type", "Record " + a_Name + " has type " + Quoted(type) + " - ignored");
    std::size_t first = type.find_first_not_of(" \t\r\n");
    std::size_t last = type.find_last_not_of(" \t\r\n");
    std::string word = first == std::string::npos ? "" : type.substr(first, last - first + 1);
    if (word == "Custom" || word == "Timed")
        AddNote("malformed-value",
                "Record " + a_Name + ": Type " + Quoted(type) + " has blanks around the word");
    return nullptr;
}

void CSchedule::StartChain(std::size_t a_Pos, std::unique_ptr<CRecord> a_Record) {
    std::string name = a_Record->Name();
    float key = ReadTime(a_Pos, name);
    bool finish = ReadInt(a_Pos, "m_FinishAtTime", name) != 0;
    auto chain = std::make_shared<CChain>(!finish);
    m_LastChain = chain;
    std::shared_ptr<CChain>& stored = m_Program[key];
    if (stored && !stored->Records().empty())
        AddNote("replaced-chain", "Record " + name + " replaces the chain of record " +
                                      stored->Records().front()->Name() + " at the same time");
    stored = chain;
    chain->AddRecord(std::move(a_Record));
}

void CSchedule::JoinLastChain(std::unique_ptr<CRecord> a_Record) {
    if (m_LastChain) {
        m_LastChain->AddRecord(std::move(a_Record));
        return;
    }
    AddNote("orphan-after-message",
            "Record " + a_Record->Name() + " follows a message but no chain comes before it");
}

int CSchedule::ReadInt(std::size_t a_Pos, const std::string& a_Element,
                       const std::string& a_Record) {
    int value = 0;
    std::string text = GetElementVal(a_Pos, a_Element);
    bool present = GetElementPos(a_Pos, a_Element) != std::string::npos;
    if (!ParseInt(text, value) && present)
        AddNote("malformed-value", "Record " + a_Record + ": " + a_Element + " " + Quoted(text) +
                                       " is not a whole number - read as " + std::to_string(value));
    return value;
}

float CSchedule::ReadTime(std::size_t a_Pos, const std::string& a_Record) {
    float secs = 0;
    std::string text = GetElementVal(a_Pos, "m_TimingTime");
    bool present = GetElementPos(a_Pos, "m_TimingTime") != std::string::npos;
    if (!ParseTime(text, secs) && present)
        AddNote("malformed-value", "Record " + a_Record + ": m_TimingTime " + Quoted(text) +
                                       " is not M:SS.T - read as " + FloatText(secs));
    return secs;
}

void CSchedule::AddNote(std::string a_Kind, std::string a_Text) {
    // A hostile file can hold millions of odd records; a person needs only the first of them.
    constexpr std::size_t c_MaxNotes = 1000;
    if (m_Notes.size() < c_MaxNotes)
        m_Notes.push_back(Note{std::move(a_Kind), std::move(a_Text)});
    else if (m_Notes.size() == c_MaxNotes)
        m_Notes.push_back(Note{"more-notes", "Further notes of this schedule are not listed"});
}

// Element scanner: values taken out of the schedule text by plain tag search.

std::size_t CSchedule::FindTag(std::size_t a_Pos, const std::string& a_Tag) const {
    if (a_Pos >= m_XmlStr.size())
        return std::string::npos;
    auto& cached =
        m_TagCache.try_emplace(a_Tag, std::string::npos, std::string::npos).first->second;
    // Nothing lies between the last start and the last find, so that find still answers.
    if (cached.first != std::string::npos && cached.first <= a_Pos && a_Pos <= cached.second)
        return cached.second;
    cached = {a_Pos, m_XmlStr.find(a_Tag, a_Pos)};
    return cached.second;
}

void CSchedule::SetText(std::string a_Text) {
    m_XmlStr = std::move(a_Text);
    m_TagCache.clear();
}

std::size_t CSchedule::GetElementPos(std::size_t a_Pos, std::string a_Name) const {
    return FindTag(a_Pos, "<" + a_Name + ">");
}

std::size_t CSchedule::GetElementEndPos(std::size_t a_Pos, std::string a_Name) const {
    return FindTag(a_Pos, "</" + a_Name + ">");
}

std::string CSchedule::GetElementVal(std::size_t a_Pos, std::string a_Name) const {
    std::size_t start = GetElementPos(a_Pos, a_Name);
    if (start == std::string::npos)
        return "";
    std::size_t end = GetElementEndPos(a_Pos, a_Name);
    std::size_t valueStart = start + a_Name.size() + 2;
    // A closing tag before the end of the opening tag encloses nothing.
    if (end == std::string::npos || end < valueStart)
        return "";
    return m_XmlStr.substr(valueStart, end - valueStart);
}

int CSchedule::GetElementValInt(std::size_t a_Pos, std::string a_Name) const {
    int value = 0;
    ParseInt(GetElementVal(a_Pos, a_Name), value);
    return value;
}

bool CSchedule::GetElementValBool(std::size_t a_Pos, std::string a_Name) const {
    return GetElementValInt(a_Pos, a_Name) != 0;
}

float CSchedule::GetElementValTimeVal(std::size_t a_Pos, std::string a_Name) const {
    float secs = 0;
    ParseTime(GetElementVal(a_Pos, a_Name), secs);
    return secs;
}

bool CSchedule::ParseInt(const std::string& a_Text, int& a_Value) {
    // atoi's reading, but a number beyond the int range is clamped instead of undefined.
    const char* begin = a_Text.c_str();
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(begin, &end, 10);
    bool inRange = errno != ERANGE && value >= INT_MIN && value <= INT_MAX;
    a_Value = int(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
    return end != begin && inRange;
}

bool CSchedule::ParseTime(const std::string& a_Text, float& a_Secs) {
    a_Secs = 0;
    std::size_t colon = a_Text.find(':');
    std::size_t point = a_Text.find('.');
    if (colon == std::string::npos || colon == 0 || point != colon + 3 ||
        point + 2 != a_Text.size())
        return false;
    int seconds = 0, minutes = 0, tenths = 0;
    bool digits = ParseInt(a_Text.substr(colon + 1, 2), seconds);
    digits = ParseInt(a_Text.substr(0, colon), minutes) && digits;
    digits = ParseInt(a_Text.substr(point + 1, 1), tenths) && digits;
    a_Secs = float(seconds) + float(minutes) * 60.0f + float(tenths) / 10.0f;
    return digits;
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

CTimeVal WholeSeconds(std::int64_t a_Secs) {
    timeval time{};
    time.tv_sec = static_cast<decltype(time.tv_sec)>(a_Secs);
    return CTimeVal(time);
}
} // namespace

void CSchedule::PlayNextSound() {
    if (m_FrequencySecs <= 0) {
        // No schedule was loaded: nothing can ever be due.
        m_Out << "No sound to play :(" << std::endl;
        m_Platform.SleepMicroSecs(c_MicrosPerSec);
        return;
    }
    // One clock reading: the offset and the interval start must agree on the second.
    CTimeVal now = m_Platform.Now();
    Search search = BeginSearch(now);
    CTimeVal intervalStart = search.m_BaseTime;
    ProgramIt found = FindChain(search);
    if (found != m_Program.end()) {
        PlayChosen(found, search);
        return;
    }
    m_Out << "No sound to play :(" << std::endl;
    WaitForNextInterval(now, intervalStart);
}

float CSchedule::GetTimeOffset(const CTimeVal& a_Now) {
    int secs = (a_Now.Sec() + a_Now.Min() * 60) % m_FrequencySecs;
    m_Out << "GetTimeOffset: " << a_Now.Hour() << ":" << a_Now.Min() << ":" << a_Now.Sec() << " "
          << secs << std::endl;
    return float(secs);
}

CSchedule::Search CSchedule::BeginSearch(const CTimeVal& a_Now) {
    Search search;
    search.m_Offset = GetTimeOffset(a_Now);
    search.m_BaseTime = WholeSeconds(a_Now.Seconds() - std::int64_t(search.m_Offset));
    m_Out << "Base time is " << search.m_BaseTime.TimeString() << std::endl;
    search.m_BaseAnnounceTime = search.m_BaseTime;
    search.m_BaseAnnounceTime.AddSecs(m_FrequencySecs);
    for (const auto& entry : m_Program)
        m_Out << "Found chain with offset " << entry.first << std::endl;
    return search;
}

CSchedule::ProgramIt CSchedule::FindChain(Search& a_Search) {
    for (;;) {
        float startSearchTime = a_Search.m_Offset;
        m_Out << std::endl
              << "Looking for next recording to play, basetime is: "
              << a_Search.m_BaseTime.TimeString() << " offset " << a_Search.m_Offset << std::endl;
        ProgramIt found = FindFrom(startSearchTime, a_Search);
        if (found != m_Program.end() && !found->second->AnchoredStart()) {
            float duration = found->second->DurationForTime(a_Search.m_BaseAnnounceTime);
            if (duration > a_Search.m_Offset)
                found = FindFrom(startSearchTime + duration, a_Search);
        }
        if (found != m_Program.end() || a_Search.m_NextInterval)
            return found;
        m_Out << "wrapping to next interval" << std::endl;
        a_Search.m_Offset = 0;
        a_Search.m_NextInterval = true;
        a_Search.m_BaseTime.AddSecs(m_FrequencySecs);
        a_Search.m_BaseAnnounceTime.AddSecs(m_FrequencySecs);
    }
}

CSchedule::ProgramIt CSchedule::FindFrom(float a_StartSearchTime, const Search& a_Search) const {
    ProgramIt found = m_Program.lower_bound(a_StartSearchTime);
    // Within the interval of the last play, that play and every key before it are over, even
    // while the clock still reads the same second (several keys may share one second).
    bool sameInterval = m_HasPlayed && m_LastChoice.m_AnnounceTime == a_Search.m_BaseAnnounceTime;
    if (sameInterval && found != m_Program.end() && !(m_LastChoice.m_Key < found->first))
        found = m_Program.upper_bound(m_LastChoice.m_Key);
    return found;
}

CTimeVal CSchedule::StartTimeFor(ProgramIt a_Found, const Search& a_Search) {
    const CChain& chain = *a_Found->second;
    CTimeVal startTime = a_Search.m_BaseTime;
    m_Out << "startTime was " << a_Search.m_BaseTime.TimeString() << " adding on " << a_Found->first
          << " secs" << std::endl;
    startTime.AddSecs(a_Found->first);
    m_Out << "startTime was " << startTime.TimeString()
          << " looking at Anchored Start: " << (chain.AnchoredStart() ? 1 : 0) << std::endl;
    if (!chain.AnchoredStart())
        startTime.AddSecs(-a_Found->second->DurationForTime(a_Search.m_BaseAnnounceTime));
    return startTime;
}

void CSchedule::PlayChosen(ProgramIt a_Found, const Search& a_Search) {
    CTimeVal startTime = StartTimeFor(a_Found, a_Search);
    std::string files = a_Found->second->RecordsForTimeAsString(a_Search.m_BaseAnnounceTime);
    m_Out << "Chosen chain with offset " << a_Found->first << " start time is "
          << startTime.TimeString() << std::endl;
    CTimeVal now = m_Platform.Now();
    m_Out << "startTime now " << startTime.TimeString() << " at time " << now.TimeString()
          << std::endl;
    if (now < startTime && !WaitUntil(startTime))
        return;
    m_LastChoice = Choice{a_Found->first, startTime, a_Search.m_BaseAnnounceTime, a_Found->second};
    m_HasPlayed = true;
    m_Platform.Play(files);
}

void CSchedule::WaitForNextInterval(const CTimeVal& a_Now, const CTimeVal& a_IntervalStart) {
    // Offsets restart at every full hour, so the next interval begins at the hour at the latest.
    std::int64_t hourStart = a_Now.Seconds() - (a_Now.Min() * 60 + a_Now.Sec());
    std::int64_t next = std::min(a_IntervalStart.Seconds() + m_FrequencySecs, hourStart + 3600);
    WaitUntil(WholeSeconds(next));
}

bool CSchedule::WaitUntil(const CTimeVal& a_Until) {
    CTimeVal wallStart = m_Platform.Now();
    std::int64_t steadyStart = m_Platform.SteadyMicroSecs();
    m_Out << "sleeping for " << (a_Until - wallStart) << "seconds" << std::endl;
    std::int64_t total = MicrosBetween(wallStart, a_Until);
    // Short steps, so that a wall-clock step is noticed within a second.
    for (std::int64_t waited = 0; waited < total;
         waited = m_Platform.SteadyMicroSecs() - steadyStart) {
        m_Platform.SleepMicroSecs(std::min(total - waited, c_MicrosPerSec));
        if (ClockStepped(wallStart, steadyStart))
            return false;
    }
    m_Out << "woken at " << m_Platform.Now().TimeString() << std::endl;
    return true;
}

bool CSchedule::ClockStepped(const CTimeVal& a_WallStart, std::int64_t a_SteadyStart) {
    std::int64_t wallMoved = MicrosBetween(a_WallStart, m_Platform.Now());
    std::int64_t stepped = wallMoved - (m_Platform.SteadyMicroSecs() - a_SteadyStart);
    if (std::llabs(stepped) <= c_MaxClockStepMicros)
        return false;
    m_Out << "Clock stepped by " << std::llround(double(stepped) / c_MicrosPerSec)
          << " seconds, planning again" << std::endl;
    return true;
}
