#ifndef QUILLANE_ANNOUNCER_H
#define QUILLANE_ANNOUNCER_H

#include "Platform.h"

#include <iostream>
#include <string>

// Everything from the library scan on: catalogue, load, then the endless announce loop.
class CAnnouncer {
public:
    CAnnouncer(CPlatform& a_Platform, std::ostream& a_Out) : m_Platform(a_Platform), m_Out(a_Out) {}

    // Returns 1 when the schedule cannot be loaded; otherwise announces for ever.
    int Run(const std::string& a_Dir);

private:
    CPlatform& m_Platform;
    std::ostream& m_Out;
};

#endif
