#ifndef QUILLANE_SLOT_H
#define QUILLANE_SLOT_H

#include "TimeVal.h"

#include <string>

// One file to play.
class CSlot {
public:
    CTimeVal m_Time;
    std::string m_FileName;  // empty when the library has no such sound
    std::string m_SoundName; // the name asked for, kept so tools can name a missing sound
};

#endif
