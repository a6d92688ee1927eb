#include "host/help_text.h"

#include <algorithm>

namespace qhost {

namespace {

// Terms share one column when all are this narrow; else each text goes on the line below its term.
constexpr size_t kWidestColumn = 48;
constexpr size_t kEntryIndent = 2;
constexpr size_t kColumnGap = 2;
constexpr size_t kNextLineIndent = 6;
const char* const kUsagePrefix = "usage: ";

// Set-up options of render and chunk save, in the order in which they are applied.
const std::vector<CHelpEntry> kSetupOptions = {
    {"--bank N", "loads the plug-in's factory bank N (0 to 8) first, answering its question with yes"},
    {"--chunk FILE", "state to load: .fxb, .fxp or a bare chunk"},
    {"--program N", "program to select, from 0 to the plug-in's last"},
    {"--param INDEX=VALUE", "sets one of the plug-in's parameters to VALUE (0 to 1); may repeat"},
    {"--tuning FILE", "loads a tuning: Scala scale (.scl), TUN file (.tun) or multiple-scale file (.msf)"},
    {"--kbm FILE", "the Scala keyboard mapping (.kbm) for a .scl tuning"},
};

const char* const kSetupParagraph =
    "--bank and --tuning run the plug-in's own factory-bank and tuning-file commands, the\n"
    "parameters 1016 \"LoadBankSelector\" and 1018 \"TuningSource\" beyond its host parameters, and\n"
    "give their dialogs the answers through a private QUORVIX_DIALOG_ANSWERS file. Plug-ins with\n"
    "the unique ID \"Quor\" and these parameters offer them; for others both options fail.";

const char* const kHeadlessParagraph =
    "The plug-in runs without a display: its messages go to standard error, and questions\n"
    "that no option answers take their default.";

std::vector<CHelpEntry> renderOptions()
{
    std::vector<CHelpEntry> options = {
        {"-o, --output OUT.wav", "the WAV file to write (required)"},
        {"--rate HZ", "sample rate (default 44100)"},
        {"--block FRAMES", "block size (default 512)"},
        {"--tempo BPM", "tempo reported to the plug-in (default: the file's tempo map)"},
    };
    options.insert(options.end(), kSetupOptions.begin(), kSetupOptions.end());
    options.insert(options.end(), {
                                      {"--tail SECONDS", "time rendered after the last event (default 2)"},
                                      {"--max-length SECONDS", "longest song rendered; longer ones are refused (default 3600)"},
                                      {"--float", "32-bit float samples (default)"},
                                      {"--pcm16", "16-bit samples"},
                                      {"--quiet", "no progress bar"},
                                  });
    return options;
}

CProgramHelp makeHostHelp()
{
    CProgramHelp help;
    help.name = "quorvix-host";
    help.purpose = "play MIDI files through VST 2.x plug-ins, and show and store their state";
    help.usage = "COMMAND ...";
    help.paragraphs = {"A VST 2.x host for the command line; it loads any VST 2.x plug-in library and drives it\n"
                       "through the plug-in's binary interface only."};
    help.commands = {
        {"info",
         {{"info PLUGIN.so", "prints the plug-in's values, programs and parameters"}},
         {"Prints the plug-in's AEffect values, its names and versions, output pins, program names\n"
          "and every parameter with its name, display text, unit label and value. Programs are\n"
          "listed by their indexed names, or else by switching to each one and back.",
          kHeadlessParagraph},
         {}},
        {"render",
         {{"render PLUGIN.so IN.mid -o OUT.wav [options]", "renders a MIDI file into a WAV file"}},
         {"Plays a Standard MIDI File (format 0 or 1) through the plug-in and writes a stereo WAV;\n"
          "every output pair of the plug-in is mixed into it. 32-bit float files carry the\n"
          "extensible format header. A failed render leaves no WAV behind.",
          kSetupParagraph, kHeadlessParagraph},
         {"options", renderOptions()}},
        {"chunk",
         {{"chunk save PLUGIN.so FILE [options]", "saves the state as a bank (.fxb) or program (.fxp)"},
          {"chunk load PLUGIN.so FILE", "loads a state file and prints the plug-in's answer"}},
         {"save sets the plug-in up as the options say and writes its chunk in a VST program file\n"
          "(FPCh) when FILE ends in .fxp, else in a VST bank file (FBCh). load reads such a file, or a\n"
          "bare chunk, hands it to the plug-in and prints what the plug-in answered.",
          "A file made for another plug-in (another unique ID) is refused, and so is a chunk the\n"
          "plug-in refuses: it answers 0 and its state stays as it was.",
          kSetupParagraph, kHeadlessParagraph},
         {"options of save", kSetupOptions}},
        {"edit",
         {{"edit PLUGIN.so [--page N] [--screenshot FILE.png]", "opens the plug-in's editor in a window"}},
         {"Opens the plug-in's editor in a window of its own, as a host embeds it: the size the\n"
          "plug-in asks for, the editor opened on that window and its idle every 30 ms. Closing the\n"
          "window ends the command. Needs an X display (xvfb-run gives one for screenshots).",
          "--screenshot writes a PNG of the window once the editor has drawn, then ends. --page\n"
          "shows one of Quorvix's pages first (0 Overview, 1 OSC, 2 OSCMod, 3 Shaper, 4 Filter,\n"
          "5 FilterMod, 6 Vol / FX, 7 Misc); other plug-ins ignore it."},
         {"options",
          {{"--page N", "the Quorvix page to show, 0 to 7"},
           {"--screenshot FILE.png", "writes the window as PNG after the editor has drawn, then ends"}}}},
    };
    help.commandHint = "'quorvix-host COMMAND --help' describes each command.";
    help.sections = {
        {"exit status",
         {{"0", "success"},
          {"1", "an error, said on standard error: unreadable, unusable or refused input, a song over\n"
                "the length limit, non-finite output, a failed write"},
          {"2", "an incomplete command line; the usage is shown"}}},
        {"examples",
         {{"quorvix-host info /usr/lib/vst/Quorvix.so", "lists the plug-in's programs and parameters"},
          {"quorvix-host render /usr/lib/vst/Quorvix.so song.mid -o song.wav --program 5",
           "renders a song with program 5"},
          {"quorvix-host render /usr/lib/vst/Quorvix.so song.mid -o song.wav --tuning 19-edo.scl",
           "renders a song in a Scala tuning"},
          {"quorvix-host chunk save /usr/lib/vst/Quorvix.so pad.fxp --program 3 --param 108=0.4",
           "stores program 3 with one parameter changed"}}},
    };
    return help;
}

std::string indented(const std::string& text, size_t indent)
{
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '\n')
            out.append(indent, ' ');
    }
    return out;
}

std::string entriesText(const std::vector<CHelpEntry>& entries)
{
    size_t column = 0;
    for (const CHelpEntry& e : entries)
        column = std::max(column, e.term.size());
    std::string text;
    for (const CHelpEntry& e : entries) {
        text.append(kEntryIndent, ' ');
        text += e.term;
        if (column <= kWidestColumn) {
            text.append(column - e.term.size() + kColumnGap, ' ');
            text += indented(e.text, kEntryIndent + column + kColumnGap) + "\n";
        } else {
            text += "\n" + std::string(kNextLineIndent, ' ') + indented(e.text, kNextLineIndent) + "\n";
        }
    }
    return text;
}

std::string sectionText(const CHelpSection& section) { return section.title + ":\n" + entriesText(section.entries); }

std::string paragraphsText(const std::vector<std::string>& paragraphs)
{
    std::string text;
    for (const std::string& p : paragraphs)
        text += "\n" + p + "\n";
    return text;
}

} // namespace

const CProgramHelp& hostHelp()
{
    static const CProgramHelp help = makeHostHelp();
    return help;
}

const CCommandHelp* findCommandHelp(const std::string& name)
{
    for (const CCommandHelp& command : hostHelp().commands)
        if (command.name == name)
            return &command;
    return nullptr;
}

std::string programHelpText(const CProgramHelp& program)
{
    std::string text = kUsagePrefix + program.name + " " + program.usage + "\n" + paragraphsText(program.paragraphs);
    std::vector<CHelpEntry> commands;
    for (const CCommandHelp& command : program.commands)
        commands.insert(commands.end(), command.usages.begin(), command.usages.end());
    text += "\n" + sectionText({"commands", commands}) + "\n" + program.commandHint + "\n";
    for (const CHelpSection& section : program.sections)
        text += "\n" + sectionText(section);
    return text;
}

std::string commandHelpText(const CProgramHelp& program, const CCommandHelp& command)
{
    std::string text;
    for (const CHelpEntry& usage : command.usages)
        text += (text.empty() ? std::string(kUsagePrefix) : std::string(std::string(kUsagePrefix).size(), ' ')) +
                program.name + " " + usage.term + "\n";
    text += paragraphsText(command.paragraphs);
    if (!command.options.entries.empty())
        text += "\n" + sectionText(command.options);
    return text;
}

} // namespace qhost
