#include "notice/notice_text.h"

#include <initializer_list>

namespace quorvix::notice {

namespace {

const char* const kLineEnd = "\r\n";

struct CHost {
    const char* name;
    const char* author;
    const char* authorGerman;
    const char* termsEnglish;
    const char* termsGerman; // with the language of the web page
    const char* address;
    const char* addressGerman;
};

// Two VST 2.x hosts that run on Linux.
const CHost kHosts[] = {
    {"Ardour", "Paul Davis and the Ardour community", "Paul Davis und der Ardour-Gemeinschaft", "free software, GNU GPL",
     "freie Software, GNU GPL; Webseite in Englisch", "https://ardour.org/", "https://ardour.org/"},
    {"Bitwig Studio", "Bitwig GmbH", "Bitwig GmbH", "commercial, free demo version",
     "kommerziell, kostenlose Demoversion; Webseite in Deutsch", "https://www.bitwig.com/",
     "https://www.bitwig.com/de/"},
};
const char* const kDirectory = "https://www.kvraudio.com/";

std::string paragraph(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + kLineEnd;
    return text + kLineEnd;
}

std::string address(const char* url) { return std::string("\t") + url; }

} // namespace

std::string englishText()
{
    std::string text = paragraph({"It is not possible to run Quorvix as a standalone application!"});
    text += paragraph({"Quorvix is a plugin which requires a VST-Host. First open your VST-Host, then you can tell it "
                       "to start Quorvix."});
    text += paragraph({"If there is currently no VST-Host installed on your system, you may download and try e.g. one "
                       "of the following VST-Hosts:"});
    for (const CHost& h : kHosts)
        text += paragraph({std::string("- ") + h.name + " from " + h.author + " (" + h.termsEnglish + ")",
                           address(h.address)});
    text += paragraph({"Or browse for example the directory of VST-Host software at", address(kDirectory)});
    return text + kLineEnd;
}

std::string germanText()
{
    std::string text = paragraph({"Sie k\xC3\xB6nnen Quorvix nicht als eigenst\xC3\xA4ndige Anwendung ausf\xC3\xBChren!"});
    text += paragraph({"Quorvix ist ein Plugin, das einen VST-Host ben\xC3\xB6tigt. Sie starten zuerst Ihren VST-Host, "
                       "und von diesem aus starten Sie dann Quorvix."});
    text += paragraph({"Wenn Sie derzeit keinen VST-Host installiert haben, dann k\xC3\xB6nnen Sie es am Anfang zum "
                       "Beispiel mit einem dieser beiden versuchen:"});
    for (const CHost& h : kHosts)
        text += paragraph({std::string("- ") + h.name + " von " + h.authorGerman + " (" + h.termsGerman + ")",
                           address(h.addressGerman)});
    text += paragraph({"Ansonsten ist ein ausf\xC3\xBChrliches Verzeichnis von VST-Host-Software z.B. auf",
                       address(kDirectory), "zu finden (Webseite in Englisch)."});
    return text + kLineEnd;
}

} // namespace quorvix::notice
