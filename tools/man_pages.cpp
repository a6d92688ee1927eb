// Writes the manual pages quorvix-host.1 and Quorvix_NoVSTHost.1 from the texts the programs
// themselves show: quorvix-host's help records and the notice's English text.
// usage: quorvix_man_pages OUTPUT_FOLDER VERSION
#include "host/help_text.h"
#include "notice/notice_text.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using qhost::CCommandHelp;
using qhost::CHelpEntry;
using qhost::CHelpSection;
using qhost::CProgramHelp;

const char* const kSection = "1";
const char* const kManual = "User Commands";
const char* const kNoticeName = "Quorvix_NoVSTHost";

// A dash that starts a word is a minus, so that options copied from the page work.
bool startsWord(const std::string& text, size_t at)
{
    return at == 0 || std::isspace(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '[' ||
           text[at - 1] == '(' || text[at - 1] == '-';
}

// One line of text as troff reads it: escapes, and no line that could pass for a request.
std::string troffLine(const std::string& line)
{
    std::string out = line.empty() || line[0] == '.' || line[0] == '\'' ? "\\&" : "";
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\')
            out += "\\e";
        else if (line[i] == '-' && startsWord(line, i))
            out += "\\-";
        else
            out += line[i];
    }
    return out;
}

std::string troffText(const std::string& text)
{
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);)
        out += troffLine(line) + "\n";
    return out;
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string header(const std::string& name, const std::string& version)
{
    return ".TH " + upper(name) + " " + kSection + " \"\" \"Quorvix " + version + "\" \"" + kManual + "\"\n";
}

std::string nameSection(const std::string& name, const std::string& purpose)
{
    return ".SH NAME\n" + troffLine(name) + " \\- " + troffLine(purpose) + "\n";
}

std::string entries(const std::vector<CHelpEntry>& list)
{
    std::string out;
    for (const CHelpEntry& e : list)
        out += ".TP\n.B " + troffLine(e.term) + "\n" + troffText(e.text);
    return out;
}

std::string paragraphs(const std::vector<std::string>& list)
{
    std::string out;
    for (const std::string& p : list)
        out += ".PP\n" + troffText(p);
    return out;
}

std::string commandSection(const CProgramHelp& program, const CCommandHelp& command)
{
    std::vector<CHelpEntry> usages;
    for (const CHelpEntry& u : command.usages)
        usages.push_back({program.name + " " + u.term, u.text});
    std::string out = entries(usages) + ".RS\n" + paragraphs(command.paragraphs);
    if (!command.options.entries.empty())
        out += ".PP\n" + troffLine(command.options.title + ":") + "\n" + entries(command.options.entries);
    return out + ".RE\n";
}

std::string hostPage(const CProgramHelp& program, const std::string& version)
{
    std::string page = header(program.name, version) + nameSection(program.name, program.purpose) + ".SH SYNOPSIS\n";
    auto synopsis = [&](const std::string& arguments) {
        page += ".B " + troffLine(program.name) + "\n" + troffLine(arguments) + "\n.br\n";
    };
    synopsis(program.usage);
    for (const CCommandHelp& command : program.commands)
        for (const CHelpEntry& usage : command.usages)
            synopsis(usage.term);
    page += ".SH DESCRIPTION\n" + paragraphs(program.paragraphs) + ".PP\n" + troffLine(program.commandHint) + "\n";
    page += ".SH COMMANDS\n";
    for (const CCommandHelp& command : program.commands)
        page += commandSection(program, command);
    for (const CHelpSection& section : program.sections)
        page += ".SH " + troffLine(upper(section.title)) + "\n" + entries(section.entries);
    return page + ".SH SEE ALSO\n.BR " + kNoticeName + " (1)\n";
}

// The notice's lines end with CR LF, paragraphs are parted by an empty line, addresses indented.
std::string noticeText(const std::string& text)
{
    std::istringstream in(text);
    std::string out;
    bool inParagraph = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty()) {
            inParagraph = false;
            continue;
        }
        out += inParagraph ? ".br\n" : ".PP\n";
        inParagraph = true;
        const bool address = line[0] == '\t';
        out += address ? ".RS\n" + troffLine(line.substr(1)) + "\n.RE\n" : troffLine(line) + "\n";
    }
    return out;
}

std::string noticePage(const std::string& version)
{
    return header(kNoticeName, version) + nameSection(kNoticeName, "tell that Quorvix runs inside a VST 2.x host") +
           ".SH SYNOPSIS\n.B " + kNoticeName + "\n.SH DESCRIPTION\n" +
           troffText("Quorvix is a synthesizer plug-in (Quorvix.so) for VST 2.x hosts. Started on its own,\n"
                     "the package runs Quorvix_NoVSTHost, which shows a notice in German and English and\n"
                     "ends when its window is closed. It ignores its command line and reads and writes no\n"
                     "files. The English notice:") +
           noticeText(quorvix::notice::englishText()) + ".SH SEE ALSO\n.BR quorvix-host (1)\n";
}

bool writePage(const std::string& path, const std::string& page)
{
    std::ofstream out(path, std::ios::binary);
    out << page;
    out.close();
    if (out)
        return true;
    std::fprintf(stderr, "quorvix_man_pages: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: quorvix_man_pages OUTPUT_FOLDER VERSION\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const std::string version = argv[2];
    const qhost::CProgramHelp& host = qhost::hostHelp();
    const bool written = writePage(folder + "/" + host.name + "." + kSection, hostPage(host, version)) &&
                         writePage(folder + "/" + kNoticeName + "." + kSection, noticePage(version));
    return written ? 0 : 1;
}
