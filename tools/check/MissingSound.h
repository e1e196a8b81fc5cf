#ifndef QUILLANE_MISSINGSOUND_H
#define QUILLANE_MISSINGSOUND_H

#include "SoundLibrary.h"
#include "check/CheckReport.h"

#include <map>
#include <string>
#include <vector>

// What a person most likely meant by an announcement the stick lacks, and what to do about it: a
// file the catalogue left out, a file of that name in another letter case, with its accents
// written otherwise or the schedule saved in Latin-1, a compressed recording of that name.
class CMissingSound {
public:
    struct CExplained {
        std::string m_Where; // how the stick lacks it, e.g. "is not on the stick"
        std::string m_Hint;
    };

    // a_Findings: those made so far, which name the files the catalogue left out.
    CMissingSound(const std::string& a_Dir, const CSoundLibrary& a_Library,
                  const std::vector<CCheckFinding>& a_Findings, bool a_Latin1);

    CExplained Explain(const std::string& a_Name) const;
    // a_Name with each accented Latin letter written as one character, as most systems write
    // names; a Mac writes it as the letter followed by the accent.
    static std::string Composed(const std::string& a_Name);

private:
    bool Near(const std::string& a_Name, CExplained& a_Explained) const;
    bool Compressed(const std::string& a_Name, CExplained& a_Explained) const;
    static std::string Renaming(const std::string& a_Path, const std::string& a_Name);

    std::string m_Dir;
    const CSoundLibrary& m_Library;
    const std::vector<CCheckFinding>& m_Findings;
    bool m_Latin1;
    mutable bool m_Walked = false;
    mutable std::map<std::string, std::string> m_Compressed; // import name -> path
};

#endif
