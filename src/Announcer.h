#ifndef QUILLANE_ANNOUNCER_H
#define QUILLANE_ANNOUNCER_H

#include "LeadInFile.h"
#include "MountTable.h"
#include "Platform.h"

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
    int Announce(const std::string& a_Dir, const std::string& a_Mount);
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
