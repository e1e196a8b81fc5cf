#ifndef QUILLANE_SPEECH_H
#define QUILLANE_SPEECH_H

#include "shared/MonoSound.h"

#include <optional>
#include <string>
#include <vector>

// Speaks text with espeak-ng, through its library, in one of its voices.
class CSpeech {
public:
    // a_Voice is a voice name or a language as espeak-ng lists them (en, en-us, de, fr+f3 ...);
    // when espeak-ng cannot start or has no such voice, isValid() is false and lastError()
    // says why.
    explicit CSpeech(const std::string& a_Voice);

    bool isValid() const { return m_LastError.empty(); }
    const std::string& lastError() const { return m_LastError; }
    // a_Text spoken at the recording rate, trimmed of the silence around it; nothing, with
    // a_Why, when it makes no sound.
    std::optional<CMonoSound> Say(const std::string& a_Text, std::string& a_Why) const;
    const std::string& Voice() const { return m_Voice; }

private:
    static int EngineRate();
    bool Synthesize(const std::string& a_Text, std::vector<float>& a_Samples,
                    std::string& a_Why) const;

    std::string m_Voice;
    std::string m_LastError;
};

#endif
