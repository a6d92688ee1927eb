// The notice texts: their sentences in order, CR LF lines, tab-indented addresses, empty lines
// between paragraphs and at the end.
#include "notice/notice_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvix::notice {
namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return out;
}

TEST(NoticeText, English)
{
    const std::vector<std::string> l = lines(englishText());
    const std::vector<std::string> expected = {
        "It is not possible to run Quorvix as a standalone application!",
        "",
        "Quorvix is a plugin which requires a VST-Host. First open your VST-Host, then you can tell it to start Quorvix.",
        "",
        "If there is currently no VST-Host installed on your system, you may download and try e.g. one of the "
        "following VST-Hosts:",
        "",
        "- Ardour from Paul Davis and the Ardour community (free software, GNU GPL)",
        "\thttps://ardour.org/",
        "",
        "- Bitwig Studio from Bitwig GmbH (commercial, free demo version)",
        "\thttps://www.bitwig.com/",
        "",
        "Or browse for example the directory of VST-Host software at",
        "\thttps://www.kvraudio.com/",
        "",
        "",
    };
    EXPECT_EQ(l, expected);
}

TEST(NoticeText, German)
{
    const std::vector<std::string> l = lines(germanText());
    ASSERT_EQ(l.size(), 17u);
    EXPECT_EQ(l[0], "Sie k\xC3\xB6nnen Quorvix nicht als eigenst\xC3\xA4ndige Anwendung ausf\xC3\xBChren!");
    EXPECT_EQ(l[2], "Quorvix ist ein Plugin, das einen VST-Host ben\xC3\xB6tigt. Sie starten zuerst Ihren VST-Host, und "
                    "von diesem aus starten Sie dann Quorvix.");
    EXPECT_EQ(l[4], "Wenn Sie derzeit keinen VST-Host installiert haben, dann k\xC3\xB6nnen Sie es am Anfang zum "
                    "Beispiel mit einem dieser beiden versuchen:");
    EXPECT_EQ(l[6], "- Ardour von Paul Davis und der Ardour-Gemeinschaft (freie Software, GNU GPL; Webseite in Englisch)");
    EXPECT_EQ(l[7], "\thttps://ardour.org/");
    EXPECT_EQ(l[9], "- Bitwig Studio von Bitwig GmbH (kommerziell, kostenlose Demoversion; Webseite in Deutsch)");
    EXPECT_EQ(l[10], "\thttps://www.bitwig.com/de/");
    EXPECT_EQ(l[12], "Ansonsten ist ein ausf\xC3\xBChrliches Verzeichnis von VST-Host-Software z.B. auf");
    EXPECT_EQ(l[13], "\thttps://www.kvraudio.com/");
    EXPECT_EQ(l[14], "zu finden (Webseite in Englisch).");
    for (size_t i : {1u, 3u, 5u, 8u, 11u, 15u, 16u})
        EXPECT_EQ(l[i], "") << i;
}

} // namespace
} // namespace quorvix::notice
