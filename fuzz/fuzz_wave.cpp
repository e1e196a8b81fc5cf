// Bytes in, CWave out: any file a stick can hold must give a clear verdict, and the verdict
// must agree with an independent reading of the header.
#include "FuzzSupport.h"
#include "Wave.h"

#include <cstring>
#include <optional>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Verdict {
    bool m_Valid = false;
    std::uint32_t m_Samples = 0;
    std::string m_Error; // empty where the wording is the reader's own choice (short reads)
};

std::uint32_t At32(const std::string& a_Bytes, std::size_t a_Pos) {
    return std::uint32_t(std::uint8_t(a_Bytes[a_Pos])) |
           std::uint32_t(std::uint8_t(a_Bytes[a_Pos + 1])) << 8 |
           std::uint32_t(std::uint8_t(a_Bytes[a_Pos + 2])) << 16 |
           std::uint32_t(std::uint8_t(a_Bytes[a_Pos + 3])) << 24;
}

std::uint32_t At16(const std::string& a_Bytes, std::size_t a_Pos) {
    return At32(a_Bytes.substr(a_Pos, 2) + std::string(2, '\0'), 0);
}

Verdict Refuse(const std::string& a_Error) {
    return {false, 0, a_Error};
}

// The format checks, in the order the announcer documents them.
std::optional<Verdict> CheckFormat(const std::string& a_Bytes) {
    const std::string prefix = "Unable to handle this format - ";
    if (At16(a_Bytes, 20) != 1)
        return Refuse(prefix + "can only handle format 1 (PCM) files.");
    if (At32(a_Bytes, 16) != 16 && At32(a_Bytes, 16) != 18)
        return Refuse(prefix + "fmt chunk is unexpected length.");
    if (At16(a_Bytes, 34) != 16)
        return Refuse(prefix + "only 16 bits/sample supported.");
    if (At32(a_Bytes, 24) != 22050)
        return Refuse(prefix + "only 22050 Hz supported.");
    if (At32(a_Bytes, 28) != 44100)
        return Refuse(prefix + "only 44100 Bytes/sec supported.");
    if (At16(a_Bytes, 22) != 1)
        return Refuse(prefix + "only single channel (mono) is supported.");
    return std::nullopt;
}

// What follows the format chunk: a fact chunk then a data header, or a data header alone.
Verdict CheckChunks(const std::string& a_Bytes, std::size_t a_Pos) {
    const std::string prefix = "Unable to handle this format - ";
    if (a_Bytes.size() < a_Pos + 8)
        return Refuse("");
    if (a_Bytes.compare(a_Pos, 4, "data") == 0)
        return {true, At32(a_Bytes, a_Pos + 4) / 2, ""};
    if (a_Bytes.compare(a_Pos, 4, "fact") != 0)
        return Refuse(prefix + "unexpected chunk found when expecting fact or data.");
    if (At32(a_Bytes, a_Pos + 4) != 4)
        return Refuse(a_Bytes.size() < a_Pos + 12 ? ""
                                                  : prefix + "fact chunk is unexpected length.");
    if (a_Bytes.size() < a_Pos + 20)
        return Refuse("");
    return {true, At32(a_Bytes, a_Pos + 8), ""};
}

Verdict Expected(const std::string& a_Bytes) {
    if (a_Bytes.size() < 12)
        return Refuse("Couldn't read RIFF data in wav file.");
    if (a_Bytes.size() < 36)
        return Refuse("");
    if (auto refused = CheckFormat(a_Bytes))
        return *refused;
    return CheckChunks(a_Bytes, At32(a_Bytes, 16) == 18 ? 38 : 36);
}

// One memory file for the whole run: no disk traffic per input.
int MemoryFile() {
    static const int fd = memfd_create("fuzz_wave", 0);
    if (fd < 0)
        FuzzFail("memfd_create failed");
    return fd;
}

void CompareVerdicts(const CWave& a_Wave, const Verdict& a_Expected) {
    if (a_Wave.isValid() != a_Expected.m_Valid)
        FuzzFail("validity differs; reader says: " + a_Wave.lastError());
    if (a_Expected.m_Valid) {
        const float expected = float(a_Expected.m_Samples) / float(22050u);
        if (a_Wave.getDuration() != expected)
            FuzzFail("duration differs: " + std::to_string(a_Wave.getDuration()));
        return;
    }
    if (!a_Expected.m_Error.empty() && a_Wave.lastError() != a_Expected.m_Error)
        FuzzFail("message differs: " + a_Wave.lastError());
    try {
        a_Wave.getDuration();
        FuzzFail("getDuration of an invalid file did not throw");
    } catch (const std::string& thrown) {
        if (thrown != a_Wave.lastError())
            FuzzFail("thrown text differs from the last error");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* a_Data, std::size_t a_Size) {
    const std::string bytes(reinterpret_cast<const char*>(a_Data), a_Size);
    const int fd = MemoryFile();
    if (ftruncate(fd, 0) != 0 || pwrite(fd, bytes.data(), bytes.size(), 0) != ssize_t(a_Size))
        FuzzFail("cannot write the memory file");
    const CWave wave("/proc/self/fd/" + std::to_string(fd));
    CompareVerdicts(wave, Expected(bytes));
    return 0;
}
