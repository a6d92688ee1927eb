// One voice of a timbre: voice 0 plays the mono channel and holds the master copy of the parameters.
#pragma once

#include "engine/voice_settings.h"

namespace quorvix {

class CVoice {
public:
    CVoiceSettings& settings() { return m_settings; }
    const CVoiceSettings& settings() const { return m_settings; }

private:
    CVoiceSettings m_settings;
};

} // namespace quorvix
