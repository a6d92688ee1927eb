#include "plugin/user_messages.h"

#include "platform/message_box.h"
#include "platform/plugin_location.h"

namespace quorvix {

namespace {

platform::EBoxKind boxKind(EMessageKind kind)
{
    switch (kind) {
    case EMessageKind::Error:
        return platform::EBoxKind::Error;
    case EMessageKind::Question:
        return platform::EBoxKind::Question;
    default:
        return platform::EBoxKind::Information;
    }
}

} // namespace

CLanguages detectLanguages()
{
    const std::string folder = platform::pluginFolder();
    return languagesFromMarkers(platform::fileReadable(folder + kEnglishMarker),
                                platform::fileReadable(folder + kGermanMarker),
                                platform::fileReadable(folder + kSpanishMarker));
}

bool showMessage(const CLanguages& languages, EMessage message, const std::string& suffix)
{
    const CMessageTexts& texts = messageTexts(message);
    return platform::showMessageBox(boxKind(texts.kind), messageTitle(texts.kind),
                                    composeMessage(languages, message, suffix));
}

bool askUser(const std::string& text)
{
    return platform::showMessageBox(platform::EBoxKind::Question, messageTitle(EMessageKind::Question), text);
}

} // namespace quorvix
