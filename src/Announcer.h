#ifndef QUILLANE_ANNOUNCER_H
#define QUILLANE_ANNOUNCER_H

#include "LeadInFile.h"
#include "MountTable.h"
#include "Platform.h"

#include <array>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

class CSchedule;

// Everything from finding the stick on: catalogue, load, then the announce loop, for as long
// as the stick stays in.
class CAnnouncer {
public:
    CAnnouncer(CPlatform& a_Platform, std::ostream& a_Out,
               std::string a_MountTable = CMountTable::c_Path);

    // Finds a stick and announces from it; when it is pulled, looks for a stick again, for
    // ever. Returns 1 when a stick's schedule cannot be loaded, 255 when the mount table cannot
    // be read.
    int Run();
    // Announces from a_Dir until the mount holding it leaves the mount table (then 0); returns
    // 1 when the schedule cannot be loaded.
    int Run(const std::string& a_Dir);

private:
    // What tells one mount from another at the same point: the device and inode of its root and
    // the kernel's mount ID (where the kernel gives it).
    using Identity = std::array<std::uint64_t, 3>;

    int Announce(const std::string& a_Dir, const std::string& a_Mount);
    // The stick is still in after a pass (a_Kept: the pass did not end on a change of the mount
    // table): its mount is in the table and is the one it was, not another at the same point.
    bool StillIn(bool a_Kept, const std::string& a_Mount, const Identity& a_Identity) const;
    static Identity IdentityOf(const std::string& a_Mount);
    // Writes the lead-in the schedule asks for and has it played.
    void UseLeadIn(CSchedule& a_Schedule);
    // The mount point holding a_Path: the longest one in the table that leads to it.
    std::string MountOf(const std::string& a_Path) const;
    // True unless the table, once read, lacks a_Mount.
    bool Mounted(const std::string& a_Mount) const;
    bool MountPoints(std::vector<std::string>& a_Points) const;

    CPlatform& m_Platform;
    std::ostream& m_Out;
    std::string m_MountTable;
    CLeadInFile m_LeadIn;
};

#endif
