#include "check/StickLayout.h"

#include "MediaFinder.h"
#include "Schedule.h"
#include "shared/StickDir.h"

#include <filesystem>
#include <strings.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
// The parent as a person writes it: /media/usb for /media/usb/announcer.
std::string ParentOf(const std::string& a_Dir) {
    fs::path path = fs::path(a_Dir).lexically_normal();
    if (path.filename() == "." || path.filename() == ".." || path.filename().empty())
        return a_Dir + "/..";
    return path.has_parent_path() ? path.parent_path().string() : ".";
}

bool Same(const std::string& a_Lhs, const std::string& a_Rhs) {
    std::error_code error;
    return fs::equivalent(a_Lhs, a_Rhs, error);
}
} // namespace

void CStickLayout::AddFindings(const std::string& a_Given, const std::string& a_Dir,
                               std::vector<CCheckFinding>& a_Findings, std::string& a_Unheard) {
    if (a_Dir.empty()) {
        AddNameCase(CStickDir::WithoutTrailingSlashes(a_Given), a_Findings);
        return;
    }
    std::string top = Top(CStickDir::WithoutTrailingSlashes(a_Given), a_Dir, a_Findings, a_Unheard);
    if (!top.empty())
        AddOtherDirs(top, a_Dir, a_Findings, a_Unheard);
}

std::string CStickLayout::Top(const std::string& a_Given, const std::string& a_Dir,
                              std::vector<CCheckFinding>& a_Findings, std::string& a_Unheard) {
    if (a_Dir != a_Given)
        return a_Given; // found one level down, as on the board
    if (IsMountPoint(a_Dir)) {
        a_Findings.push_back(CCheckFinding::Make(
            EFinding::ScheduleAtTop,
            a_Dir + "/" + CSchedule::c_FileName +
                " lies at the top of the stick, where the "
                "board never looks: it looks only in the directories directly below the top",
            "move " + std::string(CSchedule::c_FileName) +
                " and the recordings into a directory "
                "such as " +
                a_Dir + "/announcer"));
        a_Unheard = "nothing will ever be heard: the board does not look at the top of the stick, "
                    "and no directory directly below it holds " +
                    std::string(CSchedule::c_FileName);
        return a_Dir;
    }
    std::string parent = ParentOf(a_Dir);
    if (IsMountPoint(parent))
        return parent;
    std::string name = fs::path(a_Dir).lexically_normal().filename().string();
    a_Findings.push_back(CCheckFinding::Make(
        EFinding::PlacementReminder,
        a_Dir +
            " does not lie directly below the top of a stick, the only place where the board "
            "looks for " +
            CSchedule::c_FileName + "; check looked at it as if it did",
        "copy " + (name.empty() || name == "." ? "this directory" : name) +
            ", with everything in it, to the top of the stick, as in /media/usb/" +
            (name.empty() || name == "." ? "announcer" : name)));
    return "";
}

// The top of a file system: another device than its parent's, or its own parent (the root).
bool CStickLayout::IsMountPoint(const std::string& a_Dir) {
    struct stat self {
    }, parent{};
    if (::stat(a_Dir.c_str(), &self) != 0 || ::stat((a_Dir + "/..").c_str(), &parent) != 0)
        return false;
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

void CStickLayout::AddOtherDirs(const std::string& a_Top, const std::string& a_Dir,
                                std::vector<CCheckFinding>& a_Findings, std::string& a_Unheard) {
    std::vector<std::string> dirs = CMediaFinder::ScheduleDirsOnMount(a_Top);
    std::string ignored;
    for (const std::string& dir : dirs)
        if (dir != dirs.front())
            ignored += (ignored.empty() ? "" : ", ") + dir;
    if (dirs.empty() || (ignored.empty() && Same(dirs.front(), a_Dir)))
        return;
    // The one checked may be the one the board ignores.
    std::string checked = Same(dirs.front(), a_Dir) ? "" : "; check looked at " + a_Dir;
    if (!checked.empty())
        a_Unheard = "nothing of this schedule will ever be heard: the board uses " + dirs.front() +
                    "/" + CSchedule::c_FileName + " instead";
    a_Findings.push_back(CCheckFinding::Make(
        EFinding::SeveralScheduleDirs,
        "More than one directory on the stick holds " + std::string(CSchedule::c_FileName) +
            ": the board uses " + dirs.front() + " and ignores " +
            (ignored.empty() ? a_Dir : ignored) + checked,
        "keep " + std::string(CSchedule::c_FileName) + " in one directory only"));
}

void CStickLayout::AddNameCase(const std::string& a_Given, std::vector<CCheckFinding>& a_Findings) {
    AddNameCaseIn(a_Given, a_Findings);
    std::error_code error;
    for (fs::directory_iterator it(a_Given, error), end; !error && it != end; it.increment(error))
        if (it->is_directory(error) && !it->is_symlink(error))
            AddNameCaseIn(it->path().string(), a_Findings);
}

void CStickLayout::AddNameCaseIn(const std::string& a_Dir, std::vector<CCheckFinding>& a_Findings) {
    std::error_code error;
    for (fs::directory_iterator it(a_Dir, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (strcasecmp(name.c_str(), CSchedule::c_FileName) == 0)
            a_Findings.push_back(
                CCheckFinding::Make(EFinding::ScheduleNameCase,
                                    it->path().string() +
                                        " is the schedule file in another letter case: the "
                                        "board looks for " +
                                        CSchedule::c_FileName + " exactly and does not find it",
                                    "rename it to " + std::string(CSchedule::c_FileName)));
    }
}
