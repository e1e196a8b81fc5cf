#include "check/ElementCheck.h"

#include "ElementScanner.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <strings.h>

namespace {
constexpr std::size_t npos = std::string::npos;
constexpr std::size_t c_MaxFindings = 1000;
constexpr std::size_t c_MaxTagLength = 40;

// Written by the programs that make schedules, and read by no one.
const char* const c_Unread = "m_FollowMsgName";

std::string Quoted(const std::string& a_Text) {
    return "\"" + a_Text + "\"";
}

std::string Lower(std::string a_Text) {
    std::transform(a_Text.begin(), a_Text.end(), a_Text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return a_Text;
}
} // namespace

const CElementCheck::Element CElementCheck::c_Elements[6] = {
    {CSchedule::c_Name, Kind::Name},       {CSchedule::c_Type, Kind::Type},
    {CSchedule::c_TimingTime, Kind::Time}, {CSchedule::c_FinishAtTime, Kind::Number},
    {CSchedule::c_AfterMsg, Kind::Number}, {CSchedule::c_OffsetTime, Kind::Number}};

void CElementCheck::RecordRead(const CRecordRead& a_Record) {
    CheckFrequency();
    m_Begins.push_back(a_Record.m_Begin);
    auto name =
        std::find_if(a_Record.m_Values.begin(), a_Record.m_Values.end(), [](const CValue& a_Value) {
            return std::strcmp(a_Value.m_Element, CSchedule::c_Name) == 0;
        });
    Record record{a_Record, name == a_Record.m_Values.end() ? "" : name->m_Value, "",
                  a_Record.m_Made == EMade::Time};
    record.m_Label = RecordLabel(a_Record.m_Number, record.m_Name);
    CheckRecord(record);
    NoteLeftOut(record);
    if (a_Record.m_StartsChain) {
        m_ChainStarts[a_Record.m_Key] = a_Record.m_Number;
        m_ChainRecords[a_Record.m_Key] = {a_Record.m_Number};
        m_LastKey = a_Record.m_Key;
    } else if (a_Record.m_Made != EMade::Nothing && a_Record.m_LeftOut == ELeftOut::Nothing) {
        m_ChainRecords[m_LastKey].push_back(a_Record.m_Number);
    }
    if (a_Record.m_Made == EMade::Announcement)
        m_Announcements[record.m_Name].push_back(a_Record.m_Number);
}

void CElementCheck::ChainLeftOut(ELeftOut a_Why, float a_Key) {
    if (a_Why != ELeftOut::KeyBeyondInterval)
        return;
    float longest = float(CInterval::LongestSecs(m_Schedule.FrequencySecs()));
    AddLeftOut(EFinding::KeyBeyondInterval, m_ChainStarts[a_Key],
               ChainLabel(a_Key) + " lies beyond the end of the interval (" +
                   CInterval::KeyText(longest) + "): the board never plays it");
}

std::vector<CCheckFinding> CElementCheck::Findings() {
    CheckFrequency();
    std::vector<CCheckFinding> findings = m_ElementFindings;
    for (const Taken& taken : m_Taken) {
        auto after = std::upper_bound(m_Begins.begin(), m_Begins.end(), taken.m_Pos);
        std::size_t number = std::size_t(after - m_Begins.begin());
        findings[taken.m_Finding].m_Text += RecordLabel(number, NameOf(number));
    }
    findings.insert(findings.end(), m_LeftOutFindings.begin(), m_LeftOutFindings.end());
    return findings;
}

// "record 3 (welcome)": a record by its number, counted from 1 in the order the loader meets
// them (comments left out), and its name without the blanks around it.
std::string CElementCheck::RecordLabel(std::size_t a_Number, const std::string& a_Name) const {
    std::string name = Shown(CElementScanner::Trimmed(a_Name));
    return "record " + std::to_string(a_Number) + (name.empty() ? "" : " (" + name + ")");
}

// The name record a_Number has in its own elements or takes from a later one.
std::string CElementCheck::NameOf(std::size_t a_Number) const {
    return m_Schedule.Scanner().ElementVal(m_Begins[a_Number - 1], CSchedule::c_Name);
}

std::string CElementCheck::ChainLabel(float a_Key) const {
    auto found = m_ChainStarts.find(a_Key);
    std::string record =
        found == m_ChainStarts.end() ? "" : RecordLabel(found->second, NameOf(found->second));
    return "the chain " + (record.empty() ? "" : "of " + record + " ") + "at " +
           CInterval::KeyText(a_Key);
}

std::string CElementCheck::RecordsNamed(const std::string& a_Name) const {
    std::string numbers;
    auto found = m_Announcements.find(a_Name);
    for (std::size_t number :
         found == m_Announcements.end() ? std::vector<std::size_t>() : found->second)
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(number);
    return (numbers.find(',') == npos ? "record " : "records ") + numbers;
}

std::size_t CElementCheck::ChainRecord(float a_Key, std::size_t a_Index) const {
    auto found = m_ChainRecords.find(a_Key);
    return found == m_ChainRecords.end() || a_Index >= found->second.size()
               ? 0
               : found->second[a_Index];
}

std::string CElementCheck::RecordName(std::size_t a_Number) const {
    return a_Number == 0 || a_Number > m_Begins.size() ? "its record"
                                                       : RecordLabel(a_Number, NameOf(a_Number));
}

bool CElementCheck::OwnTiming(std::size_t a_Number, float& a_Key, bool& a_Finish) const {
    if (a_Number == 0 || a_Number > m_Begins.size())
        return false;
    const CElementScanner& scanner = m_Schedule.Scanner();
    std::size_t begin = m_Begins[a_Number - 1];
    std::size_t end = a_Number < m_Begins.size() ? m_Begins[a_Number] : scanner.Text().size();
    if (scanner.ElementPos(begin, CSchedule::c_TimingTime) >= end ||
        scanner.ElementPos(begin, CSchedule::c_FinishAtTime) >= end)
        return false;
    int finish = 0;
    CElementScanner::ParseTime(scanner.ElementVal(begin, CSchedule::c_TimingTime), a_Key);
    CElementScanner::ParseInt(scanner.ElementVal(begin, CSchedule::c_FinishAtTime), finish);
    a_Finish = finish != 0;
    return true;
}

std::string CElementCheck::Shown(const std::string& a_Name) const {
    return m_Latin1 ? Latin1AsUtf8(a_Name) : a_Name;
}

// Before anything else of the schedule is judged.
void CElementCheck::CheckFrequency() {
    if (m_FrequencyChecked)
        return;
    m_FrequencyChecked = true;
    m_Latin1 = !IsUtf8(m_Schedule.Scanner().Text());
    std::string raw = m_Schedule.Scanner().ElementVal(0, CSchedule::c_Frequency);
    std::string trimmed = CElementScanner::Trimmed(raw);
    if (raw == trimmed)
        return;
    int asRead = 0, meant = 0;
    bool loads = CSchedule::ParseFrequency(raw, asRead) && asRead > 0;
    CSchedule::ParseFrequency(trimmed, meant);
    std::string outcome = !loads            ? "the board cannot load the schedule"
                          : asRead == meant ? "the board reads it anyway"
                                            : "the board reads it otherwise";
    AddBlanks(0, "m_Frequency " + Quoted(raw) + " has blanks or line breaks around it: " + outcome,
              "write <m_Frequency>" + trimmed + "</m_Frequency>", !loads || asRead != meant);
}

// Each element the loader read for the record, judged where it stands: in the record, or in a
// later one.
void CElementCheck::CheckRecord(const Record& a_Record) {
    CheckUnknown(a_Record);
    const std::vector<CValue>& values = a_Record.m_Read.m_Values;
    for (const Element& element : c_Elements) {
        auto value = std::find_if(values.begin(), values.end(), [&](const CValue& a_Value) {
            return std::strcmp(a_Value.m_Element, element.m_Tag) == 0;
        });
        if (value == values.end())
            continue;
        if (value->m_Pos < a_Record.m_Read.m_End)
            CheckValue(a_Record, element, value->m_Value);
        else
            CheckMissing(a_Record, element, *value);
    }
}

// Every opening tag in the record other than the ones the loader reads.
void CElementCheck::CheckUnknown(const Record& a_Record) {
    const CElementScanner& scanner = m_Schedule.Scanner();
    const std::string& text = scanner.Text();
    std::size_t begin = a_Record.m_Read.m_Begin;
    std::size_t end =
        std::min(a_Record.m_Read.m_End, scanner.ElementEndPos(begin, CSchedule::c_Record));
    for (std::size_t pos = text.find('<', begin + 1); pos < end && pos != npos;
         pos = text.find('<', pos + 1)) {
        std::size_t close = std::min(text.find('>', pos), end);
        std::string tag = text.substr(pos + 1, std::min(close - pos - 1, c_MaxTagLength));
        bool known =
            tag == c_Unread || std::any_of(std::begin(c_Elements), std::end(c_Elements),
                                           [&](const Element& e) { return tag == e.m_Tag; });
        if (known || tag.empty() || tag[0] == '/' || tag[0] == '!' || tag[0] == '?')
            continue;
        std::string closest = Closest(tag);
        Add(EFinding::UnknownElement, a_Record.m_Read.m_Number,
            a_Record.m_Label + ": the board does not read <" + tag + ">" +
                (closest.empty() ? "" : ": did you mean " + closest + "?"),
            closest.empty() ? "put notes inside <!-- and -->"
                            : "write <" + closest + "> in its place");
    }
}

std::string CElementCheck::Closest(const std::string& a_Tag) {
    std::string best = c_Unread;
    for (const Element& element : c_Elements)
        if (EditDistance(Lower(a_Tag), Lower(element.m_Tag)) <
            EditDistance(Lower(a_Tag), Lower(best)))
            best = element.m_Tag;
    return EditDistance(Lower(a_Tag), Lower(best)) <= best.size() / 2 ? best : "";
}

// The loader goes on searching past the record's end, into the records after it; which record
// that is shows once they have all been read.
void CElementCheck::CheckMissing(const Record& a_Record, const Element& a_Element,
                                 const CValue& a_Value) {
    std::string taken = Reading(a_Element.m_Kind, a_Value.m_Value);
    if (a_Element.m_Kind == Kind::Name || a_Element.m_Kind == Kind::Type)
        taken = taken.empty() ? "nothing" : Quoted(taken);
    std::string text = a_Record.m_Label + " has no " + a_Element.m_Tag;
    bool later = a_Value.m_Pos != npos;
    text += later ? ": the board takes " + taken + " from "
                  : ", nor does any record after it: the board takes " + taken;
    if (Add(EFinding::MissingElement, a_Record.m_Read.m_Number, text) && later)
        m_Taken.push_back(Taken{m_ElementFindings.size() - 1, a_Value.m_Pos});
}

void CElementCheck::CheckValue(const Record& a_Record, const Element& a_Element,
                               const std::string& a_Raw) {
    std::size_t close =
        m_Schedule.Scanner().ElementEndPos(a_Record.m_Read.m_Begin, a_Element.m_Tag);
    if (close == npos || close >= a_Record.m_Read.m_End) {
        Add(EFinding::UnclosedElement, a_Record.m_Read.m_Number,
            a_Record.m_Label + ": <" + a_Element.m_Tag + "> has no </" + a_Element.m_Tag +
                "> after it in the record: the board reads on into the records after it",
            "write </" + std::string(a_Element.m_Tag) + "> right after the value");
        return;
    }
    CheckBlanks(a_Record, a_Element, a_Raw);
    if (a_Element.m_Kind == Kind::Type)
        CheckType(a_Record, a_Raw);
    else if (a_Element.m_Kind == Kind::Time)
        CheckKey(a_Record, a_Raw);
    else if (a_Element.m_Kind == Kind::Number)
        CheckNumber(a_Record, a_Element, a_Raw);
}

void CElementCheck::CheckBlanks(const Record& a_Record, const Element& a_Element,
                                const std::string& a_Raw) {
    std::string trimmed = CElementScanner::Trimmed(a_Raw);
    if (trimmed == a_Raw)
        return;
    std::string asRead = Reading(a_Element.m_Kind, a_Raw);
    std::string meant = Reading(a_Element.m_Kind, trimmed);
    // A spoken time's name is only a label.
    bool changes = asRead != meant && !(a_Element.m_Kind == Kind::Name && a_Record.m_Timed);
    std::string outcome = "the board reads it anyway";
    if (changes && a_Element.m_Kind == Kind::Name)
        outcome =
            "the board looks for a recording named with them and never finds " + trimmed + ".wav";
    else if (changes && a_Element.m_Kind == Kind::Type)
        outcome = "the board does not recognise the type and leaves the record out";
    else if (changes)
        outcome = "the board reads it as " + asRead + ", not " + meant;
    AddBlanks(a_Record.m_Read.m_Number,
              a_Record.m_Label + ": " + a_Element.m_Tag + " " + Quoted(a_Raw) +
                  " has blanks or line breaks around it: " + outcome,
              "write <" + std::string(a_Element.m_Tag) + ">" + trimmed + "</" + a_Element.m_Tag +
                  ">",
              changes);
}

void CElementCheck::CheckType(const Record& a_Record, const std::string& a_Raw) {
    std::string word = CElementScanner::Trimmed(a_Raw);
    if (word == "Custom" || word == "Timed")
        return;
    for (const char* type : {"Custom", "Timed"})
        if (strcasecmp(word.c_str(), type) == 0) {
            Add(EFinding::TypeCase, a_Record.m_Read.m_Number,
                a_Record.m_Label + ": Type " + Quoted(word) +
                    " is not Custom or Timed (letter case counts), so the board leaves the "
                    "record out: did you mean " +
                    type + "?",
                "write <Type>" + std::string(type) + "</Type>");
            return;
        }
    Add(EFinding::UnknownType, a_Record.m_Read.m_Number,
        a_Record.m_Label + ": Type " + Quoted(word) +
            " is neither Custom nor Timed, so the board leaves the record out");
}

void CElementCheck::CheckKey(const Record& a_Record, const std::string& a_Raw) {
    std::string key = CElementScanner::Trimmed(a_Raw);
    float secs = 0;
    if (CElementScanner::ParseTime(key, secs))
        return;
    std::string asRead = Reading(Kind::Time, a_Raw);
    if (CElementScanner::ParseTime(key + ".0", secs))
        Add(EFinding::KeyWithoutTenths, a_Record.m_Read.m_Number,
            a_Record.m_Label + ": the key m_TimingTime " + key +
                " has no tenths of a second: the board reads it as " + asRead + ", not " + key +
                ".0",
            "write " + key + ".0");
    else
        Add(EFinding::MalformedValue, a_Record.m_Read.m_Number,
            a_Record.m_Label + ": the key m_TimingTime " + Quoted(key) +
                " is not minutes, seconds and tenths M:SS.T: the board reads it as " + asRead,
            "write the key like 2:00.0");
}

void CElementCheck::CheckNumber(const Record& a_Record, const Element& a_Element,
                                const std::string& a_Raw) {
    int value = 0;
    std::string number = CElementScanner::Trimmed(a_Raw);
    if (CElementScanner::ParseInt(number, value))
        return;
    bool minutes = std::strcmp(a_Element.m_Tag, CSchedule::c_OffsetTime) == 0;
    Add(EFinding::MalformedValue, a_Record.m_Read.m_Number,
        a_Record.m_Label + ": " + a_Element.m_Tag + " " + Quoted(number) +
            " is not a whole number: the board reads it as " + std::to_string(value),
        minutes ? "write the minutes to add to the time spoken, such as 0 or -5" : "write 1 or 0");
}

// What the loader left out of the programme in reading the record.
void CElementCheck::NoteLeftOut(const Record& a_Record) {
    const CRecordRead& read = a_Record.m_Read;
    if (read.m_LeftOut == ELeftOut::OrphanAfterMessage)
        AddLeftOut(EFinding::OrphanAfterMessage, read.m_Number,
                   a_Record.m_Label +
                       " is meant to follow the record before it (m_AfterMsg 1), but no chain "
                       "starts before it: the board leaves it out");
    else if (read.m_LeftOut == ELeftOut::ReplacedChain)
        AddLeftOut(EFinding::ReplacedChain, read.m_Number,
                   a_Record.m_Label + " starts a chain at " + CInterval::KeyText(read.m_Key) +
                       ", where " + ChainLabel(read.m_Key) +
                       " already starts: that chain never plays");
}

// How the loader takes a value: names and types as they stand, numbers and keys parsed.
std::string CElementCheck::Reading(Kind a_Kind, const std::string& a_Raw) {
    float secs = 0;
    int value = 0;
    if (a_Kind == Kind::Time)
        CElementScanner::ParseTime(a_Raw, secs);
    else if (a_Kind == Kind::Number)
        CElementScanner::ParseInt(a_Raw, value);
    else
        return a_Raw;
    return a_Kind == Kind::Time ? CInterval::KeyText(secs) : std::to_string(value);
}

bool CElementCheck::Add(EFinding a_Kind, std::size_t a_Record, std::string a_Text,
                        std::string a_Hint) {
    CCheckFinding finding = CCheckFinding::Make(a_Kind, std::move(a_Text));
    if (!a_Hint.empty())
        finding.m_Hint = std::move(a_Hint);
    finding.m_Record = a_Record;
    return AddCapped(m_ElementFindings, std::move(finding), EFinding::MoreFindings,
                     "Further findings about the schedule's elements are not listed");
}

// Blanks around a value change play only where the board reads it otherwise.
bool CElementCheck::AddBlanks(std::size_t a_Record, std::string a_Text, std::string a_Hint,
                              bool a_ChangesPlay) {
    CCheckFinding finding = CCheckFinding::Make(EFinding::Blanks, std::move(a_Text));
    finding.m_Hint = std::move(a_Hint);
    finding.m_Record = a_Record;
    finding.m_ChangesPlay = a_ChangesPlay;
    return AddCapped(m_ElementFindings, std::move(finding), EFinding::MoreFindings,
                     "Further findings about the schedule's elements are not listed");
}

void CElementCheck::AddLeftOut(EFinding a_Kind, std::size_t a_Record, std::string a_Text) {
    CCheckFinding finding = CCheckFinding::Make(a_Kind, std::move(a_Text));
    finding.m_Record = a_Record;
    AddCapped(m_LeftOutFindings, std::move(finding), EFinding::MoreNotes,
              "Further notes of this schedule are not listed");
}

// A hostile file can hold millions of odd records; a person needs only the first of them, and
// a line saying that there are more.
bool CElementCheck::AddCapped(std::vector<CCheckFinding>& a_Findings, CCheckFinding a_Finding,
                              EFinding a_More, const char* a_MoreText) {
    if (a_Findings.size() < c_MaxFindings) {
        a_Findings.push_back(std::move(a_Finding));
        return true;
    }
    if (a_Findings.size() == c_MaxFindings)
        a_Findings.push_back(CCheckFinding::Make(a_More, a_MoreText));
    return false;
}
