#ifndef QUILLANE_WAVEFILE_H
#define QUILLANE_WAVEFILE_H

#include <string>

class CMonoSound;

// Writes recordings in the accepted format onto a stick, so that a failure or a pulled stick
// never leaves a half-written recording behind.
class CWaveFile {
public:
    // a_Sound (at the recording rate, within full scale) as a_Path: written to a temporary
    // file beside it, then renamed over it. Throws std::runtime_error with the reason.
    static void Write(const std::string& a_Path, const CMonoSound& a_Sound);
    // a_Text as a_Path, the same way.
    static void WriteText(const std::string& a_Path, const std::string& a_Text);
    // a_Path as a directory, made when missing (its parent must exist).
    static void MakeDir(const std::string& a_Path);
};

#endif
