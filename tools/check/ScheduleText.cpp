#include "check/ScheduleText.h"

#include "ElementScanner.h"
#include "Schedule.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr std::size_t npos = std::string::npos;
constexpr std::size_t c_MaxTagLength = 40;
constexpr std::size_t c_MaxFindings = 1000;
const std::string c_Open = "<!--", c_Close = "-->";

std::string Lower(std::string a_Text) {
    std::transform(a_Text.begin(), a_Text.end(), a_Text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return a_Text;
}
} // namespace

CScheduleText::CScheduleText(std::string a_Text, std::string a_Path)
    : m_Text(std::move(a_Text)), m_Path(std::move(a_Path)) {
    bool mark = m_Text.rfind("\xFF\xFE", 0) == 0 || m_Text.rfind("\xFE\xFF", 0) == 0;
    // Text of Latin letters in UTF-16 is every other byte zero.
    auto zeros = std::size_t(std::count(m_Text.begin(), m_Text.end(), '\0'));
    m_Utf16 = mark || (m_Text.size() >= 4 && zeros >= m_Text.size() / 4);
    m_Scanner.SetText(m_Text);
    m_Lines.push_back(0);
    for (std::size_t pos = m_Text.find('\n'); pos != npos; pos = m_Text.find('\n', pos + 1))
        m_Lines.push_back(pos + 1);
    // Where the board has each comment end.
    for (std::size_t pos = m_Text.find(c_Open); pos != npos; pos = m_Text.find(c_Open, pos)) {
        m_Comments.push_back({pos, CElementScanner::CommentEnd(m_Text, pos)});
        pos = m_Comments.back().m_End;
    }
}

std::size_t CScheduleText::Line(std::size_t a_Pos) const {
    return std::size_t(std::upper_bound(m_Lines.begin(), m_Lines.end(), a_Pos) - m_Lines.begin());
}

std::string CScheduleText::LineText(std::size_t a_Pos) const {
    return "line " + std::to_string(Line(a_Pos));
}

void CScheduleText::AddEncoding(std::vector<CCheckFinding>& a_Findings) const {
    if (m_Utf16) {
        a_Findings.push_back(CCheckFinding::Make(
            EFinding::Encoding, m_Path + " is saved as UTF-16, as Notepad's \"Unicode\" does: "
                                         "the board reads it letter by letter as UTF-8 and finds "
                                         "none of its elements"));
        return;
    }
    if (IsUtf8(m_Text))
        return;
    // The first value that shows it, such as a name with an accent.
    std::size_t odd =
        std::size_t(std::find_if(m_Text.begin(), m_Text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
                    m_Text.begin());
    std::size_t begin = m_Text.find_last_of("<>\n", odd) + 1,
                end = m_Text.find_first_of("<>\n", odd);
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::Encoding,
        m_Path +
            " is saved as Latin-1 (ISO 8859-1), not UTF-8: its names with accents, such as \"" +
            Latin1AsUtf8(CElementScanner::Trimmed(m_Text.substr(begin, end - begin))) + "\" (" + LineText(odd) +
            "), do not match file names written in UTF-8, as PCs write them today");
    finding.m_ChangesPlay = false; // until a name with accents finds no file
    a_Findings.push_back(finding);
}

void CScheduleText::AddFindings(std::vector<CCheckFinding>& a_Findings) const {
    if (m_Utf16)
        return;
    std::vector<CCheckFinding> found;
    std::size_t pos = 0;
    for (std::size_t i = 0; i <= m_Comments.size() && found.size() < c_MaxFindings; ++i) {
        std::size_t end = i < m_Comments.size() ? m_Comments[i].m_Begin : npos;
        for (std::size_t at = m_Text.find('<', pos); at < end && found.size() < c_MaxFindings;
             at = m_Text.find('<', at + 1))
            AddTag(at, found);
        if (i < m_Comments.size()) {
            AddComment(m_Comments[i], found);
            pos = m_Comments[i].m_End;
        }
    }
    a_Findings.insert(a_Findings.end(), found.begin(), found.end());
    // A hostile file may hold millions; the first of them tell what to mend.
    if (found.size() >= c_MaxFindings)
        a_Findings.push_back(CCheckFinding::Make(
            EFinding::MoreFindings, "Further findings about the schedule's text are not listed"));
}

// A comment that holds another <!-- ends at the first -->, earlier than it seems to; one with a
// -- that looks like its end, or none at all, ends later.
void CScheduleText::AddComment(const CComment& a_Comment,
                               std::vector<CCheckFinding>& a_Findings) const {
    std::string begins = LineText(a_Comment.m_Begin) + ": the comment that begins here ";
    if (m_Text.compare(a_Comment.m_End - c_Close.size(), c_Close.size(), c_Close) != 0) {
        CCheckFinding finding = CCheckFinding::Make(
            EFinding::CommentEnd, begins + "has no end -->, so the board reads nothing after it",
            "end the comment with --> where it should end");
        finding.m_ChangesPlay = HoldsTag(a_Comment.m_Begin + c_Open.size(), a_Comment.m_End);
        a_Findings.push_back(finding);
        return;
    }
    // The dashes of an inner <!-- are that comment's.
    std::size_t dashes = m_Text.find("--", a_Comment.m_Begin + c_Open.size());
    std::size_t close = a_Comment.m_End - c_Close.size();
    if (dashes >= close || m_Text.compare(dashes - 2, c_Open.size(), c_Open) == 0 ||
        !HoldsTag(dashes, close)) {
        EndsElsewhere(a_Comment, a_Findings);
        return;
    }
    a_Findings.push_back(
        CCheckFinding::Make(EFinding::CommentEnd,
                            begins + "holds -- on " + LineText(dashes) +
                                ", which does not end it: the board reads "
                                "on to the --> on " +
                                LineText(close) + " and leaves out what stands between",
                            "end a comment with --> exactly, and write no -- inside one"));
}

// Another <!-- inside: the comment seems to end at its matching -->, past the first one.
void CScheduleText::EndsElsewhere(const CComment& a_Comment,
                                  std::vector<CCheckFinding>& a_Findings) const {
    std::size_t inner = m_Text.find(c_Open, a_Comment.m_Begin + c_Open.size());
    if (inner >= a_Comment.m_End)
        return;
    int depth = 1;
    std::size_t pos = a_Comment.m_Begin + c_Open.size(), seeming = npos;
    while (seeming == npos) {
        std::size_t open = m_Text.find(c_Open, pos), close = m_Text.find(c_Close, pos);
        if (close == npos)
            break;
        depth += open < close ? 1 : -1;
        pos = (open < close ? open + c_Open.size() : close + c_Close.size());
        seeming = depth == 0 ? close : npos;
    }
    std::size_t ends = a_Comment.m_End - c_Close.size();
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::CommentEnd,
        LineText(a_Comment.m_Begin) + ": the comment that begins here holds another <!-- on " +
            LineText(inner) + ", and the board ends it at the first --> (" + LineText(ends) + ")" +
            (seeming == npos ? "" : ", not at " + LineText(seeming)) +
            ": what stands after that is read",
        "a comment cannot hold another: take out the inner <!-- and -->");
    finding.m_ChangesPlay = seeming != npos && HoldsTag(a_Comment.m_End, seeming);
    a_Findings.push_back(finding);
}

// A tag that begins a record, the list of records or the interval, written otherwise.
void CScheduleText::AddTag(std::size_t a_Pos, std::vector<CCheckFinding>& a_Findings) const {
    std::size_t close = m_Text.find_first_of("<>", a_Pos + 1);
    if (close == npos || m_Text[close] != '>' || close - a_Pos > c_MaxTagLength)
        return;
    std::string inside = m_Text.substr(a_Pos + 1, close - a_Pos - 1);
    std::string word = inside.substr(0, inside.find_first_of(" \t\r\n/"));
    static const char* const c_Needed[] = {CSchedule::c_Record, CSchedule::c_Records,
                                           CSchedule::c_Frequency};
    const char* meant = nullptr;
    for (const char* tag : c_Needed)
        if (inside == tag)
            return;
        else if (EditDistance(Lower(word), Lower(tag)) <= 2 &&
                 (!meant ||
                  EditDistance(Lower(word), Lower(tag)) < EditDistance(Lower(word), Lower(meant))))
            meant = tag;
    if (!meant || word.size() < 4)
        return;
    bool record = meant == CSchedule::c_Record;
    // With the tag itself elsewhere, the board reads the records and the interval there.
    if (!record && m_Scanner.ElementPos(0, meant) != npos)
        return;
    std::string tag = std::string("<") + meant + ">";
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::MisspelledTag,
        LineText(a_Pos) + ": the board does not read <" + inside + ">" +
            (word == meant ? ": it reads " + tag + " only with nothing else inside the brackets"
             : Lower(word) == Lower(meant) ? " (letter case counts): did you mean " + tag + "?"
                                           : ": did you mean " + tag + "?") +
            (record                          ? " The record that begins there is not read"
             : meant == CSchedule::c_Records ? " So the board reads none of the records"
                                             : " So the board cannot load the schedule"),
        "write " + tag + " in its place");
    a_Findings.push_back(finding);
}

// Some tag stands between the two: what a comment hides or lets through matters.
bool CScheduleText::HoldsTag(std::size_t a_Begin, std::size_t a_End) const {
    for (std::size_t at = m_Text.find('<', a_Begin); at + 1 < a_End && at != npos;
         at = m_Text.find('<', at + 1))
        if (std::isalpha(static_cast<unsigned char>(m_Text[at + 1])) || m_Text[at + 1] == '/')
            return true;
    return false;
}
