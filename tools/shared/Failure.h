#ifndef QUILLANE_FAILURE_H
#define QUILLANE_FAILURE_H

#include <string>

// Failures travel as results, in two forms. An object that opens or starts something outside
// the program (a recording, the speech engine, a temporary file) records whether it is usable,
// as CWave does: isValid() and lastError(). A function that does or makes something returns
// false (or no value) and puts the reason, in plain words, in its a_Why.

// Sets a_Why to a_Reason and returns false, so that one line both reports and gives up.
inline bool Fail(std::string& a_Why, std::string a_Reason) {
    a_Why = std::move(a_Reason);
    return false;
}

#endif
