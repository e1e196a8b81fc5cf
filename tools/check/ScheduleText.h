#ifndef QUILLANE_SCHEDULETEXT_H
#define QUILLANE_SCHEDULETEXT_H

#include "ElementScanner.h"
#include "check/CheckReport.h"

#include <cstddef>
#include <string>
#include <vector>

// The schedule file as a person wrote it in a text editor, judged by how the board reads it: the
// encoding it was saved in, where its comments end, and the tags that begin its records and
// hold its interval. Findings name lines, counted from 1 as editors count them.
class CScheduleText {
public:
    // a_Text: the file's bytes; a_Path: its name in findings.
    CScheduleText(std::string a_Text, std::string a_Path);

    // Saved as UTF-16 (Notepad's "Unicode"): no tag is found in it.
    bool Utf16() const { return m_Utf16; }
    // The finding on its encoding, none for UTF-8; a Latin-1 one is taken not to change play.
    void AddEncoding(std::vector<CCheckFinding>& a_Findings) const;
    // Comments that end elsewhere than they seem to, and misspelled tags the board needs.
    void AddFindings(std::vector<CCheckFinding>& a_Findings) const;

private:
    struct CComment {
        std::size_t m_Begin, m_End; // where the board has it begin and end (past its -->)
    };
    std::size_t Line(std::size_t a_Pos) const;
    std::string LineText(std::size_t a_Pos) const;
    void AddComment(const CComment& a_Comment, std::vector<CCheckFinding>& a_Findings) const;
    void EndsElsewhere(const CComment& a_Comment, std::vector<CCheckFinding>& a_Findings) const;
    void AddTag(std::size_t a_Pos, std::vector<CCheckFinding>& a_Findings) const;
    bool HoldsTag(std::size_t a_Begin, std::size_t a_End) const;

    std::string m_Text, m_Path;
    bool m_Utf16 = false;
    std::vector<std::size_t> m_Lines; // where each line begins
    std::vector<CComment> m_Comments; // as the board reads them, in file order
    CElementScanner m_Scanner;        // the text as the board searches it
};

#endif
