#include "prepare/AudioFile.h"

#include "Wave.h"
#include "prepare/Resampler.h"
#include "shared/Failure.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

const char* const CAudioFile::c_TooLong = "it lasts more than an hour: cut it into shorter pieces";

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
    else
        CheckHeader();
}

// A damaged header can claim anything: the resampler and the memory taken are bounded by these.
void CAudioFile::CheckHeader() {
    if (m_Info.samplerate < c_MinRate || m_Info.samplerate > c_MaxRate)
        m_LastError = "its header claims " + std::to_string(m_Info.samplerate) +
                      " Hz, outside the " + std::to_string(c_MinRate) + " to " +
                      std::to_string(c_MaxRate) +
                      " Hz this program converts: the file is probably damaged";
    else if (m_Info.channels > c_MaxChannels)
        m_LastError = "its header claims " + std::to_string(m_Info.channels) +
                      " channels, more than the " + std::to_string(c_MaxChannels) +
                      " this program mixes into one: the file is probably damaged";
    else if (Announced() && double(m_Info.frames) / m_Info.samplerate > c_MaxSeconds)
        m_LastError = c_TooLong;
}

// The frame count the header gives, where it gives one.
bool CAudioFile::Announced() const {
    return m_Info.frames > 0 && m_Info.frames < SF_COUNT_MAX;
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

std::optional<CMonoSound> CAudioFile::ReadAtRecordingRate(std::string& a_Why) {
    std::vector<float> out;
    if (!isValid())
        a_Why = m_LastError;
    else if (ReadAll(out, a_Why))
        return CMonoSound(std::move(out), int(CWave::c_sample_rate));
    return std::nullopt;
}

// Reads to the end of the file, mixing and resampling as it goes, so that only the output is
// held: a few times the size of the recording written.
bool CAudioFile::ReadAll(std::vector<float>& a_Out, std::string& a_Why) {
    CResampler resampler(m_Info.samplerate);
    std::vector<float> frames(std::size_t(c_BlockFrames) * std::size_t(m_Info.channels)), mono;
    const auto limit = std::size_t(c_MaxSeconds * CWave::c_sample_rate);
    sf_count_t count = 0, read = 0;
    if (Announced()) // room for the output at once, not twice as much from growing
        a_Out.reserve(
            std::size_t(double(m_Info.frames) * CWave::c_sample_rate / m_Info.samplerate) +
            c_BlockFrames);
    while (a_Out.size() <= limit &&
           (count = sf_readf_float(m_File.get(), frames.data(), c_BlockFrames)) > 0) {
        Mix(frames, count, mono);
        read += count;
        if (!resampler.Add(mono.data(), mono.size(), a_Out, a_Why))
            return false;
    }
    if (a_Out.size() > limit)
        return Fail(a_Why, c_TooLong);
    if (sf_error(m_File.get()) != SF_ERR_NO_ERROR)
        return Fail(a_Why, std::string("it is damaged (") + sf_strerror(m_File.get()) + ")");
    if (read == 0)
        return Fail(a_Why, "it holds no sound");
    return Complete(read, a_Why) && resampler.Finish(a_Out, a_Why);
}

// Whether the decoder gave every frame the header announced. A damaged or cut-short file (a
// download that broke off) decodes without an error as far as it goes. The length an MP3
// without a length tag announces is an estimate, hence the percent.
bool CAudioFile::Complete(sf_count_t a_Read, std::string& a_Why) const {
    if (!Announced() || a_Read >= m_Info.frames - m_Info.frames / 100)
        return true;
    char secs[96];
    std::snprintf(secs, sizeof secs, "only %.1f s of the %.1f s",
                  double(a_Read) / m_Info.samplerate, double(m_Info.frames) / m_Info.samplerate);
    return Fail(a_Why, std::string("it ends early: ") + secs +
                           " its header announces could be read, so it is cut short or damaged: "
                           "use a complete copy");
}

// The average of the channels, so that the mix itself cannot exceed full scale.
void CAudioFile::Mix(const std::vector<float>& a_Frames, sf_count_t a_Count,
                     std::vector<float>& a_Mono) const {
    auto channels = std::size_t(m_Info.channels);
    a_Mono.clear();
    for (std::size_t frame = 0; frame < std::size_t(a_Count); ++frame) {
        float sum = 0;
        for (std::size_t channel = 0; channel < channels; ++channel)
            sum += a_Frames[frame * channels + channel];
        // A float file can hold NaN or infinity, which no recording can carry.
        a_Mono.push_back(std::isfinite(sum) ? sum / float(channels) : 0.0f);
    }
}
