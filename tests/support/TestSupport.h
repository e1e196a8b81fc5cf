#ifndef QUILLANE_TESTSUPPORT_H
#define QUILLANE_TESTSUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

// A fresh directory under $TMPDIR, removed with everything in it.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::string& Path() const { return m_Path; }
    // a_Rel below the directory; parent directories are created.
    std::string Write(const std::string& a_Rel, const std::string& a_Bytes) const;

private:
    std::string m_Path;
};

// A 44-byte canonical header (no fact chunk) and a_DataBytes of silence.
std::string WavBytes(std::uint32_t a_DataBytes, std::uint16_t a_Channels = 1,
                     std::uint32_t a_Rate = 22050, std::uint16_t a_Bits = 16);
// A playable recording of a_Seconds (22050 Hz mono 16-bit), written below a_Dir.
std::string WriteWav(const CTempDir& a_Dir, const std::string& a_Rel, double a_Seconds);

std::string ReadFile(const std::string& a_Path);
void MakeDirs(const std::string& a_Path);
// Little-endian field writers for building headers byte by byte.
std::string Le16(std::uint16_t a_Value);
std::string Le32(std::uint32_t a_Value);

#endif
