#include "edit/Timetable.h"

#include "Interval.h"
#include "Schedule.h"
#include "shared/StarterSchedule.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>

namespace {
const std::size_t npos = std::string::npos;
const char* const c_RecordsEnd = "</Records>";
const char* const c_RecordEnd = "</Record>";

// The schedule text as the loader reads it: where each record begins and where the next one
// does, in the text without comments that the scanner searches.
class CLoaded : public CScheduleObserver {
public:
    explicit CLoaded(const std::string& a_Text) : m_Schedule(".", m_Lines) {
        m_Loads = m_Schedule.LoadText(a_Text, this);
    }
    void RecordRead(const CRecordRead& a_Record) override {
        m_Records.emplace_back(a_Record.m_Begin, a_Record.m_End);
        m_Whens.push_back(a_Record.m_When);
    }
    void ChainLeftOut(ELeftOut, float) override {}
    void TopLevelRead(const CTopLevelRead& a_Read) override { m_Top = a_Read; }

    const CElementScanner& Scanner() const { return m_Schedule.Scanner(); }
    const std::string& Text() const { return Scanner().Text(); }
    std::size_t Source(std::size_t a_Pos) const { return Scanner().SourcePos(a_Pos); }

    std::ostringstream m_Lines; // the loader's, not shown
    CSchedule m_Schedule;
    bool m_Loads = false;
    std::vector<std::pair<std::size_t, std::size_t>> m_Records;
    std::vector<CValue> m_Whens; // each record's
    CTopLevelRead m_Top;
};

// A change of the text: a_Length bytes at a_Pos replaced by a_Text.
struct CSplice {
    std::size_t m_Pos, m_Length;
    std::string m_Text;
};

std::string Tag(const std::string& a_Element, const std::string& a_Value) {
    return "<" + a_Element + ">" + a_Value + "</" + a_Element + ">";
}

bool Flag(const std::string& a_Value) {
    int value = 0;
    CElementScanner::ParseInt(a_Value, value);
    return value != 0;
}

int Number(const std::string& a_Value) {
    int value = 0;
    CElementScanner::ParseInt(a_Value, value);
    return value;
}

// Past the blanks after a_Pos and the line break that ends them; a_Pos when something else
// follows on the line.
std::size_t AfterLine(const std::string& a_Text, std::size_t a_Pos) {
    std::size_t end = a_Text.find_first_not_of(" \t\r", a_Pos);
    return end != npos && a_Text[end] == '\n' ? end + 1 : a_Pos;
}

// Where the line of a_Pos begins when only blanks stand before it there (not before a_Floor);
// a_Pos otherwise.
std::size_t LineStart(const std::string& a_Text, std::size_t a_Pos, std::size_t a_Floor) {
    std::size_t start = a_Pos;
    while (start > a_Floor && (a_Text[start - 1] == ' ' || a_Text[start - 1] == '\t'))
        --start;
    return start > a_Floor && a_Text[start - 1] == '\n' ? start : a_Pos;
}

// Gives a_Element (searched from a_From) the value a_Value where it stands at a_Pos, closed
// before a_Limit.
void Replace(const CLoaded& a_Loaded, std::size_t a_From, std::size_t a_Pos,
             const std::string& a_Element, const std::string& a_Value,
             std::vector<CSplice>& a_Splices, std::size_t a_Limit = npos) {
    std::size_t start = a_Pos + a_Element.size() + 2;
    std::size_t end = a_Loaded.Scanner().ElementEndPos(a_From, a_Element);
    if (end == npos || end < start || end >= a_Limit)
        return; // a tag not closed: left for the caller to find unchanged
    std::size_t from = a_Loaded.Source(start);
    a_Splices.push_back({from, a_Loaded.Source(end) - from, a_Value});
}

// a_Element with a_Value put before a_Pos: on a line of its own, indented one step more, when
// a_Pos begins a line after a_Floor.
void InsertBefore(const CLoaded& a_Loaded, std::size_t a_Pos, std::size_t a_Floor,
                  const std::string& a_Element, const std::string& a_Value,
                  std::vector<CSplice>& a_Splices) {
    std::size_t start = LineStart(a_Loaded.Text(), a_Pos, a_Floor);
    std::string indent = a_Loaded.Text().substr(start, a_Pos - start);
    std::string text =
        start == a_Pos ? Tag(a_Element, a_Value) : indent + "  " + Tag(a_Element, a_Value) + "\n";
    a_Splices.push_back({a_Loaded.Source(start), 0, text});
}

// a_Element of the record from a_Begin to a_End set to a_Value: where the record has it (at
// a_Pos), or added to it, so that the records around it keep what they read. a_OwnOnly: the
// element is read only up to the record's end.
void SetInRecord(const CLoaded& a_Loaded, std::size_t a_Begin, std::size_t a_End, std::size_t a_Pos,
                 const std::string& a_Element, const std::string& a_Value,
                 std::vector<CSplice>& a_Splices, bool a_OwnOnly = false) {
    std::size_t closing = a_Loaded.Scanner().ElementEndPos(a_Begin, CSchedule::c_Record);
    if (a_Pos < a_End)
        return a_OwnOnly ? Replace(a_Loaded, a_Pos, a_Pos, a_Element, a_Value, a_Splices,
                                   std::min(a_End, closing))
                         : Replace(a_Loaded, a_Begin, a_Pos, a_Element, a_Value, a_Splices);
    if (closing < a_End)
        return InsertBefore(a_Loaded, closing, a_Begin, a_Element, a_Value, a_Splices);
    std::size_t afterTag = a_Begin + std::strlen(CSchedule::c_Record) + 2;
    a_Splices.push_back({a_Loaded.Source(afterTag), 0, Tag(a_Element, a_Value)});
}

// a_Element outside the records set to a_Value: where it stands (at a_Pos), or added before
// <Records>.
void SetAtTop(const CLoaded& a_Loaded, std::size_t a_Pos, const std::string& a_Element,
              const std::string& a_Value, std::vector<CSplice>& a_Splices) {
    if (a_Pos != npos)
        return Replace(a_Loaded, a_Pos, a_Pos, a_Element, a_Value, a_Splices);
    std::size_t records = a_Loaded.Scanner().ElementPos(0, CSchedule::c_Records);
    if (records != npos)
        return InsertBefore(a_Loaded, records, 0, a_Element, a_Value, a_Splices);
    a_Splices.push_back(
        {a_Loaded.Source(a_Loaded.Text().size()), 0, Tag(a_Element, a_Value) + "\n"});
}

std::string Applied(std::string a_Text, std::vector<CSplice> a_Splices) {
    std::stable_sort(
        a_Splices.begin(), a_Splices.end(),
        [](const CSplice& a_One, const CSplice& a_Other) { return a_One.m_Pos > a_Other.m_Pos; });
    for (const CSplice& splice : a_Splices)
        a_Text.replace(splice.m_Pos, splice.m_Length, splice.m_Text);
    return a_Text;
}

// Rows as init lays records out; their other values are set like any other.
std::string NewRecords(const std::vector<CTimetable::CRow>& a_Rows) {
    std::string text;
    for (const CTimetable::CRow& row : a_Rows)
        text += CStarterSchedule::RecordText(row.m_Name, row.m_Type, row.m_Key, row.m_Finish,
                                             row.m_After);
    return text;
}

// The elements of a record in the order a row holds them, and each of a row's values as text.
const char* const c_Elements[] = {CSchedule::c_Name,       CSchedule::c_Type,
                                  CSchedule::c_TimingTime, CSchedule::c_FinishAtTime,
                                  CSchedule::c_AfterMsg,   CSchedule::c_OffsetTime};

std::vector<std::string> Values(const CTimetable::CRow& a_Row) {
    return {a_Row.m_Name,
            a_Row.m_Type,
            a_Row.m_Key,
            a_Row.m_Finish ? "1" : "0",
            a_Row.m_After ? "1" : "0",
            std::to_string(a_Row.m_Offset)};
}

// Whether the text a_Read for element a_Index means what a_Wanted says.
bool Same(std::size_t a_Index, const std::string& a_Read, const std::string& a_Wanted) {
    if (a_Index == 3 || a_Index == 4)
        return Flag(a_Read) == Flag(a_Wanted);
    if (a_Index == 5)
        return Number(a_Read) == Number(a_Wanted);
    return a_Read == a_Wanted;
}

// The changes that make a_Loaded read as a_Table, from what it reads now.
std::vector<CSplice> Fixes(const CLoaded& a_Loaded, const CTimetable& a_Table) {
    std::vector<CSplice> splices;
    const CElementScanner& scanner = a_Loaded.Scanner();
    if (scanner.ElementVal(0, CSchedule::c_Frequency) != a_Table.m_Interval)
        SetAtTop(a_Loaded, scanner.ElementPos(0, CSchedule::c_Frequency), CSchedule::c_Frequency,
                 a_Table.m_Interval, splices);
    if (!a_Table.m_Loads || !a_Loaded.m_Loads)
        return splices;
    const auto& top = a_Loaded.m_Top;
    for (auto [read, wanted] : {std::make_pair(&top.m_Quiet, &a_Table.m_Quiet),
                                std::make_pair(&top.m_LeadIn, &a_Table.m_LeadIn),
                                std::make_pair(&top.m_Greeting, &a_Table.m_Greeting)})
        if (read->m_Value != *wanted)
            SetAtTop(a_Loaded, read->m_Pos, read->m_Element, *wanted, splices);
    for (std::size_t row = 0; row < a_Loaded.m_Records.size(); ++row) {
        auto [begin, end] = a_Loaded.m_Records[row];
        std::vector<std::string> wanted = Values(a_Table.m_Rows[row]);
        for (std::size_t i = 0; i < wanted.size(); ++i)
            if (!Same(i, scanner.ElementVal(begin, c_Elements[i]), wanted[i]))
                SetInRecord(a_Loaded, begin, end, scanner.ElementPos(begin, c_Elements[i]),
                            c_Elements[i], wanted[i], splices);
        const CScheduleObserver::CValue& when = a_Loaded.m_Whens[row];
        if (when.m_Value != a_Table.m_Rows[row].m_When)
            SetInRecord(a_Loaded, begin, end, when.m_Pos, CSchedule::c_When,
                        a_Table.m_Rows[row].m_When, splices, true);
    }
    return splices;
}
} // namespace

CTimetable CTimetable::Read(const std::string& a_Text) {
    CLoaded loaded(a_Text);
    CTimetable table;
    table.m_Interval = loaded.Scanner().ElementVal(0, CSchedule::c_Frequency);
    table.m_Loads = loaded.m_Loads;
    table.m_Quiet = loaded.m_Top.m_Quiet.m_Value;
    table.m_LeadIn = loaded.m_Top.m_LeadIn.m_Value;
    table.m_Greeting = loaded.m_Top.m_Greeting.m_Value;
    for (const auto& record : loaded.m_Records) {
        std::size_t begin = record.first;
        auto value = [&](const char* a_Element) {
            return loaded.Scanner().ElementVal(begin, a_Element);
        };
        CRow row;
        row.m_Source = int(table.m_Rows.size());
        row.m_Name = value(CSchedule::c_Name);
        row.m_Type = value(CSchedule::c_Type);
        row.m_Key = value(CSchedule::c_TimingTime);
        row.m_Finish = Flag(value(CSchedule::c_FinishAtTime));
        row.m_After = Flag(value(CSchedule::c_AfterMsg));
        row.m_Offset = Number(value(CSchedule::c_OffsetTime));
        row.m_When = loaded.m_Whens[table.m_Rows.size()].m_Value;
        table.m_Rows.push_back(row);
    }
    return table;
}

bool CTimetable::WriteInto(std::string& a_Text, std::string& a_Why) const {
    std::vector<std::string> all{m_Interval, m_Quiet, m_LeadIn, m_Greeting};
    for (const CRow& row : m_Rows)
        all.insert(all.end(), {row.m_Name, row.m_Type, row.m_Key, row.m_When});
    for (const std::string& value : all)
        if (value.find('<') != npos) {
            a_Why = "\"" + value + "\" cannot stand in the schedule: a value cannot hold <";
            return false;
        }
    std::string text = Restructured(a_Text);
    // Each round sets what reads otherwise; a value added to a record may change what a record
    // before it borrowed, which the next round sets in turn.
    for (std::size_t round = 0; round <= m_Rows.size() + 2; ++round) {
        CLoaded loaded(text);
        if (m_Loads && loaded.m_Loads && loaded.m_Records.size() != m_Rows.size())
            break;
        std::vector<CSplice> splices = Fixes(loaded, *this);
        if (splices.empty()) {
            a_Text = text;
            return true;
        }
        text = Applied(text, splices);
    }
    a_Why = "the schedule could not be written as the timetable says: its records could not be "
            "told apart. Edit it in a text editor";
    return false;
}

// The records in the order of the rows, each with the text before it since the record before
// (its comments), and the new ones as init lays them out; the rest of the text as it was.
std::string CTimetable::Restructured(const std::string& a_Text) const {
    CLoaded loaded(a_Text);
    const auto& records = loaded.m_Records;
    bool same = m_Rows.size() == records.size();
    for (std::size_t i = 0; same && i < m_Rows.size(); ++i)
        same = m_Rows[i].m_Source == int(i);
    if (same || !m_Loads || !loaded.m_Loads)
        return a_Text;
    const std::string& text = loaded.Text();
    const CElementScanner& scanner = loaded.Scanner();
    std::size_t recordsTag = scanner.ElementPos(0, CSchedule::c_Records);
    if (recordsTag == npos)
        return a_Text + "  <" + CSchedule::c_Records + ">\n" + NewRecords(m_Rows) + "  " +
               c_RecordsEnd + "\n";
    std::size_t start = AfterLine(text, recordsTag + std::strlen(CSchedule::c_Records) + 2);
    std::vector<std::size_t> ends;
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto [begin, next] = records[i];
        std::size_t closing = scanner.ElementEndPos(begin, CSchedule::c_Record);
        std::size_t listEnd = std::min(text.find(c_RecordsEnd, begin), text.size());
        ends.push_back(closing < next ? AfterLine(text, closing + std::strlen(c_RecordEnd))
                                      : LineStart(text, std::min(next, listEnd), begin));
    }
    if (records.empty()) {
        std::size_t listEnd = text.find(c_RecordsEnd, start);
        start = listEnd == npos ? start : LineStart(text, listEnd, start);
    }
    std::size_t end = records.empty() ? start : ends.back();
    std::string region;
    for (const CRow& row : m_Rows) {
        if (row.m_Source < 0 || std::size_t(row.m_Source) >= records.size()) {
            region += NewRecords({row});
            continue;
        }
        std::size_t from = row.m_Source == 0 ? start : ends[std::size_t(row.m_Source) - 1];
        from = loaded.Source(from);
        region += a_Text.substr(from, loaded.Source(ends[std::size_t(row.m_Source)]) - from);
    }
    std::size_t rawStart = loaded.Source(start), rawEnd = loaded.Source(end);
    return a_Text.substr(0, rawStart) + region + a_Text.substr(rawEnd);
}

std::size_t CTimetable::MoveKeys(float a_FromSecs, float a_ToSecs) {
    std::size_t moved = 0;
    for (CRow& row : m_Rows) {
        float secs = 0;
        if (CElementScanner::ParseTime(row.m_Key, secs) && secs == a_FromSecs) {
            row.m_Key = CInterval::KeyText(a_ToSecs);
            ++moved;
        }
    }
    return moved;
}
