// The schedule's loader: the schedule text turned into an interval and chains. The scheduler
// that plays them is in Scheduler.cpp.
#include "Schedule.h"

#include "AnnouncementRecord.h"
#include "FileDescriptor.h"
#include "TimeRecord.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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
