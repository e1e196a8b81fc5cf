#include "StickDir.h"

#include "MediaFinder.h"
#include "Schedule.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

bool CStickDir::Resolve(const std::string& a_Given, std::string& a_Dir, std::string& a_Why) {
    std::string given = WithoutTrailingSlashes(a_Given);
    struct stat st {};
    if (::stat(given.c_str(), &st) != 0) {
        a_Why = given + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        a_Why = given + ": not a directory";
        return false;
    }
    if (::stat((given + "/" + CSchedule::c_FileName).c_str(), &st) == 0) {
        a_Dir = given;
        return true;
    }
    if (CMediaFinder::FindDirOnMount(given, a_Dir))
        return true;
    a_Why = "no schedule directory: neither " + given +
            " nor any directory directly below it holds " + CSchedule::c_FileName;
    return false;
}

std::string CStickDir::WithoutTrailingSlashes(std::string a_Path) {
    while (a_Path.size() > 1 && a_Path.back() == '/')
        a_Path.pop_back();
    return a_Path;
}
