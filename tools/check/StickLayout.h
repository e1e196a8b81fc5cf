#ifndef QUILLANE_STICKLAYOUT_H
#define QUILLANE_STICKLAYOUT_H

#include "check/CheckReport.h"

#include <string>
#include <vector>

// Where the schedule sits on a stick, judged by the rule the board finds it by: the first
// directory directly below the top of the stick that holds forVrex.xml, named exactly so.
class CStickLayout {
public:
    // a_Given: the directory as the person named it; a_Dir: the schedule directory check found
    // there, or empty when none. a_Unheard: set when the board will play nothing of a_Dir.
    static void AddFindings(const std::string& a_Given, const std::string& a_Dir,
                            std::vector<CCheckFinding>& a_Findings, std::string& a_Unheard);

private:
    // The top of the stick a_Dir lies on, or empty when a_Given is not on one we can tell.
    static std::string Top(const std::string& a_Given, const std::string& a_Dir,
                           std::vector<CCheckFinding>& a_Findings, std::string& a_Unheard);
    static bool IsMountPoint(const std::string& a_Dir);
    static void AddOtherDirs(const std::string& a_Top, const std::string& a_Dir,
                             std::vector<CCheckFinding>& a_Findings, std::string& a_Unheard);
    static void AddNameCase(const std::string& a_Given, std::vector<CCheckFinding>& a_Findings);
    static void AddNameCaseIn(const std::string& a_Dir, std::vector<CCheckFinding>& a_Findings);
};

#endif
