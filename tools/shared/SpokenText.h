#ifndef QUILLANE_SPOKENTEXT_H
#define QUILLANE_SPOKENTEXT_H

#include "Slot.h"

#include <list>
#include <string>

// What a chain says, for a person: its announcements by name and each spoken time as a time,
// "platform-2, the time 12:15"; a sound the stick lacks is marked "(missing)".
std::string SpokenText(const std::list<CSlot>& a_Slots);

#endif
