#ifndef QUILLANE_MONOSOUND_H
#define QUILLANE_MONOSOUND_H

#include <string>
#include <vector>

// One channel of samples in memory, full scale at +-1.0, on its way to a recording.
class CMonoSound {
public:
    CMonoSound(std::vector<float> a_Samples, int a_Rate)
        : m_Samples(std::move(a_Samples)), m_Rate(a_Rate) {}

    const std::vector<float>& Samples() const { return m_Samples; }
    int Rate() const { return m_Rate; }
    double Seconds() const { return double(m_Samples.size()) / m_Rate; }

    // Drops what lies before the first and after the last sample louder than a_Threshold,
    // keeping a_KeepSecs of it on each side so speech does not start with a click.
    void TrimSilence(float a_Threshold, double a_KeepSecs);
    // Scales the sound down when a peak would not fit in 16 bits; returns the gain (<= 1).
    double KeepBelowFullScale();
    // Appends the samples to a_Bytes as little-endian 16-bit words; call KeepBelowFullScale
    // first.
    void AppendPcm16(std::string& a_Bytes) const;

private:
    std::vector<float> m_Samples;
    int m_Rate;
};

#endif
