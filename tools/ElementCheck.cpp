#include "ElementCheck.h"

#include "ElementScanner.h"
#include "Schedule.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

namespace {
constexpr std::size_t npos = std::string::npos;
// A hostile file can hold millions of odd records; a person needs only the first of them.
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

// The fewest letters to change, add or drop to turn one word into the other.
std::size_t Distance(const std::string& a_From, const std::string& a_To) {
    std::vector<std::size_t> row(a_To.size() + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a_From.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= a_To.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min(
                {row[j] + 1, row[j - 1] + 1, diagonal + (a_From[i - 1] == a_To[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}
} // namespace

const CElementCheck::Element CElementCheck::c_Elements[6] = {
    {"m_Name", Kind::Name},           {"Type", Kind::Type},         {"m_TimingTime", Kind::Time},
    {"m_FinishAtTime", Kind::Number}, {"m_AfterMsg", Kind::Number}, {"m_OffsetTime", Kind::Number}};

CElementCheck::CElementCheck(const CSchedule& a_Schedule) : m_Schedule(a_Schedule) {
    // The loader's own walk: each "<Record>" from "<Records>" on.
    std::size_t pos = a_Schedule.GetElementPos(0, "Records");
    while ((pos = a_Schedule.GetElementPos(pos, "Record")) != npos)
        m_Starts.push_back(pos++);
    CheckFrequency();
    for (std::size_t index = 0; index < m_Starts.size(); ++index)
        CheckRecord(Read(index));
}

// The record's values as the loader takes them, wherever it finds them.
CElementCheck::Record CElementCheck::Read(std::size_t a_Index) const {
    Record record{a_Index + 1, m_Starts[a_Index], npos, "", "", false, false, false};
    if (a_Index + 1 < m_Starts.size())
        record.m_End = m_Starts[a_Index + 1];
    record.m_Name = m_Schedule.GetElementVal(record.m_Start, "m_Name");
    record.m_Label = CSchedule::RecordLabel(record.m_Number, record.m_Name);
    std::string type = m_Schedule.GetElementVal(record.m_Start, "Type");
    bool after = m_Schedule.GetElementValBool(record.m_Start, "m_AfterMsg");
    record.m_Timed = type == "Timed";
    record.m_Custom = type == "Custom";
    record.m_StartsChain = (record.m_Timed || record.m_Custom) && !after;
    return record;
}

bool CElementCheck::IsRead(const Record& a_Record, const Element& a_Element) {
    if (a_Element.m_Kind == Kind::Time || a_Element.m_Tag == std::string("m_FinishAtTime"))
        return a_Record.m_StartsChain;
    return a_Element.m_Tag != std::string("m_OffsetTime") || a_Record.m_Timed;
}

std::string CElementCheck::ChainLabel(float a_Key) const {
    auto found = m_ChainStarts.find(a_Key);
    std::string record =
        found == m_ChainStarts.end()
            ? ""
            : CSchedule::RecordLabel(
                  found->second, m_Schedule.GetElementVal(m_Starts[found->second - 1], "m_Name"));
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

void CElementCheck::CheckFrequency() {
    std::string raw = m_Schedule.GetElementVal(0, "m_Frequency");
    std::string trimmed = CElementScanner::Trimmed(raw);
    if (raw == trimmed)
        return;
    int asRead = 0, meant = 0;
    bool loads = CSchedule::ParseFrequency(raw, asRead) && asRead > 0;
    CSchedule::ParseFrequency(trimmed, meant);
    std::string outcome = !loads            ? "the board cannot load the schedule"
                          : asRead == meant ? "the board reads it anyway"
                                            : "the board reads it otherwise";
    Add("blanks", nullptr,
        "m_Frequency " + Quoted(raw) + " has blanks or line breaks around it: " + outcome,
        "write <m_Frequency>" + trimmed + "</m_Frequency>", !loads || asRead != meant);
}

void CElementCheck::CheckRecord(const Record& a_Record) {
    if (a_Record.m_StartsChain)
        m_ChainStarts[m_Schedule.GetElementValTimeVal(a_Record.m_Start, "m_TimingTime")] =
            a_Record.m_Number;
    if (a_Record.m_Custom)
        m_Announcements[a_Record.m_Name].push_back(a_Record.m_Number);
    CheckUnknown(a_Record);
    for (const Element& element : c_Elements) {
        if (!IsRead(a_Record, element))
            continue;
        if (m_Schedule.GetElementPos(a_Record.m_Start, element.m_Tag) < a_Record.m_End)
            CheckValue(a_Record, element);
        else
            CheckMissing(a_Record, element);
    }
}

// Every opening tag in the record other than the ones the loader reads.
void CElementCheck::CheckUnknown(const Record& a_Record) {
    const std::string& text = m_Schedule.ScannedText();
    std::size_t end =
        std::min(a_Record.m_End, m_Schedule.GetElementEndPos(a_Record.m_Start, "Record"));
    for (std::size_t pos = text.find('<', a_Record.m_Start + 1); pos < end && pos != npos;
         pos = text.find('<', pos + 1)) {
        std::size_t close = std::min(text.find('>', pos), end);
        std::string tag = text.substr(pos + 1, std::min(close - pos - 1, c_MaxTagLength));
        bool known =
            tag == c_Unread || std::any_of(std::begin(c_Elements), std::end(c_Elements),
                                           [&](const Element& e) { return tag == e.m_Tag; });
        if (known || tag.empty() || tag[0] == '/' || tag[0] == '!' || tag[0] == '?')
            continue;
        std::string closest = Closest(tag);
        Add("unknown-element", &a_Record,
            a_Record.m_Label + ": the board does not read <" + tag + ">" +
                (closest.empty() ? "" : ": did you mean " + closest + "?"),
            closest.empty() ? "put notes inside <!-- and -->"
                            : "write <" + closest + "> in its place",
            false);
    }
}

std::string CElementCheck::Closest(const std::string& a_Tag) {
    std::string best = c_Unread;
    for (const Element& element : c_Elements)
        if (Distance(Lower(a_Tag), Lower(element.m_Tag)) < Distance(Lower(a_Tag), Lower(best)))
            best = element.m_Tag;
    return Distance(Lower(a_Tag), Lower(best)) <= best.size() / 2 ? best : "";
}

// The loader goes on searching past the record's end, into the records after it.
void CElementCheck::CheckMissing(const Record& a_Record, const Element& a_Element) {
    std::size_t pos = m_Schedule.GetElementPos(a_Record.m_Start, a_Element.m_Tag);
    std::string raw = m_Schedule.GetElementVal(a_Record.m_Start, a_Element.m_Tag);
    std::string taken = Reading(a_Element.m_Kind, raw);
    if (a_Element.m_Kind == Kind::Name || a_Element.m_Kind == Kind::Type)
        taken = taken.empty() ? "nothing" : Quoted(taken);
    std::string source = ", nor does any record after it: the board takes " + taken;
    if (pos != npos) {
        auto after = std::upper_bound(m_Starts.begin(), m_Starts.end(), pos);
        std::size_t number = std::size_t(after - m_Starts.begin());
        source = ": the board takes " + taken + " from " +
                 CSchedule::RecordLabel(number,
                                        m_Schedule.GetElementVal(m_Starts[number - 1], "m_Name"));
    }
    Add("missing-element", &a_Record, a_Record.m_Label + " has no " + a_Element.m_Tag + source,
        "write every element in every record", true);
}

void CElementCheck::CheckValue(const Record& a_Record, const Element& a_Element) {
    std::size_t close = m_Schedule.GetElementEndPos(a_Record.m_Start, a_Element.m_Tag);
    if (close == npos || close >= a_Record.m_End) {
        Add("unclosed-element", &a_Record,
            a_Record.m_Label + ": <" + a_Element.m_Tag + "> has no </" + a_Element.m_Tag +
                "> after it in the record: the board reads on into the records after it",
            "write </" + std::string(a_Element.m_Tag) + "> right after the value", true);
        return;
    }
    std::string raw = m_Schedule.GetElementVal(a_Record.m_Start, a_Element.m_Tag);
    CheckBlanks(a_Record, a_Element, raw);
    if (a_Element.m_Kind == Kind::Type)
        CheckType(a_Record, raw);
    else if (a_Element.m_Kind == Kind::Time)
        CheckKey(a_Record, raw);
    else if (a_Element.m_Kind == Kind::Number)
        CheckNumber(a_Record, a_Element, raw);
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
    Add("blanks", &a_Record,
        a_Record.m_Label + ": " + a_Element.m_Tag + " " + Quoted(a_Raw) +
            " has blanks or line breaks around it: " + outcome,
        "write <" + std::string(a_Element.m_Tag) + ">" + trimmed + "</" + a_Element.m_Tag + ">",
        changes);
}

void CElementCheck::CheckType(const Record& a_Record, const std::string& a_Raw) {
    std::string word = CElementScanner::Trimmed(a_Raw);
    if (word == "Custom" || word == "Timed")
        return;
    for (const char* type : {"Custom", "Timed"})
        if (strcasecmp(word.c_str(), type) == 0) {
            Add("type-case", &a_Record,
                a_Record.m_Label + ": Type " + Quoted(word) +
                    " is not Custom or Timed (letter case counts), so the board leaves the "
                    "record out: did you mean " +
                    type + "?",
                "write <Type>" + std::string(type) + "</Type>", true);
            return;
        }
    Add("unknown-type", &a_Record,
        a_Record.m_Label + ": Type " + Quoted(word) +
            " is neither Custom nor Timed, so the board leaves the record out",
        "write Custom to play a recording, Timed to speak the time", true);
}

void CElementCheck::CheckKey(const Record& a_Record, const std::string& a_Raw) {
    std::string key = CElementScanner::Trimmed(a_Raw);
    float secs = 0;
    if (CElementScanner::ParseTime(key, secs))
        return;
    std::string asRead = Reading(Kind::Time, a_Raw);
    if (CElementScanner::ParseTime(key + ".0", secs))
        Add("key-without-tenths", &a_Record,
            a_Record.m_Label + ": the key m_TimingTime " + key +
                " has no tenths of a second: the board reads it as " + asRead + ", not " + key +
                ".0",
            "write " + key + ".0", true);
    else
        Add("malformed-value", &a_Record,
            a_Record.m_Label + ": the key m_TimingTime " + Quoted(key) +
                " is not minutes, seconds and tenths M:SS.T: the board reads it as " + asRead,
            "write the key like 2:00.0", true);
}

void CElementCheck::CheckNumber(const Record& a_Record, const Element& a_Element,
                                const std::string& a_Raw) {
    int value = 0;
    std::string number = CElementScanner::Trimmed(a_Raw);
    if (CElementScanner::ParseInt(number, value))
        return;
    bool minutes = a_Element.m_Tag == std::string("m_OffsetTime");
    Add("malformed-value", &a_Record,
        a_Record.m_Label + ": " + a_Element.m_Tag + " " + Quoted(number) +
            " is not a whole number: the board reads it as " + std::to_string(value),
        minutes ? "write the minutes to add to the time spoken, such as 0 or -5" : "write 1 or 0",
        true);
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

void CElementCheck::Add(const char* a_Kind, const Record* a_Record, std::string a_Text,
                        std::string a_Hint, bool a_ChangesPlay) {
    if (m_Findings.size() > c_MaxFindings)
        return;
    CCheckFinding finding;
    finding.m_Kind = "more-findings";
    finding.m_Text = "Further findings about the schedule's elements are not listed";
    if (m_Findings.size() < c_MaxFindings) {
        finding.m_Kind = a_Kind;
        finding.m_Text = std::move(a_Text);
        finding.m_Hint = std::move(a_Hint);
        finding.m_Record = a_Record ? a_Record->m_Number : 0;
        finding.m_ChangesPlay = a_ChangesPlay;
    }
    m_Findings.push_back(std::move(finding));
}
