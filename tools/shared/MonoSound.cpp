#include "shared/MonoSound.h"

#include <algorithm>
#include <cmath>

namespace {
// 16-bit samples run from -32768 to 32767: the positive side is one step short of 1.0.
constexpr double c_MaxPositive = 32767.0 / 32768.0;
} // namespace

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

void CMonoSound::AppendPcm16(std::string& a_Bytes) const {
    a_Bytes.reserve(a_Bytes.size() + m_Samples.size() * 2);
    for (float sample : m_Samples) {
        // The clamp only guards against rounding: KeepBelowFullScale has made room.
        long value = std::clamp(std::lround(double(sample) * 32768.0), -32768L, 32767L);
        auto word = std::uint16_t(value);
        a_Bytes += char(word & 0xFF);
        a_Bytes += char(word >> 8);
    }
}
