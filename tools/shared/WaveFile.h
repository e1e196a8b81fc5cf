#ifndef QUILLANE_WAVEFILE_H
#define QUILLANE_WAVEFILE_H

#include <string>

class CMonoSound;

// Recordings in the accepted format, as they are written onto a stick (by CStickFile).
class CWaveFile {
public:
    // a_Sound (at the recording rate, within full scale, at most an hour long) as the bytes
    // of a recording: a plain 44-byte header, then the samples.
    static std::string Bytes(const CMonoSound& a_Sound);
    // a_Path as a directory, made when missing (its parent must exist).
    static bool MakeDir(const std::string& a_Path, std::string& a_Why);
};

#endif
