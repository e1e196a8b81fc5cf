#include "prepare/Speech.h"

#include "prepare/Resampler.h"
#include "shared/Failure.h"

#include <cstring>
#include <espeak-ng/speak_lib.h>
#include <strings.h>
#include <vector>

namespace {
// Below one percent of full scale counts as silence; 20 ms of it is kept at each end.
constexpr float c_SilenceThreshold = 0.01f;
constexpr double c_KeepSecs = 0.02;

// espeak-ng runs one engine per process, and once ended it cannot be started again: with
// version 1.51 a second espeak_Terminate after a new espeak_Initialize never returns. So the
// engine is started on first use and ended once, when the program exits.
class CEngine {
public:
    CEngine()
        : m_Rate(espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr,
                                   espeakINITIALIZE_DONT_EXIT)) {}
    ~CEngine() {
        if (m_Rate > 0)
            espeak_Terminate();
    }
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;
    int Rate() const { return m_Rate; }

private:
    int m_Rate;
};

int Collect(short* a_Samples, int a_Count, espeak_EVENT* a_Events) {
    auto* samples = static_cast<std::vector<float>*>(a_Events->user_data);
    for (int i = 0; a_Samples && i < a_Count; ++i)
        samples->push_back(float(a_Samples[i]) / 32768.0f);
    return 0; // go on
}

// Languages: a priority byte, then the name, each ending with a zero byte.
bool SpeaksLanguage(const espeak_VOICE& a_Voice, const std::string& a_Language) {
    for (const char* entry = a_Voice.languages; entry && *entry;) {
        const char* language = entry + 1;
        if (strcasecmp(a_Language.c_str(), language) == 0)
            return true;
        entry = language + std::strlen(language) + 1;
    }
    return false;
}

// A file name among espeak-ng's variants (espeak-ng --voices=variant lists them): it speaks an
// unknown one in the plain voice, without a word.
bool VariantListed(const std::string& a_Variant) {
    espeak_VOICE variants{};
    variants.languages = "variant";
    for (const espeak_VOICE** voice = espeak_ListVoices(&variants); voice && *voice; ++voice) {
        std::string file = (*voice)->identifier ? (*voice)->identifier : "";
        if (a_Variant == file.substr(file.rfind('/') + 1))
            return true;
    }
    return false;
}

// espeak-ng takes nearly any name for some voice ("no-such-voice" speaks Norwegian), so the name
// must be one it lists: a voice's name or file, or one of its languages, with a +variant it lists.
bool Listed(const std::string& a_Voice) {
    std::size_t plus = a_Voice.find('+');
    std::string base = a_Voice.substr(0, plus);
    if (plus != std::string::npos && !VariantListed(a_Voice.substr(plus + 1)))
        return false;
    for (const espeak_VOICE** voice = espeak_ListVoices(nullptr); voice && *voice; ++voice) {
        std::string file = (*voice)->identifier ? (*voice)->identifier : "";
        if (base == file || base == file.substr(file.rfind('/') + 1) ||
            strcasecmp(base.c_str(), (*voice)->name ? (*voice)->name : "") == 0 ||
            SpeaksLanguage(**voice, base))
            return true;
    }
    return false;
}

bool SelectVoice(const std::string& a_Voice) {
    if (!Listed(a_Voice))
        return false;
    if (espeak_SetVoiceByName(a_Voice.c_str()) == EE_OK)
        return true;
    // A language such as en-gb is no voice name; espeak-ng's own program falls back the same.
    espeak_VOICE wanted{};
    wanted.languages = a_Voice.c_str();
    return espeak_SetVoiceByProperties(&wanted) == EE_OK;
}
} // namespace

CSpeech::CSpeech(const std::string& a_Voice) : m_Voice(a_Voice) {
    if (EngineRate() <= 0) {
        m_LastError = "espeak-ng cannot start: are its voice data installed (package "
                      "espeak-ng-data)?";
        return;
    }
    espeak_SetSynthCallback(Collect);
    if (!SelectVoice(a_Voice))
        m_LastError = "there is no voice \"" + a_Voice +
                      "\": give a language such as en, en-us, de or fr, or a voice name that "
                      "espeak-ng --voices lists, with a +variant that espeak-ng --voices=variant "
                      "lists if you like (fr+f3)";
}

std::optional<CMonoSound> CSpeech::Say(const std::string& a_Text, std::string& a_Why) const {
    std::vector<float> samples;
    if (!Synthesize(a_Text, samples, a_Why))
        return std::nullopt;
    std::optional<CMonoSound> sound =
        CResampler::AtRecordingRate(CMonoSound(std::move(samples), EngineRate()), a_Why);
    if (!sound)
        return std::nullopt;
    sound->TrimSilence(c_SilenceThreshold, c_KeepSecs);
    if (sound->Samples().empty()) {
        a_Why = "\"" + a_Text + "\" makes no sound in voice " + m_Voice;
        return std::nullopt;
    }
    sound->KeepBelowFullScale();
    return sound;
}

// espeak-ng's samples of a_Text, at its own rate.
bool CSpeech::Synthesize(const std::string& a_Text, std::vector<float>& a_Samples,
                         std::string& a_Why) const {
    if (!isValid())
        return Fail(a_Why, m_LastError);
    // The voice is chosen again: espeak-ng keeps one for the whole process.
    SelectVoice(m_Voice);
    if (espeak_Synth(a_Text.c_str(), a_Text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                     nullptr, &a_Samples) != EE_OK)
        return Fail(a_Why, "espeak-ng could not speak \"" + a_Text + "\"");
    return true;
}

int CSpeech::EngineRate() {
    static CEngine s_Engine;
    return s_Engine.Rate();
}
