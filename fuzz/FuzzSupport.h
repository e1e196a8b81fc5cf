#ifndef QUILLANE_FUZZSUPPORT_H
#define QUILLANE_FUZZSUPPORT_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the run as a finding, with the reason on stderr; libFuzzer keeps the input.
[[noreturn]] inline void FuzzFail(const std::string& a_Why) {
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n", a_Why.c_str());
    std::abort();
}

inline std::string FuzzLe16(std::uint16_t a_Value) {
    return {char(a_Value & 0xff), char(a_Value >> 8)};
}

inline std::string FuzzLe32(std::uint32_t a_Value) {
    return FuzzLe16(std::uint16_t(a_Value & 0xffff)) + FuzzLe16(std::uint16_t(a_Value >> 16));
}

// A canonical 44-byte header of a playable recording: PCM, mono, 16 bits, 22050 Hz.
inline std::string FuzzWavHeader(std::uint32_t a_DataBytes) {
    return "RIFF" + FuzzLe32(36 + a_DataBytes) + "WAVEfmt " + FuzzLe32(16) + FuzzLe16(1) +
           FuzzLe16(1) + FuzzLe32(22050) + FuzzLe32(44100) + FuzzLe16(2) + FuzzLe16(16) + "data" +
           FuzzLe32(a_DataBytes);
}

#endif
