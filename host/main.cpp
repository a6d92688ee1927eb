// quorvix-host: a command-line VST 2.x host for any plug-in library.
#include "host/command_line.h"
#include "host/editor_window.h"
#include "host/fx_container.h"
#include "host/help_text.h"
#include "host/midi_file.h"
#include "host/plugin_host.h"
#include "host/plugin_setup.h"
#include "host/renderer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace qhost;

namespace {

// Keeps the frame count of a render far inside 64 bits at any sample rate.
constexpr double kMaxLengthLimit = 1e9;
const char* const kProgramFileExtension = ".fxp";

int fail(const std::string& message)
{
    std::fprintf(stderr, "quorvix-host: %s\n", message.c_str());
    return 1;
}

// An incomplete command line: what is missing, then how the command is used.
int incomplete(const std::string& missing, const std::string& usage)
{
    std::fprintf(stderr, "quorvix-host: %s\n\n%s", missing.c_str(), usage.c_str());
    return 2;
}

std::string commandHelp(const char* command) { return commandHelpText(hostHelp(), *findCommandHelp(command)); }

bool wantsHelp(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

bool isOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

int unknownOption(const std::string& option, const char* command)
{
    return fail("unknown option " + option + " (see quorvix-host " + command + " --help)");
}

// Plug-ins show their messages in boxes that wait for the user; without a display they write
// them to standard error and questions take their default answer, so no command can hang.
void runWithoutDisplay()
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
}

struct CLoaded {
    std::unique_ptr<CPluginLibrary> library;
    std::unique_ptr<CPluginInstance> instance;
};

bool loadPlugin(const std::string& path, const CHostState& state, CLoaded& loaded, std::string& error)
{
    loaded.library = CPluginLibrary::open(path, error);
    if (!loaded.library)
        return false;
    loaded.instance = CPluginInstance::create(*loaded.library, state, error);
    if (!loaded.instance)
        return false;
    loaded.instance->start();
    return true;
}

bool endsWithCaseless(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<long>(end.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

int runInfo(const std::vector<std::string>& args)
{
    const std::string help = commandHelp("info");
    if (wantsHelp(args)) {
        std::fputs(help.c_str(), stdout);
        return 0;
    }
    for (const std::string& a : args)
        if (isOption(a))
            return unknownOption(a, "info");
    if (args.size() != 1)
        return incomplete(args.empty() ? "info needs a PLUGIN.so" : "info takes one PLUGIN.so", help);
    CLoaded loaded;
    std::string error;
    if (!loadPlugin(args[0], CHostState {}, loaded, error))
        return fail(error);
    CPluginInstance& p = *loaded.instance;
    const vst::AEffect& e = *p.effect();
    std::printf("plug-in:          %s\n", args[0].c_str());
    std::printf("magic:            0x%08X (%s)\n", static_cast<uint32_t>(e.magic), fourCCText(e.magic).c_str());
    std::printf("uniqueID:         0x%08X (%s)\n", static_cast<uint32_t>(e.uniqueID), fourCCText(e.uniqueID).c_str());
    std::printf("version:          %d\n", e.version);
    std::printf("flags:            0x%X\n", static_cast<uint32_t>(e.flags));
    std::printf("numPrograms:      %d\n", e.numPrograms);
    std::printf("numParams:        %d\n", e.numParams);
    std::printf("numInputs:        %d\n", e.numInputs);
    std::printf("numOutputs:       %d\n", e.numOutputs);
    std::printf("initialDelay:     %d\n", e.initialDelay);
    std::printf("ioRatio:          %g\n", double(e.ioRatio));
    std::printf("effect name:      %s\n", p.text(vst::effGetEffectName).c_str());
    std::printf("vendor:           %s\n", p.text(vst::effGetVendorString).c_str());
    std::printf("product:          %s\n", p.text(vst::effGetProductString).c_str());
    std::printf("vendor version:   %ld\n", static_cast<long>(p.dispatch(vst::effGetVendorVersion)));
    std::printf("VST version:      %ld\n", static_cast<long>(p.dispatch(vst::effGetVstVersion)));
    std::printf("category:         %ld\n", static_cast<long>(p.dispatch(vst::effGetPlugCategory)));
    std::printf("current program:  %ld (%s)\n", static_cast<long>(p.dispatch(vst::effGetProgram)),
                p.text(vst::effGetProgramName).c_str());
    std::printf("outputs:\n");
    for (int32_t i = 0; i < e.numOutputs; ++i) {
        vst::VstPinProperties pin {};
        if (p.dispatch(vst::effGetOutputProperties, i, 0, &pin) == 1)
            std::printf("  %2d %-16.64s flags %d\n", i, pin.label, pin.flags);
    }
    std::printf("programs:\n");
    const std::vector<std::string> programs = p.programNames();
    for (size_t i = 0; i < programs.size(); ++i)
        std::printf("  %3zu %s\n", i, programs[i].c_str());
    std::printf("parameters:\n");
    for (int32_t i = 0; i < e.numParams; ++i)
        std::printf("  %4d %-24s %-10s %-10s %.6f\n", i, p.parameterName(i).c_str(), p.parameterDisplay(i).c_str(),
                    p.parameterLabel(i).c_str(), double(p.getParameter(i)));
    return 0;
}

// Takes a render option with its value at args[i]; false with the reason in error.
bool parseRenderOption(const std::vector<std::string>& args, size_t& i, CRenderOptions& options,
                       std::string& output, std::string& error)
{
    const std::string& a = args[i];
    std::string v;
    double number = 0.0;
    long integer = 0;
    auto refuse = [&](const char* reason) {
        error = reason;
        return false;
    };
    if (a == "-o" || a == "--output") {
        if (!optionValue(args, i, output))
            return refuse("-o needs the name of the WAV file to write");
    } else if (a == "--rate") {
        if (!optionValue(args, i, v) || !parseNumber(v, number) || number < 1000.0 || number > 768000.0)
            return refuse("--rate needs a sample rate from 1000 to 768000 Hz");
        options.sampleRate = number;
    } else if (a == "--block") {
        if (!optionValue(args, i, v) || !parseInteger(v, integer) || integer < 1 || integer > 1 << 20)
            return refuse("--block needs a frame count from 1 to 1048576");
        options.blockSize = static_cast<int32_t>(integer);
    } else if (a == "--tempo") {
        if (!optionValue(args, i, v) || !parseNumber(v, number) || number <= 0.0 || number > 10000.0)
            return refuse("--tempo needs beats per minute above 0");
        options.tempo = number;
    } else if (a == "--tail") {
        if (!optionValue(args, i, v) || !parseNumber(v, number) || number < 0.0 || number > 3600.0)
            return refuse("--tail needs seconds from 0 to 3600");
        options.tailSeconds = number;
    } else if (a == "--max-length") {
        if (!optionValue(args, i, v) || !parseNumber(v, number) || number <= 0.0 || number > kMaxLengthLimit)
            return refuse("--max-length needs seconds above 0, at most 1000000000");
        options.maxSongSeconds = number;
    } else if (a == "--float") {
        options.pcm16 = false;
    } else if (a == "--pcm16") {
        options.pcm16 = true;
    } else if (a == "--quiet") {
        options.progress = false;
    } else {
        error = "unknown option " + a + " (see quorvix-host render --help)";
        return false;
    }
    return true;
}

int runRender(const std::vector<std::string>& args)
{
    const std::string help = commandHelp("render");
    if (wantsHelp(args)) {
        std::fputs(help.c_str(), stdout);
        return 0;
    }
    CRenderOptions options;
    CSetupOptions setup;
    std::vector<std::string> positional;
    std::string output;
    std::string error;
    for (size_t i = 0; i < args.size(); ++i) {
        if (!isOption(args[i])) {
            positional.push_back(args[i]);
            continue;
        }
        const EOptionResult result = parseSetupOption(args, i, setup, error);
        if (result == EOptionResult::Refused ||
            (result == EOptionResult::NotMine && !parseRenderOption(args, i, options, output, error)))
            return fail(error);
    }
    if (positional.size() < 2)
        return incomplete(positional.empty() ? "render needs a PLUGIN.so, a MIDI file and -o OUT.wav"
                                             : "render needs the MIDI file to play after the plug-in",
                          help);
    if (positional.size() > 2)
        return incomplete("render takes one plug-in and one MIDI file; '" + positional[2] + "' is one too many", help);
    if (output.empty())
        return incomplete("render needs the WAV file to write: -o OUT.wav", help);
    if (!checkSetupOptions(setup, error))
        return fail(error);
    CMidiSong song;
    if (!readMidiFile(positional[1], song, error) || !songFits(song, options, error))
        return fail(error);
    CLoaded loaded;
    CRenderResult result;
    if (!loadPlugin(positional[0], renderHostState(song, options), loaded, error) ||
        !applySetup(*loaded.instance, setup, error) ||
        !renderSong(*loaded.instance, song, output, options, result, error))
        return fail(error);
    std::printf("wrote %s: %lld frames at %g Hz, %s\n", output.c_str(), static_cast<long long>(result.frames),
                options.sampleRate, options.pcm16 ? "16-bit" : "32-bit float");
    std::printf("peak %.6f (%.1f dBFS), rms %.6f (%.1f dBFS)%s\n", result.peak,
                result.peak > 0 ? 20.0 * std::log10(result.peak) : -INFINITY, result.rms,
                result.rms > 0 ? 20.0 * std::log10(result.rms) : -INFINITY, result.peak == 0.0 ? " - silent" : "");
    return 0;
}

int saveChunk(CPluginInstance& p, const std::string& path, const CSetupOptions& setup)
{
    std::string error;
    if (!applySetup(p, setup, error))
        return fail(error);
    CChunkFile file;
    file.isProgram = endsWithCaseless(path, kProgramFileExtension);
    file.chunk = p.getChunk(file.isProgram);
    if (file.chunk.empty())
        return fail("the plug-in gave no chunk");
    file.pluginId = p.effect()->uniqueID;
    file.pluginVersion = p.effect()->version;
    file.programCount = file.isProgram ? 1 : p.effect()->numPrograms;
    file.programName = p.text(vst::effGetProgramName);
    if (!writeFile(path, writeChunkFile(file), error))
        return fail(error);
    std::printf("saved %zu bytes of %s state to %s\n", file.chunk.size(), file.isProgram ? "program" : "bank",
                path.c_str());
    return 0;
}

int runEdit(const std::vector<std::string>& args)
{
    const std::string help = commandHelp("edit");
    if (wantsHelp(args)) {
        std::fputs(help.c_str(), stdout);
        return 0;
    }
    CEditOptions options;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string v;
        long page = 0;
        if (args[i] == "--page") {
            if (!optionValue(args, i, v) || !parseInteger(v, page) || page < 0 || page > 7)
                return fail("--page needs a page number from 0 (Overview) to 7 (Misc)");
            options.page = static_cast<int>(page);
        } else if (args[i] == "--screenshot") {
            if (!optionValue(args, i, options.screenshot) || options.screenshot.empty())
                return fail("--screenshot needs the name of the PNG file to write");
        } else if (isOption(args[i])) {
            return unknownOption(args[i], "edit");
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1)
        return incomplete(positional.empty() ? "edit needs a PLUGIN.so" : "edit takes one PLUGIN.so", help);
    CLoaded loaded;
    std::string error;
    if (!loadPlugin(positional[0], CHostState {}, loaded, error))
        return fail(error);
    if (!runEditor(*loaded.instance, options, error))
        return fail(error);
    if (!options.screenshot.empty())
        std::printf("wrote %s\n", options.screenshot.c_str());
    return 0;
}

int runChunk(const std::vector<std::string>& args)
{
    const std::string help = commandHelp("chunk");
    if (wantsHelp(args)) {
        std::fputs(help.c_str(), stdout);
        return 0;
    }
    if (args.empty() || (args[0] != "save" && args[0] != "load"))
        return incomplete(args.empty() ? "chunk needs save or load" : "chunk needs save or load, not '" + args[0] + "'",
                          help);
    const std::string& verb = args[0];
    CSetupOptions setup;
    std::vector<std::string> positional;
    std::string error;
    for (size_t i = 1; i < args.size(); ++i) {
        if (!isOption(args[i])) {
            positional.push_back(args[i]);
            continue;
        }
        const EOptionResult result =
            verb == "save" ? parseSetupOption(args, i, setup, error) : EOptionResult::NotMine;
        if (result == EOptionResult::Refused)
            return fail(error);
        if (result == EOptionResult::NotMine)
            return unknownOption(args[i], "chunk");
    }
    if (positional.size() < 2)
        return incomplete("chunk " + verb + (positional.empty() ? " needs a PLUGIN.so and a FILE" : " needs a FILE after the plug-in"),
                          help);
    if (positional.size() > 2)
        return incomplete("chunk " + verb + " takes one plug-in and one FILE; '" + positional[2] + "' is one too many",
                          help);
    if (!checkSetupOptions(setup, error))
        return fail(error);
    CLoaded loaded;
    if (!loadPlugin(positional[0], CHostState {}, loaded, error))
        return fail(error);
    if (verb == "save")
        return saveChunk(*loaded.instance, positional[1], setup);
    intptr_t answer = 0;
    if (!loadChunkInto(*loaded.instance, positional[1], answer, error))
        return fail(error);
    std::printf("loaded %s: the plug-in answered %ld\n", positional[1].c_str(), static_cast<long>(answer));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const std::string mainHelp = programHelpText(hostHelp());
    if (args.empty())
        return incomplete("a COMMAND is needed", mainHelp);
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(mainHelp.c_str(), stdout);
        return 0;
    }
    // The editor needs the display; every other command runs without one.
    if (command == "edit")
        return runEdit(args);
    runWithoutDisplay();
    if (command == "info")
        return runInfo(args);
    if (command == "render")
        return runRender(args);
    if (command == "chunk")
        return runChunk(args);
    return incomplete("unknown command '" + command + "'", mainHelp);
}
