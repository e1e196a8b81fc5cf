#include "prepare/AudioFile.h"

#include "shared/Failure.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr sf_count_t c_BlockFrames = 4096;

// A FIFO or a device in a recording's place would block or act when read.
bool ReadableRegularFile(const std::string& a_Path, std::string& a_Why) {
    struct stat st {};
    if (::stat(a_Path.c_str(), &st) != 0)
        return Fail(a_Why, errno == ENOENT
                               ? "there is no such file"
                               : std::string("cannot read it: ") + std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return Fail(a_Why, "it is a directory, not a recording");
    if (!S_ISREG(st.st_mode))
        return Fail(a_Why, "it is not a regular file");
    if (::access(a_Path.c_str(), R_OK) != 0)
        return Fail(a_Why, std::string("cannot read it: ") + std::strerror(errno));
    return true;
}

const char* Depth(int a_Subtype) {
    switch (a_Subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return "8-bit ";
    case SF_FORMAT_PCM_16:
        return "16-bit ";
    case SF_FORMAT_PCM_24:
        return "24-bit ";
    case SF_FORMAT_PCM_32:
        return "32-bit ";
    case SF_FORMAT_FLOAT:
        return "32-bit float ";
    case SF_FORMAT_DOUBLE:
        return "64-bit float ";
    default:
        return "";
    }
}

std::string Channels(int a_Count) {
    return a_Count == 1 ? "mono" : a_Count == 2 ? "stereo" : std::to_string(a_Count) + "-channel";
}
} // namespace

CAudioFile::CAudioFile(const std::string& a_Path) {
    if (!ReadableRegularFile(a_Path, m_LastError))
        return;
    m_File.reset(sf_open(a_Path.c_str(), SFM_READ, &m_Info));
    if (!m_File)
        m_LastError = "it is not a recording this program can read: an unknown sound format, or a "
                      "damaged file";
    else if (m_Info.channels < 1 || m_Info.samplerate < 1)
        m_LastError = "its header names no channels or no rate";
}

std::string CAudioFile::Description() const {
    return std::to_string(m_Info.samplerate) + " Hz " + Channels(m_Info.channels) + " " +
           Depth(m_Info.format & SF_FORMAT_SUBMASK) + Kind();
}

std::string CAudioFile::Kind() const {
    int major = m_Info.format & SF_FORMAT_TYPEMASK, sub = m_Info.format & SF_FORMAT_SUBMASK;
    if (major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64)
        return "WAV";
    if (major == SF_FORMAT_FLAC)
        return "FLAC";
    if (major == SF_FORMAT_AIFF)
        return "AIFF";
    if (major == SF_FORMAT_OGG)
        return sub == SF_FORMAT_OPUS ? "Ogg Opus" : "Ogg Vorbis";
    if (major == SF_FORMAT_MPEG)
        return sub == SF_FORMAT_MPEG_LAYER_III ? "MP3" : "MPEG audio";
    SF_FORMAT_INFO info{};
    info.format = major;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name)
        return info.name;
    return "audio";
}

std::optional<CMonoSound> CAudioFile::ReadMono(std::string& a_Why) {
    std::vector<float> mono;
    if (!isValid())
        a_Why = m_LastError;
    else if (ReadAll(mono, a_Why))
        return CMonoSound(std::move(mono), m_Info.samplerate);
    return std::nullopt;
}

// Reads to the end of the file, mixing as it goes.
bool CAudioFile::ReadAll(std::vector<float>& a_Mono, std::string& a_Why) {
    std::vector<float> frames(std::size_t(c_BlockFrames) * std::size_t(m_Info.channels));
    auto limit = std::size_t(c_MaxSeconds * m_Info.samplerate);
    sf_count_t count;
    while (a_Mono.size() <= limit &&
           (count = sf_readf_float(m_File.get(), frames.data(), c_BlockFrames)) > 0)
        Append(frames, count, a_Mono);
    if (a_Mono.size() > limit)
        return Fail(a_Why, "it lasts more than an hour: cut it into shorter pieces");
    if (sf_error(m_File.get()) != SF_ERR_NO_ERROR)
        return Fail(a_Why, std::string("it is damaged (") + sf_strerror(m_File.get()) + ")");
    if (a_Mono.empty())
        return Fail(a_Why, "it holds no sound");
    return true;
}

// The average of the channels, so that the mix itself cannot exceed full scale.
void CAudioFile::Append(const std::vector<float>& a_Frames, sf_count_t a_Count,
                        std::vector<float>& a_Mono) const {
    auto channels = std::size_t(m_Info.channels);
    for (std::size_t frame = 0; frame < std::size_t(a_Count); ++frame) {
        float sum = 0;
        for (std::size_t channel = 0; channel < channels; ++channel)
            sum += a_Frames[frame * channels + channel];
        // A float file can hold NaN or infinity, which no recording can carry.
        a_Mono.push_back(std::isfinite(sum) ? sum / float(channels) : 0.0f);
    }
}
