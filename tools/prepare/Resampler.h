#ifndef QUILLANE_RESAMPLER_H
#define QUILLANE_RESAMPLER_H

#include "shared/MonoSound.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct soxr;

// One channel of samples brought to the recording rate (CWave::c_sample_rate) through libsoxr
// as they come, block by block, so that a long recording is never held at its own rate.
class CResampler {
public:
    // From a_FromRate; when libsoxr cannot start, isValid() is false and lastError() says why.
    explicit CResampler(int a_FromRate);

    bool isValid() const { return m_LastError.empty(); }
    const std::string& lastError() const { return m_LastError; }
    // Appends to a_Out what a_Count samples of a_In give; false, with a_Why, when libsoxr fails.
    bool Add(const float* a_In, std::size_t a_Count, std::vector<float>& a_Out, std::string& a_Why);
    // Appends what it still holds once the input has ended.
    bool Finish(std::vector<float>& a_Out, std::string& a_Why);

    // a_Sound at the recording rate, whole; nothing, with a_Why, when libsoxr fails.
    static std::optional<CMonoSound> AtRecordingRate(const CMonoSound& a_Sound, std::string& a_Why);

private:
    struct CDeleter {
        void operator()(soxr* a_Soxr) const;
    };
    bool Step(const float* a_In, std::size_t a_Length, std::vector<float>& a_Out,
              std::size_t& a_Fed, std::size_t& a_Produced, std::string& a_Why);

    std::unique_ptr<soxr, CDeleter> m_Soxr; // none when the rate is the recording rate already
    std::vector<float> m_Block;
    std::string m_LastError;
};

#endif
