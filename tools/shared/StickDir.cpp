#include "shared/StickDir.h"

#include "shared/Failure.h"

#include "MediaFinder.h"
#include "Schedule.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

bool CStickDir::Resolve(const std::string& a_Given, std::string& a_Dir, std::string& a_Why) {
    std::string given = WithoutTrailingSlashes(a_Given);
    struct stat st {};
    if (::stat(given.c_str(), &st) != 0)
        return Fail(a_Why, given + ": " + std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return Fail(a_Why, given + ": not a directory");
    if (::stat((given + "/" + CSchedule::c_FileName).c_str(), &st) == 0) {
        a_Dir = given;
        return true;
    }
    return CMediaFinder::FindDirOnMount(given, a_Dir) ||
           Fail(a_Why, "no schedule directory: neither " + given +
                           " nor any directory directly below it holds " + CSchedule::c_FileName);
}

std::string CStickDir::WithoutTrailingSlashes(std::string a_Path) {
    while (a_Path.size() > 1 && a_Path.back() == '/')
        a_Path.pop_back();
    return a_Path;
}
