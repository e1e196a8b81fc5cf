#ifndef QUILLANE_ELEMENTSCANNER_H
#define QUILLANE_ELEMENTSCANNER_H

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Takes values out of schedule text by plain tag search: the value of element "name" is what
// stands between "<name>" and the next "</name>". Everything inside an XML comment, from "<!--"
// to the next "-->" (or to the end of a comment left open), is invisible to it.
class CElementScanner {
public:
    void SetText(const std::string& a_Text);

    // Where "<a_Name>", or "</a_Name>", first stands at or after a_Pos; npos when nowhere.
    std::size_t ElementPos(std::size_t a_Pos, const std::string& a_Name) const;
    std::size_t ElementEndPos(std::size_t a_Pos, const std::string& a_Name) const;
    // The value of the first a_Name element at or after a_Pos; empty when there is none.
    std::string ElementVal(std::size_t a_Pos, const std::string& a_Name) const;
    // The text searched: the schedule with its comments left out, which positions refer to.
    const std::string& Text() const { return m_Text; }
    // Where a_Pos of Text() stands in the text given to SetText (before any comment that begins
    // there), for a tool that edits the schedule in place.
    std::size_t SourcePos(std::size_t a_Pos) const;

    // Where the comment that opens at a_Open ("<!--") ends: just past the first "-->" after
    // it, or at the end of a_Text when there is none.
    static std::size_t CommentEnd(const std::string& a_Text, std::size_t a_Open);
    // atoi's reading of a_Text, a number beyond the int range clamped; false when the text is
    // not a whole number.
    static bool ParseInt(const std::string& a_Text, int& a_Value);
    // M:SS.T as seconds; false (and 0) when the text is not of that form.
    static bool ParseTime(const std::string& a_Text, float& a_Secs);
    // a_Text without the blanks, tabs and line breaks around it.
    static std::string Trimmed(const std::string& a_Text);

private:
    std::size_t FindTag(std::size_t a_Pos, const std::string& a_Tag) const;

    std::string m_Text; // without its comments
    // Where each piece of m_Text between two comments begins, in m_Text and in the text given.
    std::vector<std::pair<std::size_t, std::size_t>> m_Pieces;
    // Where each tag was last searched from and found: the loader searches from increasing
    // positions, so a find still at or after the new start answers again.
    mutable std::map<std::string, std::pair<std::size_t, std::size_t>> m_TagCache;
};

#endif
