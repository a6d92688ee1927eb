// quorvix-host: a command-line VST 2.x host for any plug-in library.
#include "host/fx_container.h"
#include "host/midi_file.h"
#include "host/plugin_host.h"
#include "host/renderer.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace qhost;

namespace {

// Keeps the frame count of a render far inside 64 bits at any sample rate.
constexpr double kMaxLengthLimit = 1e9;

constexpr const char* kMainHelp =
    "usage: quorvix-host COMMAND ...\n"
    "\n"
    "A VST 2.x host for the command line; it loads any VST 2.x plug-in library.\n"
    "\n"
    "commands:\n"
    "  info PLUGIN.so                      the AEffect values, names, programs and parameters\n"
    "  render PLUGIN.so IN.mid -o OUT.wav  renders a Standard MIDI File into a WAV file\n"
    "  chunk save PLUGIN.so FILE           saves the plug-in's state as a bank (.fxb) or program (.fxp)\n"
    "  chunk load PLUGIN.so FILE           loads an .fxb, .fxp or bare chunk and reports the answer\n"
    "\n"
    "'quorvix-host COMMAND --help' describes each command.\n";

constexpr const char* kInfoHelp =
    "usage: quorvix-host info PLUGIN.so\n"
    "\n"
    "Prints the plug-in's AEffect values, its names and versions, output pins, program names\n"
    "and every parameter with its name, unit label, display text and value.\n";

constexpr const char* kRenderHelp =
    "usage: quorvix-host render PLUGIN.so IN.mid -o OUT.wav [options]\n"
    "\n"
    "Plays a Standard MIDI File (format 0 or 1) through the plug-in and writes a stereo WAV;\n"
    "every output pair of the plug-in is mixed into it.\n"
    "\n"
    "options:\n"
    "  -o, --output OUT.wav   the WAV file to write (required)\n"
    "  --rate HZ              sample rate (default 44100)\n"
    "  --block FRAMES         block size (default 512)\n"
    "  --tempo BPM            tempo reported to the plug-in (default: the file's tempo map)\n"
    "  --program N            program to select before playing\n"
    "  --chunk FILE           state to load first: .fxb, .fxp or a bare chunk\n"
    "  --param INDEX=VALUE    sets a parameter (normalized 0..1) before playing; may repeat\n"
    "  --tail SECONDS         time rendered after the last event (default 2)\n"
    "  --max-length SECONDS   longest song rendered; longer ones are refused (default 3600)\n"
    "  --float                32-bit float samples (default)\n"
    "  --pcm16                16-bit samples\n"
    "  --quiet                no progress bar\n";

constexpr const char* kChunkHelp =
    "usage: quorvix-host chunk save PLUGIN.so FILE [--program]\n"
    "       quorvix-host chunk load PLUGIN.so FILE\n"
    "\n"
    "save writes the plug-in's chunk in a VST bank file (FBCh), or with --program in a\n"
    "program file (FPCh). load reads such a file (or a bare chunk), hands it to the plug-in\n"
    "and prints what the plug-in answered. It fails when the file cannot be read or the plug-in\n"
    "refuses the chunk: it answers 0 and its state stays as it was.\n";

int fail(const std::string& message)
{
    std::fprintf(stderr, "quorvix-host: %s\n", message.c_str());
    return 1;
}

int usage(const char* help)
{
    std::fputs(help, stderr);
    return 2;
}

bool wantsHelp(const std::vector<std::string>& args)
{
    for (const auto& a : args)
        if (a == "--help" || a == "-h")
            return true;
    return false;
}

bool parseNumber(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(out);
}

bool parseInteger(const std::string& text, long& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

struct CLoaded {
    std::unique_ptr<CPluginLibrary> library;
    std::unique_ptr<CPluginInstance> instance;
};

bool loadPlugin(const std::string& path, CLoaded& loaded, std::string& error)
{
    loaded.library = CPluginLibrary::open(path, error);
    if (!loaded.library)
        return false;
    loaded.instance = CPluginInstance::create(*loaded.library, CHostState {}, error);
    if (!loaded.instance)
        return false;
    loaded.instance->start();
    return true;
}

std::string fourCCText(int32_t id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '.';
    }
    return text;
}

int runInfo(const std::vector<std::string>& args)
{
    if (wantsHelp(args)) {
        std::fputs(kInfoHelp, stdout);
        return 0;
    }
    if (args.size() != 1)
        return usage(kInfoHelp);
    CLoaded loaded;
    std::string error;
    if (!loadPlugin(args[0], loaded, error))
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
    for (int32_t i = 0; i < e.numPrograms; ++i) {
        char name[256] = {};
        if (p.dispatch(vst::effGetProgramNameIndexed, i, -1, name) == 1)
            std::printf("  %3d %s\n", i, name);
    }
    std::printf("parameters:\n");
    for (int32_t i = 0; i < e.numParams; ++i)
        std::printf("  %4d %-24s %-10s %-10s %.6f\n", i, p.parameterName(i).c_str(), p.parameterDisplay(i).c_str(),
                    p.parameterLabel(i).c_str(), double(p.getParameter(i)));
    return 0;
}

int runRender(const std::vector<std::string>& args)
{
    if (wantsHelp(args)) {
        std::fputs(kRenderHelp, stdout);
        return 0;
    }
    CRenderOptions options;
    std::vector<std::string> positional;
    std::string output;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        double number = 0.0;
        long integer = 0;
        if (a == "-o" || a == "--output") {
            if (!value(output))
                return fail("-o needs a file name");
        } else if (a == "--rate") {
            if (!value(v) || !parseNumber(v, number) || number < 1000.0 || number > 768000.0)
                return fail("--rate needs a sample rate from 1000 to 768000 Hz");
            options.sampleRate = number;
        } else if (a == "--block") {
            if (!value(v) || !parseInteger(v, integer) || integer < 1 || integer > 1 << 20)
                return fail("--block needs a frame count from 1 to 1048576");
            options.blockSize = static_cast<int32_t>(integer);
        } else if (a == "--tempo") {
            if (!value(v) || !parseNumber(v, number) || number <= 0.0 || number > 10000.0)
                return fail("--tempo needs beats per minute above 0");
            options.tempo = number;
        } else if (a == "--program") {
            if (!value(v) || !parseInteger(v, integer) || integer < 0 || integer > INT32_MAX)
                return fail("--program needs a program number");
            options.program = static_cast<int32_t>(integer);
        } else if (a == "--chunk") {
            if (!value(options.chunkFile))
                return fail("--chunk needs a file name");
        } else if (a == "--param") {
            const size_t eq = value(v) ? v.find('=') : std::string::npos;
            if (eq == std::string::npos || !parseInteger(v.substr(0, eq), integer) ||
                !parseNumber(v.substr(eq + 1), number))
                return fail("--param needs INDEX=VALUE, for example --param 108=0.5");
            options.parameters.emplace_back(static_cast<int32_t>(integer), static_cast<float>(number));
        } else if (a == "--tail") {
            if (!value(v) || !parseNumber(v, number) || number < 0.0 || number > 3600.0)
                return fail("--tail needs seconds from 0 to 3600");
            options.tailSeconds = number;
        } else if (a == "--max-length") {
            if (!value(v) || !parseNumber(v, number) || number <= 0.0 || number > kMaxLengthLimit)
                return fail("--max-length needs seconds above 0, at most 1000000000");
            options.maxSongSeconds = number;
        } else if (a == "--float") {
            options.pcm16 = false;
        } else if (a == "--pcm16") {
            options.pcm16 = true;
        } else if (a == "--quiet") {
            options.progress = false;
        } else if (!a.empty() && a[0] == '-') {
            return fail("unknown option " + a + " (see quorvix-host render --help)");
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2 || output.empty())
        return usage(kRenderHelp);
    CMidiSong song;
    std::string error;
    if (!readMidiFile(positional[1], song, error))
        return fail(error);
    CRenderResult result;
    if (!renderSong(positional[0], song, output, options, result, error))
        return fail(error);
    std::printf("wrote %s: %lld frames at %g Hz, %s\n", output.c_str(), static_cast<long long>(result.frames),
                options.sampleRate, options.pcm16 ? "16-bit" : "32-bit float");
    std::printf("peak %.6f (%.1f dBFS), rms %.6f (%.1f dBFS)%s\n", result.peak,
                result.peak > 0 ? 20.0 * std::log10(result.peak) : -INFINITY, result.rms,
                result.rms > 0 ? 20.0 * std::log10(result.rms) : -INFINITY, result.peak == 0.0 ? " - silent" : "");
    return 0;
}

int runChunk(const std::vector<std::string>& args)
{
    if (wantsHelp(args)) {
        std::fputs(kChunkHelp, stdout);
        return 0;
    }
    if (args.size() < 3)
        return usage(kChunkHelp);
    const std::string& verb = args[0];
    const bool program = args.size() == 4 && args[3] == "--program";
    if ((verb != "save" && verb != "load") || (args.size() == 4 && (!program || verb != "save")) || args.size() > 4)
        return usage(kChunkHelp);
    CLoaded loaded;
    std::string error;
    if (!loadPlugin(args[1], loaded, error))
        return fail(error);
    CPluginInstance& p = *loaded.instance;
    if (verb == "save") {
        CChunkFile file;
        file.isProgram = program;
        file.chunk = p.getChunk(program);
        if (file.chunk.empty())
            return fail("the plug-in gave no chunk");
        file.pluginId = p.effect()->uniqueID;
        file.pluginVersion = p.effect()->version;
        file.programCount = program ? 1 : p.effect()->numPrograms;
        file.programName = p.text(vst::effGetProgramName);
        if (!writeFile(args[2], writeChunkFile(file), error))
            return fail(error);
        std::printf("saved %zu bytes of %s state to %s\n", file.chunk.size(), program ? "program" : "bank",
                    args[2].c_str());
        return 0;
    }
    intptr_t answer = 0;
    if (!loadChunkInto(p, args[2], answer, error))
        return fail(error);
    std::printf("loaded %s: the plug-in answered %ld\n", args[2].c_str(), static_cast<long>(answer));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage(kMainHelp);
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kMainHelp, stdout);
        return 0;
    }
    if (command == "info")
        return runInfo(args);
    if (command == "render")
        return runRender(args);
    if (command == "chunk")
        return runChunk(args);
    std::fprintf(stderr, "quorvix-host: unknown command '%s'\n\n", command.c_str());
    return usage(kMainHelp);
}
