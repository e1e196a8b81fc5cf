#include "Wave.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const c_ShortRiff = "Couldn't read RIFF data in wav file.";
const char* const c_ShortHeader = "Couldn't read header data in wav file.";
const char* const c_BadTag = "Unable to handle this format - can only handle format 1 (PCM) files.";
const char* const c_BadFmtSize = "Unable to handle this format - fmt chunk is unexpected length.";
const char* const c_BadBits = "Unable to handle this format - only 16 bits/sample supported.";
const char* const c_BadRate = "Unable to handle this format - only 22050 Hz supported.";
const char* const c_BadByteRate = "Unable to handle this format - only 44100 Bytes/sec supported.";
const char* const c_BadChannels =
    "Unable to handle this format - only single channel (mono) is supported.";
const char* const c_BadChunk =
    "Unable to handle this format - unexpected chunk found when expecting fact or data.";
const char* const c_BadFactSize = "Unable to handle this format - fact chunk is unexpected length.";

CWave::WORD Word(const CWave::BYTE* a_P) {
    return CWave::WORD(a_P[0] | a_P[1] << 8);
}

CWave::DWORD Dword(const CWave::BYTE* a_P) {
    return CWave::DWORD(a_P[0]) | CWave::DWORD(a_P[1]) << 8 | CWave::DWORD(a_P[2]) << 16 |
           CWave::DWORD(a_P[3]) << 24;
}

void PutWord(std::string& a_Out, CWave::WORD a_Value) {
    a_Out += char(a_Value & 0xFF);
    a_Out += char(a_Value >> 8);
}

void PutDword(std::string& a_Out, CWave::DWORD a_Value) {
    PutWord(a_Out, CWave::WORD(a_Value & 0xFFFF));
    PutWord(a_Out, CWave::WORD(a_Value >> 16));
}

// Refuses anything but a regular file, so a FIFO or device named x.wav cannot block or act.
std::string OpenError(int a_Fd, const std::string& a_Path) {
    if (a_Fd < 0)
        return "Error opening " + a_Path + ". error: " + std::strerror(errno);
    struct stat status {};
    if (::fstat(a_Fd, &status) != 0)
        return "Error opening " + a_Path + ". error: " + std::strerror(errno);
    if (!S_ISREG(status.st_mode))
        return "Error opening " + a_Path + ". error: not a regular file";
    return "";
}

std::string CheckFormat(const CWave::FMT& a_Fmt) {
    if (a_Fmt.wFormatTag != 1)
        return c_BadTag;
    if (a_Fmt.fmtSIZE != 16 && a_Fmt.fmtSIZE != 18)
        return c_BadFmtSize;
    if (a_Fmt.wBitsPerSample != CWave::c_BitsPerSample)
        return c_BadBits;
    if (a_Fmt.nSamplesPerSec != CWave::c_sample_rate)
        return c_BadRate;
    if (a_Fmt.nAvgBytesPerSec != CWave::c_ByteRate)
        return c_BadByteRate;
    if (a_Fmt.nChannels != CWave::c_Channels)
        return c_BadChannels;
    return "";
}
} // namespace

// The whole header in one read (a few syscalls per file matter when a stick holds thousands of
// recordings); the checks then take its records in file order.
class CWaveHeaderBytes {
public:
    explicit CWaveHeaderBytes(int a_Fd) {
        while (m_Size < sizeof m_Bytes) {
            ssize_t n = ::read(a_Fd, m_Bytes + m_Size, sizeof m_Bytes - m_Size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            m_Size += std::size_t(n);
        }
    }
    // True only when all a_Count bytes are there: a file ending early is a damaged header.
    bool Take(CWave::BYTE* a_Buf, std::size_t a_Count) {
        if (m_Size - m_Pos < a_Count)
            return false;
        std::memcpy(a_Buf, m_Bytes + m_Pos, a_Count);
        m_Pos += a_Count;
        return true;
    }

private:
    CWave::BYTE m_Bytes[CWave::c_HeaderBytes];
    std::size_t m_Size = 0;
    std::size_t m_Pos = 0;
};

CWave::CWave(std::string _fileName)
    : riff{}, fmt{}, fact{}, data{}, fileName(std::move(_fileName)), m_Valid(true) {
    fact.samplesNumber = 0xFFFFFFFF;
    CFileDescriptor file(fileName);
    m_LastError = OpenError(file.Get(), fileName);
    if (m_LastError.empty()) {
        CWaveHeaderBytes header(file.Get());
        m_LastError = ReadHeader(header);
    }
    m_Valid = m_LastError.empty();
}

CWave::~CWave() = default;

std::string CWave::headerFor(DWORD a_DataBytes) {
    std::string header = "RIFF";
    PutDword(header, 36 + a_DataBytes);
    header += "WAVEfmt ";
    PutDword(header, 16);
    PutWord(header, 1); // PCM
    PutWord(header, c_Channels);
    PutDword(header, c_sample_rate);
    PutDword(header, c_ByteRate);
    PutWord(header, c_Channels * c_BitsPerSample / 8); // bytes per sample frame
    PutWord(header, c_BitsPerSample);
    header += "data";
    PutDword(header, a_DataBytes);
    return header;
}

float CWave::getDuration() const {
    if (!m_Valid)
        throw std::string(m_LastError);
    return float(fact.samplesNumber) / float(fmt.nSamplesPerSec);
}

std::string CWave::ReadHeader(CWaveHeaderBytes& a_In) {
    BYTE buf[c_RiffBytes];
    if (!a_In.Take(buf, sizeof buf))
        return c_ShortRiff;
    std::memcpy(riff.riffID, buf, 4);
    riff.riffSIZE = Dword(buf + 4);
    std::memcpy(riff.riffFORMAT, buf + 8, 4);
    std::string error = ReadFormat(a_In);
    return error.empty() ? ReadChunksAfterFormat(a_In) : error;
}

std::string CWave::ReadFormat(CWaveHeaderBytes& a_In) {
    BYTE buf[c_FmtBytes];
    if (!a_In.Take(buf, sizeof buf))
        return c_ShortHeader;
    std::memcpy(fmt.fmtID, buf, 4);
    fmt.fmtSIZE = Dword(buf + 4);
    fmt.wFormatTag = Word(buf + 8);
    fmt.nChannels = Word(buf + 10);
    fmt.nSamplesPerSec = Dword(buf + 12);
    fmt.nAvgBytesPerSec = Dword(buf + 16);
    fmt.nBlockAlign = Word(buf + 20);
    fmt.wBitsPerSample = Word(buf + 22);
    return CheckFormat(fmt);
}

std::string CWave::ReadChunksAfterFormat(CWaveHeaderBytes& a_In) {
    BYTE extension[2];
    if (fmt.fmtSIZE == 18 && !a_In.Take(extension, sizeof extension))
        return c_ShortHeader;
    BYTE id[4];
    if (!a_In.Take(id, sizeof id))
        return c_ShortHeader;
    std::memcpy(fact.factID, id, 4);
    if (std::memcmp(id, "fact", 4) == 0)
        return ReadFactAndData(a_In);
    if (std::memcmp(id, "data", 4) != 0)
        return c_BadChunk;
    // No fact chunk: the sample count follows from the data size.
    std::memcpy(data.dataID, id, 4);
    std::memcpy(fact.factID, "fact", 4);
    fact.factSIZE = 4;
    return ReadDataSize(a_In);
}

std::string CWave::ReadFactAndData(CWaveHeaderBytes& a_In) {
    BYTE buf[c_FactBytes - 4 + c_DataBytes];
    if (!a_In.Take(buf, c_FactBytes - 4))
        return c_ShortHeader;
    fact.factSIZE = Dword(buf);
    fact.samplesNumber = Dword(buf + 4);
    if (fact.factSIZE != 4)
        return c_BadFactSize;
    // The data chunk's identifier is taken on trust; the count comes from the fact chunk.
    if (!a_In.Take(buf + 8, c_DataBytes))
        return c_ShortHeader;
    std::memcpy(data.dataID, buf + 8, 4);
    data.dataSIZE = Dword(buf + 12);
    return "";
}

std::string CWave::ReadDataSize(CWaveHeaderBytes& a_In) {
    BYTE buf[4];
    if (!a_In.Take(buf, sizeof buf))
        return c_ShortHeader;
    data.dataSIZE = Dword(buf);
    fact.samplesNumber = data.dataSIZE / (fmt.wBitsPerSample / 8u);
    return "";
}
