#ifndef QUILLANE_MEDIAFINDER_H
#define QUILLANE_MEDIAFINDER_H

#include "MountTable.h"
#include "Platform.h"

#include <iostream>
#include <string>
#include <vector>

// Finds the schedule directory: a first-level subdirectory, holding "forVrex.xml", of a
// mounted "/dev/sd" device.
class CMediaFinder {
public:
    CMediaFinder(CPlatform& a_Platform, std::ostream& a_Out,
                 std::string a_MountTable = CMountTable::c_Path);

    // Looks again whenever the mount table changes, and every 10 seconds, until found; false
    // only when the mount table cannot be read.
    bool FindDir(std::string& a_Dir);
    static bool FindDirOnMount(const std::string& a_Mount, std::string& a_Dir);
    // Every directory directly below a_Mount that holds the schedule file, in the order the
    // board meets them: the first is the one it uses.
    static std::vector<std::string> ScheduleDirsOnMount(const std::string& a_Mount);

private:
    // One pass over the table: the first "/dev/sd" device holding a schedule directory.
    static bool SearchMounts(const std::vector<CMountTable::Mount>& a_Mounts, std::string& a_Dir);

    std::string m_MountTable;
    CPlatform& m_Platform;
    std::ostream& m_Out;
};

#endif
