// Installation settings, and the messages that wait for a call where boxes may open.
#include "plugin/synth_plugin.h"

#include "platform/settings_store.h"
#include "plugin/user_messages.h"

namespace quorvix {

void CSynthPlugin::loadSettings()
{
    m_settings = CSettings {};
    std::vector<uint8_t> record;
    switch (platform::readSettingsFile(record)) {
    case platform::EReadResult::Missing:
        break;
    case platform::EReadResult::Failed:
        showMessage(m_languages, EMessage::SettingsNotReadable, platform::settingsFilePath() + "'");
        break;
    case platform::EReadResult::Read:
        if (parseSettingsRecord(record, m_settings))
            noteStoredStartCounter(m_settings.startCounter);
        break;
    }
    m_monoTimbralMode = m_settings.monoTimbral;
    setProcessKnobMode(m_settings.knobMode);
    m_context.oscOversampling = m_settings.oscOversampling;
    m_bankSelector = m_settings.bankSelector;
}

void CSynthPlugin::saveSettings()
{
    CSettings out = m_settings;
    out.startCounter = processStartCounter();
    out.knobMode = processKnobMode();
    out.bankSelector = m_bankSelector;
    if (!platform::writeSettingsFile(buildSettingsRecord(out)))
        showMessage(m_languages, EMessage::SettingsNotWritable, platform::settingsFilePath() + "'");
}

void CSynthPlugin::beforeDispatch()
{
    prepareEffectStorage();
    showPendingMessages();
}

void CSynthPlugin::prepareEffectStorage()
{
    if (onAudioThread())
        return;
    std::lock_guard lock(m_engineLock);
    prepareTimbreEffectsLocked();
}

void CSynthPlugin::prepareTimbreEffectsLocked()
{
    bool failed = false;
    for (CTimbre& t : m_timbres)
        failed = t.prepareEffects() || failed;
    withMeasuringTimbre([&failed](CTimbre& t) { failed = t.prepareEffects() || failed; });
    if (failed)
        queueMessage(EMessage::OutOfMemory);
}

void CSynthPlugin::queueMessage(EMessage message)
{
    m_pendingMessages.fetch_or(1u << static_cast<unsigned>(message));
}

void CSynthPlugin::showPendingMessages()
{
    if (onAudioThread())
        return;
    const uint32_t pending = m_pendingMessages.exchange(0);
    for (unsigned bit = 0; bit < 32; ++bit) {
        if (!(pending & (1u << bit)))
            continue;
        const auto message = static_cast<EMessage>(bit);
        showMessage(m_languages, message, message == EMessage::BankStorageMissing ? kSupportAddress : "");
    }
}

} // namespace quorvix
