#include "prepare/MonoSound.h"

#include "Wave.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <soxr.h>
#include <type_traits>

namespace {
// 16-bit samples run from -32768 to 32767: the positive side is one step short of 1.0.
constexpr double c_MaxPositive = 32767.0 / 32768.0;
constexpr std::size_t c_Block = 16384;

struct CSoxrDeleter {
    void operator()(soxr_t a_Soxr) const { soxr_delete(a_Soxr); }
};
using SoxrPtr = std::unique_ptr<std::remove_pointer_t<soxr_t>, CSoxrDeleter>;

// A resampler from a_From to the recording rate; null, with a_Why, when libsoxr cannot start one.
SoxrPtr MakeResampler(int a_From, std::string& a_Why) {
    soxr_error_t error = nullptr;
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    SoxrPtr soxr(soxr_create(a_From, CWave::c_sample_rate, 1, &error, nullptr, &quality, nullptr));
    if (error || !soxr) {
        a_Why = std::string("the resampler cannot start: ") + soxr_strerror(error);
        soxr.reset();
    }
    return soxr;
}

// One step of the resampler, appending its output and counting the input it took in a_Fed;
// a null a_In marks the end of the input. Returns libsoxr's error, null when there is none.
soxr_error_t Step(soxr_t a_Soxr, const float* a_In, std::size_t a_Length, std::vector<float>& a_Out,
                  std::size_t& a_Fed, std::size_t& a_Produced) {
    std::size_t used = 0, start = a_Out.size();
    a_Out.resize(start + c_Block);
    soxr_error_t error =
        soxr_process(a_Soxr, a_In, a_Length, &used, a_Out.data() + start, c_Block, &a_Produced);
    a_Out.resize(start + a_Produced);
    a_Fed += used;
    return error;
}

// What the resampler still holds once the input has ended.
soxr_error_t Drain(soxr_t a_Soxr, std::vector<float>& a_Out) {
    std::size_t fed = 0, produced = 0;
    soxr_error_t error;
    do
        error = Step(a_Soxr, nullptr, 0, a_Out, fed, produced);
    while (!error && produced > 0);
    return error;
}

// Every sample of a_In through the resampler, then what it still holds.
soxr_error_t Resample(soxr_t a_Soxr, const std::vector<float>& a_In, std::vector<float>& a_Out) {
    std::size_t fed = 0, produced = 0;
    soxr_error_t error = nullptr;
    while (!error && fed < a_In.size())
        error = Step(a_Soxr, a_In.data() + fed, a_In.size() - fed, a_Out, fed, produced);
    return error ? error : Drain(a_Soxr, a_Out);
}
} // namespace

std::optional<CMonoSound> CMonoSound::AtRecordingRate(std::string& a_Why) const {
    if (m_Rate == int(CWave::c_sample_rate))
        return *this;
    SoxrPtr soxr = MakeResampler(m_Rate, a_Why);
    if (!soxr)
        return std::nullopt;
    std::vector<float> out;
    if (soxr_error_t error = Resample(soxr.get(), m_Samples, out)) {
        a_Why = std::string("resampling failed: ") + error;
        return std::nullopt;
    }
    return CMonoSound(std::move(out), int(CWave::c_sample_rate));
}

void CMonoSound::TrimSilence(float a_Threshold, double a_KeepSecs) {
    auto loud = [a_Threshold](float a_Sample) { return std::fabs(a_Sample) > a_Threshold; };
    auto first = std::find_if(m_Samples.begin(), m_Samples.end(), loud);
    if (first == m_Samples.end()) {
        m_Samples.clear();
        return;
    }
    auto last = std::find_if(m_Samples.rbegin(), m_Samples.rend(), loud).base();
    auto keep = std::ptrdiff_t(a_KeepSecs * m_Rate);
    first -= std::min(keep, first - m_Samples.begin());
    last += std::min(keep, m_Samples.end() - last);
    m_Samples = std::vector<float>(first, last);
}

double CMonoSound::KeepBelowFullScale() {
    auto [low, high] = std::minmax_element(m_Samples.begin(), m_Samples.end());
    if (low == m_Samples.end())
        return 1.0;
    double over = std::max(-double(*low), double(*high) / c_MaxPositive);
    if (over <= 1.0)
        return 1.0;
    for (float& sample : m_Samples)
        sample = float(sample / over);
    return 1.0 / over;
}

std::string CMonoSound::Pcm16() const {
    std::string bytes;
    bytes.reserve(m_Samples.size() * 2);
    for (float sample : m_Samples) {
        // The clamp only guards against rounding: KeepBelowFullScale has made room.
        long value = std::clamp(std::lround(double(sample) * 32768.0), -32768L, 32767L);
        auto word = std::uint16_t(value);
        bytes += char(word & 0xFF);
        bytes += char(word >> 8);
    }
    return bytes;
}
