// The schedule's loader: the schedule text turned into an interval and chains. The scheduler
// that plays them is in Scheduler.cpp.
#include "Schedule.h"

#include "AnnouncementRecord.h"
#include "FileDescriptor.h"
#include "TimeRecord.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Reads to the end, refusing more than a_Limit bytes (the file may grow while being read).
bool ReadAll(int a_Fd, std::int64_t a_Limit, std::string& a_Text, int& a_Errno) {
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
        if (std::int64_t(a_Text.size()) > a_Limit)
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

bool CSchedule::Load(CScheduleObserver* a_Observer) {
    std::string text;
    return ReadFile(text) && LoadText(std::move(text), a_Observer);
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
    // A schedule file is a few kilobytes; anything this large is not one.
    if (st.st_size > c_MaxFileBytes || !ReadAll(file.Get(), c_MaxFileBytes, a_Text, error)) {
        if (error != 0)
            m_Out << fileName << " could not be read: " << std::strerror(error) << std::endl;
        else
            m_Out << fileName << " is larger than 16 MiB - schedule not loaded" << std::endl;
        return false;
    }
    return true;
}

bool CSchedule::LoadText(std::string a_Text, CScheduleObserver* a_Observer) {
    m_XmlStr = std::move(a_Text);
    m_Scanner.SetText(m_XmlStr);
    m_LastChain.reset();
    m_Played = m_PlayedBefore = Played();
    m_LeadInFile.clear();
    ClearRead();
    m_Observer = a_Observer;
    bool loaded = ReadFrequency();
    // An observer hears of the records even when the interval fails, so that every mistake of
    // the file is told at once; then neither what they made is kept nor their lines printed.
    if (loaded || m_Observer) {
        std::streambuf* out = loaded ? nullptr : m_Out.rdbuf(nullptr);
        ReadTopLevel();
        ReadRecords();
        if (!loaded)
            m_Out.rdbuf(out);
    }
    if (loaded)
        DropKeysOutsideInterval();
    else
        ClearRead();
    m_Observer = nullptr;
    return loaded;
}

void CSchedule::ClearRead() {
    m_Program.clear();
    m_Quiet = CCalendar();
    m_LeadInSecs = 0;
    m_Greeting.clear();
}

// Each record definition from the one after "<Records>" on; it reaches to the next one.
void CSchedule::ReadRecords() {
    std::size_t pos = GetElementPos(GetElementPos(0, c_Records), c_Record);
    for (std::size_t number = 1; pos != std::string::npos; ++number) {
        std::size_t next = GetElementPos(pos + 1, c_Record);
        m_Reading = CScheduleObserver::CRecordRead();
        m_Reading.m_Number = number;
        m_Reading.m_Begin = pos;
        m_Reading.m_End = std::min(next, m_Scanner.Text().size());
        ReadRecordDef(pos);
        if (m_Observer)
            m_Observer->RecordRead(m_Reading);
        pos = next;
    }
}

// The elements that are the schedule's own, not a record's. A value that cannot be used is left
// out as if it were not there, so the board plays as one that does not know the element would.
void CSchedule::ReadTopLevel() {
    CScheduleObserver::CTopLevelRead read{TopLevelValue(c_Quiet), TopLevelValue(c_LeadIn),
                                          TopLevelValue(c_Greeting)};
    m_Quiet = CCalendar(read.m_Quiet.m_Value);
    m_Greeting = CElementScanner::Trimmed(read.m_Greeting.m_Value);
    std::string leadIn = CElementScanner::Trimmed(read.m_LeadIn.m_Value);
    if (!leadIn.empty() && !ParseLeadIn(leadIn, m_LeadInSecs))
        m_Out << "Lead-in " << leadIn << " is not a time from "
              << CInterval::KeyText(c_MinLeadInTenths / 10.0f) << " to "
              << CInterval::KeyText(c_MaxLeadInTenths / 10.0f) << " - ignored" << std::endl;
    if (m_Observer)
        m_Observer->TopLevelRead(read);
}

// The first a_Element outside Records: before <Records>, or after </Records>.
CScheduleObserver::CValue CSchedule::TopLevelValue(const char* a_Element) const {
    const std::size_t npos = std::string::npos;
    std::size_t records = GetElementPos(0, c_Records);
    std::size_t recordsEnd = records == npos ? npos : GetElementEndPos(records, c_Records);
    std::size_t pos = GetElementPos(0, a_Element);
    if (pos != npos && records != npos && pos > records && pos < recordsEnd)
        pos = recordsEnd == npos ? npos : GetElementPos(recordsEnd, a_Element);
    return {a_Element, pos, pos == npos ? "" : GetElementVal(pos, a_Element)};
}

bool CSchedule::ParseLeadIn(const std::string& a_Text, float& a_Secs) {
    float secs = 0;
    a_Secs = 0;
    if (!CElementScanner::ParseTime(CElementScanner::Trimmed(a_Text), secs))
        return false;
    long tenths = std::lround(double(secs) * 10);
    if (tenths < c_MinLeadInTenths || tenths > c_MaxLeadInTenths)
        return false;
    a_Secs = float(tenths) / 10.0f;
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
        m_Out << "Chain with offset " << CInterval::SecondsText(it->first)
              << " lies outside the interval of " << longest << " seconds - ignored" << std::endl;
        if (m_Observer)
            m_Observer->ChainLeftOut(CScheduleObserver::ELeftOut::KeyBeyondInterval, it->first);
        it = m_Program.erase(it);
    }
}

bool CSchedule::ReadFrequency() {
    std::string val = GetElementVal(0, c_Frequency);
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

void CSchedule::ReadRecordDef(std::size_t a_Pos) {
    ReadWhen(a_Pos);
    Note(a_Pos, c_Name);
    std::string name = GetElementVal(a_Pos, c_Name);
    Note(a_Pos, c_AfterMsg);
    bool after = GetElementValBool(a_Pos, c_AfterMsg);
    std::unique_ptr<CRecord> record = MakeRecord(a_Pos, name);
    if (!record)
        return;
    if (after)
        JoinLastChain(std::move(record));
    else
        StartChain(a_Pos, std::move(record));
}

// Unlike the elements every record has, m_When is read only inside the record: a record without
// one must not take a later record's.
void CSchedule::ReadWhen(std::size_t a_Pos) {
    std::size_t end = std::min(m_Reading.m_End, GetElementEndPos(a_Pos, c_Record));
    std::size_t pos = GetElementPos(a_Pos, c_When);
    m_Reading.m_When = CScheduleObserver::CValue{c_When, std::string::npos, ""};
    if (pos >= end)
        return;
    m_Reading.m_When.m_Pos = pos;
    if (GetElementEndPos(pos, c_When) < end)
        m_Reading.m_When.m_Value = GetElementVal(pos, c_When);
}

std::unique_ptr<CRecord> CSchedule::MakeRecord(std::size_t a_Pos, const std::string& a_Name) {
    Note(a_Pos, c_Type);
    std::string type = GetElementVal(a_Pos, c_Type);
    if (type == "Custom") {
        m_Reading.m_Made = CScheduleObserver::EMade::Announcement;
        return std::make_unique<CAnnouncementRecord>(a_Name);
    }
    if (type == "Timed") {
        m_Reading.m_Made = CScheduleObserver::EMade::Time;
        Note(a_Pos, c_OffsetTime);
        return std::make_unique<CTimeRecord>(a_Name, GetElementValInt(a_Pos, c_OffsetTime));
    }
    // Tools judge the type itself; the record is simply left out.
    m_Out << "Record " << a_Name << " with unknown type " << type << " found - ignored"
          << std::endl;
    return nullptr;
}

void CSchedule::StartChain(std::size_t a_Pos, std::unique_ptr<CRecord> a_Record) {
    Note(a_Pos, c_TimingTime);
    float key = GetElementValTimeVal(a_Pos, c_TimingTime);
    Note(a_Pos, c_FinishAtTime);
    auto chain = std::make_shared<CChain>(!GetElementValBool(a_Pos, c_FinishAtTime));
    m_LastChain = chain;
    std::shared_ptr<CChain>& stored = m_Program[key];
    if (stored)
        m_Reading.m_LeftOut = CScheduleObserver::ELeftOut::ReplacedChain;
    m_Reading.m_StartsChain = true;
    m_Reading.m_Key = key;
    // An m_When of which no item can be read is as none: the chain plays as on a board that
    // does not know m_When.
    CCalendar when(m_Reading.m_When.m_Value);
    if (!when.Empty())
        chain->SetWhen(std::move(when));
    stored = chain;
    chain->AddRecord(std::move(a_Record));
}

void CSchedule::JoinLastChain(std::unique_ptr<CRecord> a_Record) {
    if (m_LastChain)
        m_LastChain->AddRecord(std::move(a_Record));
    else
        m_Reading.m_LeftOut = CScheduleObserver::ELeftOut::OrphanAfterMessage;
}

void CSchedule::Note(std::size_t a_Pos, const char* a_Element) {
    if (m_Observer)
        m_Reading.m_Values.push_back(CScheduleObserver::CValue{
            a_Element, GetElementPos(a_Pos, a_Element), GetElementVal(a_Pos, a_Element)});
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
