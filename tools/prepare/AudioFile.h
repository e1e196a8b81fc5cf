#ifndef QUILLANE_AUDIOFILE_H
#define QUILLANE_AUDIOFILE_H

#include "shared/MonoSound.h"

#include <memory>
#include <optional>
#include <sndfile.h>
#include <string>

// A recording of any kind libsndfile decodes (WAV of any rate, depth and channel count, FLAC,
// Ogg Vorbis, MP3 ...), read as one channel.
class CAudioFile {
public:
    // Recordings longer than this are refused: announcements are short, and the whole sound
    // is held in memory.
    static constexpr double c_MaxSeconds = 3600;
    // The rates and channel counts converted; a header claiming others is taken for damaged.
    static constexpr int c_MinRate = 1000;
    static constexpr int c_MaxRate = 768000;
    static constexpr int c_MaxChannels = 64;

    // Opens a_Path; when it cannot be read, isValid() is false and lastError() says why in
    // plain words.
    explicit CAudioFile(const std::string& a_Path);

    bool isValid() const { return m_LastError.empty(); }
    const std::string& lastError() const { return m_LastError; }

    // Rate, channels, depth and kind, e.g. "44100 Hz stereo 24-bit WAV".
    std::string Description() const;
    // Every channel mixed down to one, at the recording rate; nothing, with a_Why, when the
    // file turns out damaged, cut short, too long or silent (or is not valid: then a_Why is
    // lastError()).
    std::optional<CMonoSound> ReadAtRecordingRate(std::string& a_Why);

private:
    struct CCloser {
        void operator()(SNDFILE* a_File) const { sf_close(a_File); }
    };
    static const char* const c_TooLong;

    void CheckHeader();
    bool Announced() const;
    std::string Kind() const;
    bool ReadAll(std::vector<float>& a_Out, std::string& a_Why);
    bool Complete(sf_count_t a_Read, std::string& a_Why) const;
    void Mix(const std::vector<float>& a_Frames, sf_count_t a_Count,
             std::vector<float>& a_Mono) const;

    SF_INFO m_Info{};
    std::unique_ptr<SNDFILE, CCloser> m_File;
    std::string m_LastError;
};

#endif
