#include "host/plugin_setup.h"

#include "host/fx_container.h"
#include "host/renderer.h"
#include "host/scripted_answers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace qhost {

namespace {

// Commands some plug-ins offer as choice parameters past their host parameters, with dialogs
// that take scripted answers. Only plug-ins with this unique ID are asked for those names:
// others could read outside their own tables.
constexpr int32_t kCommandPluginId = vst::fourCC('Q', 'u', 'o', 'r');

struct CChoiceCommand {
    int32_t index;
    const char* name;
    int choices;
    const char* option;
};

constexpr CChoiceCommand kBankSelector {1016, "LoadBankSelector", 10, "--bank"};
// The selector's last choice breeds a random bank; the others are the factory banks.
constexpr int kFactoryBanks = 9;
const char* const kYes = "yes";
// The name of the programs of an instance that started without its factory bank.
const char* const kInitName = "Init";
constexpr CChoiceCommand kTuningSource {1018, "TuningSource", 4, "--tuning"};
constexpr int kHostTuning = 0;
constexpr int kFileTuning = 1;
const char* const kScalaExtension = ".scl";

float choiceValue(int choice, int count) { return (static_cast<float>(choice) + 0.5f) / static_cast<float>(count); }

int readChoice(CPluginInstance& instance, const CChoiceCommand& command)
{
    const float value = instance.getParameter(command.index);
    if (!(value > 0.0f))
        return 0;
    return std::min(static_cast<int>(std::floor(value * static_cast<float>(command.choices))), command.choices - 1);
}

void setChoice(CPluginInstance& instance, const CChoiceCommand& command, int choice)
{
    instance.setParameter(command.index, choiceValue(choice, command.choices));
}

bool offers(CPluginInstance& instance, const CChoiceCommand& command)
{
    return instance.effect()->uniqueID == kCommandPluginId && instance.parameterName(command.index) == command.name;
}

std::string missingCommand(CPluginInstance& instance, const CChoiceCommand& command)
{
    return std::string(command.option) + " needs a plug-in with the command parameter " +
           std::to_string(command.index) + " \"" + command.name + "\"; this plug-in (unique ID '" +
           fourCCText(instance.effect()->uniqueID) + "') has none";
}

std::string rangeText(int32_t count) { return count > 0 ? "0 to " + std::to_string(count - 1) : "none"; }

bool checkSetup(CPluginInstance& instance, const CSetupOptions& setup, std::string& error)
{
    const vst::AEffect& effect = *instance.effect();
    std::string reason;
    if (setup.bank && !offers(instance, kBankSelector))
        reason = missingCommand(instance, kBankSelector);
    else if (setup.bank && *setup.bank >= kFactoryBanks)
        reason = "--bank " + std::to_string(*setup.bank) + ": the plug-in's factory banks are " + rangeText(kFactoryBanks);
    else if (setup.program && *setup.program >= effect.numPrograms)
        reason = "--program " + std::to_string(*setup.program) + ": the plug-in's programs are " +
                rangeText(effect.numPrograms);
    else if (!setup.tuningFile.empty() && !offers(instance, kTuningSource))
        reason = missingCommand(instance, kTuningSource);
    for (const auto& [index, value] : setup.parameters)
        if (reason.empty() && index >= effect.numParams)
            reason = "--param " + std::to_string(index) + ": the plug-in's parameters are " + rangeText(effect.numParams);
    error = reason;
    return reason.empty();
}

std::string absolutePath(const std::string& path)
{
    std::error_code failure;
    const std::filesystem::path full = std::filesystem::absolute(path, failure);
    return failure ? path : full.string();
}

bool onlyInitPrograms(CPluginInstance& instance)
{
    const std::vector<std::string> names = instance.programNames();
    return std::all_of(names.begin(), names.end(), [](const std::string& n) { return n.rfind(kInitName, 0) == 0; });
}

bool loadFactoryBank(CPluginInstance& instance, int32_t bank, std::string& error)
{
    // The plug-in asks before it overwrites its programs.
    const CScriptedAnswers answers({kYes});
    if (!answers.ok()) {
        error = "cannot write the answers for the plug-in's question";
        return false;
    }
    const int previous = readChoice(instance, kBankSelector);
    const std::vector<uint8_t> before = instance.getChunk(false);
    setChoice(instance, kBankSelector, bank);
    // The selector is remembered even when the bank could not be loaded: a failed load leaves the
    // programs as they were, which only a reload of the bank already there does too.
    const bool unchanged = instance.getChunk(false) == before;
    const bool failed = unchanged && (previous != bank || onlyInitPrograms(instance));
    if (readChoice(instance, kBankSelector) == bank && !failed)
        return true;
    error = "the plug-in did not load its factory bank " + std::to_string(bank) + " (its message above says why)";
    return false;
}

bool loadTuningFile(CPluginInstance& instance, const CSetupOptions& setup, std::string& error)
{
    std::vector<std::string> files = {absolutePath(setup.tuningFile)};
    if (!setup.mappingFile.empty())
        files.push_back(absolutePath(setup.mappingFile));
    const CScriptedAnswers answers(files);
    if (!answers.ok()) {
        error = "cannot write the answers for the plug-in's file dialogs";
        return false;
    }
    // A failed load brings the previous source back: coming from another source, the source read
    // back tells whether the file was taken.
    if (readChoice(instance, kTuningSource) == kFileTuning)
        setChoice(instance, kTuningSource, kHostTuning);
    setChoice(instance, kTuningSource, kFileTuning);
    if (readChoice(instance, kTuningSource) == kFileTuning)
        return true;
    error = "the plug-in did not load the tuning file " + setup.tuningFile + " (its message above says why)";
    return false;
}

} // namespace

bool isScalaScale(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == kScalaExtension;
}

bool loadChunkInto(CPluginInstance& instance, const std::string& path, intptr_t& answer, std::string& error)
{
    std::vector<uint8_t> data;
    CChunkFile file;
    if (!readFile(path, data, error) || !readChunkFile(data, file, error))
        return false;
    const int32_t id = instance.effect()->uniqueID;
    if (file.inContainer && file.pluginId != id) {
        error = path + " holds the state of the plug-in with the unique ID '" + fourCCText(file.pluginId) +
                "', not of this one ('" + fourCCText(id) + "')";
        return false;
    }
    if (file.chunk.empty()) {
        error = path + " holds no chunk";
        return false;
    }
    // Many plug-ins answer 0 whatever they do with a chunk: only 0 with the state left as it was,
    // though the chunk asked for another, is a refusal.
    const std::vector<uint8_t> before = instance.getChunk(file.isProgram);
    answer = instance.setChunk(file.chunk, file.isProgram);
    if (answer == 0 && before != file.chunk && instance.getChunk(file.isProgram) == before) {
        error = "the plug-in refused the chunk in " + path;
        return false;
    }
    return true;
}

bool applySetup(CPluginInstance& instance, const CSetupOptions& setup, std::string& error)
{
    if (!checkSetup(instance, setup, error))
        return false;
    if (setup.bank && !loadFactoryBank(instance, *setup.bank, error))
        return false;
    intptr_t answer = 0;
    if (!setup.chunkFile.empty() && !loadChunkInto(instance, setup.chunkFile, answer, error))
        return false;
    if (setup.program)
        instance.dispatch(vst::effSetProgram, 0, *setup.program);
    for (const auto& [index, value] : setup.parameters)
        instance.setParameter(index, value);
    return setup.tuningFile.empty() || loadTuningFile(instance, setup, error);
}

} // namespace qhost
