#include "prepare/Resampler.h"

#include "Wave.h"
#include "shared/Failure.h"

#include <soxr.h>

namespace {
constexpr std::size_t c_Block = 16384;
} // namespace

void CResampler::CDeleter::operator()(soxr* a_Soxr) const {
    soxr_delete(a_Soxr);
}

CResampler::CResampler(int a_FromRate) {
    if (a_FromRate == int(CWave::c_sample_rate))
        return;
    soxr_error_t error = nullptr;
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    m_Soxr.reset(
        soxr_create(a_FromRate, CWave::c_sample_rate, 1, &error, nullptr, &quality, nullptr));
    if (error || !m_Soxr) {
        m_LastError = std::string("the resampler cannot start: ") + (error ? error : "");
        m_Soxr.reset();
    }
}

bool CResampler::Add(const float* a_In, std::size_t a_Count, std::vector<float>& a_Out,
                     std::string& a_Why) {
    if (!isValid())
        return Fail(a_Why, m_LastError);
    if (!m_Soxr) {
        a_Out.insert(a_Out.end(), a_In, a_In + a_Count);
        return true;
    }
    std::size_t fed = 0, produced = 0;
    while (fed < a_Count)
        if (!Step(a_In + fed, a_Count - fed, a_Out, fed, produced, a_Why))
            return false;
    return true;
}

bool CResampler::Finish(std::vector<float>& a_Out, std::string& a_Why) {
    std::size_t fed = 0, produced = 0;
    do
        if (m_Soxr && !Step(nullptr, 0, a_Out, fed, produced, a_Why))
            return false;
    while (m_Soxr && produced > 0);
    return isValid() || Fail(a_Why, m_LastError);
}

// One step of libsoxr, appending its output and counting the input it took in a_Fed; a null
// a_In marks the end of the input.
bool CResampler::Step(const float* a_In, std::size_t a_Length, std::vector<float>& a_Out,
                      std::size_t& a_Fed, std::size_t& a_Produced, std::string& a_Why) {
    std::size_t used = 0;
    // Through a block of its own, so that a_Out grows by what is made only.
    m_Block.resize(c_Block);
    soxr_error_t error =
        soxr_process(m_Soxr.get(), a_In, a_Length, &used, m_Block.data(), c_Block, &a_Produced);
    a_Out.insert(a_Out.end(), m_Block.begin(), m_Block.begin() + std::ptrdiff_t(a_Produced));
    a_Fed += used;
    return !error || Fail(a_Why, std::string("resampling failed: ") + error);
}

std::optional<CMonoSound> CResampler::AtRecordingRate(const CMonoSound& a_Sound,
                                                      std::string& a_Why) {
    CResampler resampler(a_Sound.Rate());
    std::vector<float> out;
    if (!resampler.Add(a_Sound.Samples().data(), a_Sound.Samples().size(), out, a_Why) ||
        !resampler.Finish(out, a_Why))
        return std::nullopt;
    return CMonoSound(std::move(out), int(CWave::c_sample_rate));
}
