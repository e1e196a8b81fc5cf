#ifndef QUILLANE_STICKDIR_H
#define QUILLANE_STICKDIR_H

#include <string>

// The schedule directory a person names on a PC: a stick's mount point, searched one level down
// as the board searches it, or the schedule directory itself.
class CStickDir {
public:
    // a_Given itself when it holds the schedule file, otherwise the first directory directly
    // below it that does, as on the board. On false a_Why says what was found instead.
    static bool Resolve(const std::string& a_Given, std::string& a_Dir, std::string& a_Why);
    // a_Path without the slashes at its end ("/" stays "/"), as directories are named in reports.
    static std::string WithoutTrailingSlashes(std::string a_Path);
};

#endif
