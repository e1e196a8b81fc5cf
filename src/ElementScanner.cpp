#include "ElementScanner.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

void CElementScanner::SetText(const std::string& a_Text) {
    m_Text.clear();
    m_TagCache.clear();
    m_Pieces.clear();
    for (std::size_t pos = 0; pos < a_Text.size();) {
        std::size_t open = a_Text.find("<!--", pos);
        m_Pieces.emplace_back(m_Text.size(), pos);
        m_Text.append(a_Text, pos, open == std::string::npos ? std::string::npos : open - pos);
        pos = open == std::string::npos ? a_Text.size() : CommentEnd(a_Text, open);
    }
}

std::size_t CElementScanner::SourcePos(std::size_t a_Pos) const {
    // The first piece that reaches a_Pos: a comment there stays after the position.
    auto end = [this](std::size_t a_Piece) {
        return a_Piece + 1 < m_Pieces.size() ? m_Pieces[a_Piece + 1].first : m_Text.size();
    };
    std::size_t low = 0, high = m_Pieces.size();
    while (low < high) {
        std::size_t middle = (low + high) / 2;
        if (end(middle) < a_Pos)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == m_Pieces.size())
        return a_Pos;
    return m_Pieces[low].second + (a_Pos - m_Pieces[low].first);
}

std::size_t CElementScanner::CommentEnd(const std::string& a_Text, std::size_t a_Open) {
    std::size_t close = a_Text.find("-->", a_Open + 4);
    return close == std::string::npos ? a_Text.size() : close + 3;
}

std::size_t CElementScanner::ElementPos(std::size_t a_Pos, const std::string& a_Name) const {
    return FindTag(a_Pos, "<" + a_Name + ">");
}

std::size_t CElementScanner::ElementEndPos(std::size_t a_Pos, const std::string& a_Name) const {
    return FindTag(a_Pos, "</" + a_Name + ">");
}

std::string CElementScanner::ElementVal(std::size_t a_Pos, const std::string& a_Name) const {
    std::size_t start = ElementPos(a_Pos, a_Name);
    if (start == std::string::npos)
        return "";
    std::size_t end = ElementEndPos(a_Pos, a_Name);
    std::size_t valueStart = start + a_Name.size() + 2;
    // A closing tag before the end of the opening tag encloses nothing.
    if (end == std::string::npos || end < valueStart)
        return "";
    return m_Text.substr(valueStart, end - valueStart);
}

std::size_t CElementScanner::FindTag(std::size_t a_Pos, const std::string& a_Tag) const {
    if (a_Pos >= m_Text.size())
        return std::string::npos;
    auto& cached =
        m_TagCache.try_emplace(a_Tag, std::string::npos, std::string::npos).first->second;
    // Nothing lies between the last start and the last find, so that find still answers.
    if (cached.first != std::string::npos && cached.first <= a_Pos && a_Pos <= cached.second)
        return cached.second;
    cached = {a_Pos, m_Text.find(a_Tag, a_Pos)};
    return cached.second;
}

bool CElementScanner::ParseInt(const std::string& a_Text, int& a_Value) {
    const char* begin = a_Text.c_str();
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(begin, &end, 10);
    bool inRange = errno != ERANGE && value >= INT_MIN && value <= INT_MAX;
    a_Value = int(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
    return end != begin && inRange;
}

bool CElementScanner::ParseTime(const std::string& a_Text, float& a_Secs) {
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

std::string CElementScanner::Trimmed(const std::string& a_Text) {
    const char* const blanks = " \t\r\n";
    std::size_t first = a_Text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    return a_Text.substr(first, a_Text.find_last_not_of(blanks) - first + 1);
}
