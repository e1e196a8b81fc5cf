#ifndef QUILLANE_WAVEFILE_H
#define QUILLANE_WAVEFILE_H

#include <string>

class CMonoSound;

// Writes recordings in the accepted format onto a stick, so that a failure or a pulled stick
// never leaves a half-written recording behind.
class CWaveFile {
public:
    // a_Sound (at the recording rate, within full scale) as a_Path: written to a temporary
    // file beside it, then renamed over it. False, with a_Why giving the reason, on failure.
    static bool Write(const std::string& a_Path, const CMonoSound& a_Sound, std::string& a_Why);
    // a_Text as a_Path, the same way.
    static bool WriteText(const std::string& a_Path, const std::string& a_Text, std::string& a_Why);
    // a_Path as a directory, made when missing (its parent must exist).
    static bool MakeDir(const std::string& a_Path, std::string& a_Why);
};

#endif
