#ifndef QUILLANE_WAVE_H
#define QUILLANE_WAVE_H

#include <cstddef>
#include <cstdint>
#include <string>

class CWaveHeaderBytes;

// Reads the header of one WAV file and decides whether the announcer can play it:
// uncompressed PCM, mono, 16 bits, 22050 Hz. Never reads sample data.
class CWave {
public:
    typedef std::uint8_t BYTE;
    typedef std::uint16_t WORD;
    typedef std::uint32_t DWORD;

    // The header records as they lie in the file (little-endian); they are decoded field by
    // field from the bytes read, so the board's own byte order and padding do not matter.
    typedef struct _RIFF {
        char riffID[4];
        DWORD riffSIZE;
        char riffFORMAT[4];
    } RIFF;

    typedef struct _FMT {
        char fmtID[4];
        DWORD fmtSIZE;
        WORD wFormatTag;
        WORD nChannels;
        DWORD nSamplesPerSec;
        DWORD nAvgBytesPerSec;
        WORD nBlockAlign;
        WORD wBitsPerSample;
        WORD wExtraBits; // never read from the file
    } FMT;

    typedef struct _FACT {
        char factID[4];
        DWORD factSIZE;
        DWORD samplesNumber;
    } FACT;

    typedef struct _DATA {
        char dataID[4];
        DWORD dataSIZE;
    } DATA;

    // The one format the announcer plays: uncompressed PCM, mono, 16 bits, 22050 Hz.
    static constexpr DWORD c_sample_rate = 22050;
    static constexpr WORD c_Channels = 1;
    static constexpr WORD c_BitsPerSample = 16;
    static constexpr DWORD c_ByteRate = c_sample_rate * c_Channels * c_BitsPerSample / 8;

    // Bytes each record occupies in the file.
    static constexpr std::size_t c_RiffBytes = 12;
    static constexpr std::size_t c_FmtBytes = 24;
    static constexpr std::size_t c_FactBytes = 12;
    static constexpr std::size_t c_DataBytes = 8;
    // The most bytes read from the start of a file: RIFF, the format body with its extension
    // word, a chunk identifier, the fact body and the data chunk's header.
    static constexpr std::size_t c_HeaderBytes = c_RiffBytes + c_FmtBytes + 2 + 4 + 8 + c_DataBytes;

    explicit CWave(std::string _fileName);
    virtual ~CWave();
    CWave(const CWave&) = delete;
    CWave& operator=(const CWave&) = delete;

    bool isValid() const { return m_Valid; }
    // Seconds of audio; throws the error text (a std::string) for an invalid file.
    float getDuration() const;
    const std::string& lastError() const { return m_LastError; }

    // The 44-byte header of a recording in the accepted format holding a_DataBytes of samples:
    // RIFF, a 16-byte format chunk and the data chunk, nothing between them.
    static std::string headerFor(DWORD a_DataBytes);

private:
    std::string ReadHeader(CWaveHeaderBytes& a_In);
    std::string ReadFormat(CWaveHeaderBytes& a_In);
    std::string ReadChunksAfterFormat(CWaveHeaderBytes& a_In);
    std::string ReadFactAndData(CWaveHeaderBytes& a_In);
    std::string ReadDataSize(CWaveHeaderBytes& a_In);

    RIFF riff;
    FMT fmt;
    FACT fact;
    DATA data;
    std::string fileName;
    bool m_Valid;
    std::string m_LastError;
};

static_assert(sizeof(CWave::RIFF) == CWave::c_RiffBytes, "RIFF record must mirror the file");
static_assert(offsetof(CWave::FMT, wExtraBits) == CWave::c_FmtBytes,
              "FMT record must mirror the file up to wExtraBits");
static_assert(sizeof(CWave::FACT) == CWave::c_FactBytes, "FACT record must mirror the file");
static_assert(sizeof(CWave::DATA) == CWave::c_DataBytes, "DATA record must mirror the file");

#endif
