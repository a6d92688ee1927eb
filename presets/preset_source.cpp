#include "presets/preset_source.h"

#include "base/byte_stream.h"
#include "presets/factory_bank.h"
#include "presets/program_limits.h"
#include "presets/program_record.h"
#include "presets/source_settings.h"
#include "presets/source_syntax.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

namespace quorvix {

namespace {

constexpr const char* kCategoryNames[kCategoryCount] = {
    "bass", "lead", "pad", "keys", "pluck", "bell", "organ", "strings", "brass", "sequence", "percussion", "fx",
};

// Names the plug-in shows with the program number appended.
constexpr const char* kReservedNames[] = {"Init", "Randomized"};

// The sound as its stored record holds it: a float that a record stores converted (the resonance
// as 16 r + 1) reads back a hair away from the written value. The name stays as written.
CProgram asStored(const CProgram& p)
{
    CByteWriter out;
    writeProgramRecord(out, p);
    CByteReader in(out.bytes());
    CProgram read;
    if (!readProgramRecord(in, kProgramFormat, read))
        return p;
    read.name = p.name;
    return read;
}

struct CEntry {
    std::string key;
    std::vector<CToken> value;
    int line = 0;
};

class CSourceReader {
public:
    CSourceReader(CSourceBank& bank, std::vector<CSourceError>& errors) : m_bank(bank), m_errors(errors) {}

    void line(int number, const std::string& text)
    {
        std::vector<CToken> tokens;
        std::string error;
        if (!tokenizeLine(text, tokens, error))
            return fail(number, error);
        if (tokens.empty())
            return;
        if (tokens[0].isWord("bank"))
            return bankLine(number, tokens);
        if (tokens[0].isWord("program"))
            return programLine(number, tokens);
        if (tokens.size() >= 2 && tokens[0].kind == ETokenKind::Word && tokens[1].isMark("="))
            return settingLine(number, tokens);
        fail(number, "expects \"bank\", \"program\" or a setting \"key = value\"");
    }

    void finish()
    {
        finishProgram();
        if (!m_bankLine)
            fail(0, "the source has no bank line (bank <selector> \"<name>\")");
    }

private:
    void fail(int line, const std::string& message) { m_errors.push_back({line, message}); }

    void bankLine(int number, const std::vector<CToken>& tokens)
    {
        CTokenReader in(tokens, 1);
        double selector = -1.0;
        std::string name;
        if (m_bankLine || !m_bank.programs.empty())
            return fail(number, "the bank line comes once, before the programs");
        m_bankLine = true;
        if (!in.number(selector) || !in.name(name) || !in.atEnd())
            return fail(number, "expects bank <selector> \"<name>\"");
        if (selector < 0 || selector >= kFactoryBankCount || selector != std::floor(selector))
            return fail(number, "the selector of a factory bank is 0..8");
        const int s = static_cast<int>(selector);
        if (name != bankName(s))
            return fail(number, "bank " + std::to_string(s) + " is named \"" + bankName(s) + "\"");
        m_bank.selector = s;
        m_bank.name = name;
    }

    // A program with a faulty line still takes its settings, so that their errors are found too.
    void programLine(int number, const std::vector<CToken>& tokens)
    {
        finishProgram();
        CSourceProgram& p = m_bank.programs.emplace_back();
        p.line = number;
        p.program = sourceBaseProgram();
        m_inProgram = true;
        CTokenReader in(tokens, 1);
        std::string category;
        if (!in.name(p.program.name) || !in.word(category))
            return fail(number, "expects program \"<name>\" <category> [drone]");
        const auto* c = std::find(std::begin(kCategoryNames), std::end(kCategoryNames), category);
        if (c == std::end(kCategoryNames)) {
            std::string list;
            for (const char* n : kCategoryNames)
                list += std::string(list.empty() ? "" : ", ") + n;
            return fail(number, "\"" + category + "\" is not a category; one of " + list);
        }
        p.category = static_cast<ECategory>(c - std::begin(kCategoryNames));
        p.drone = in.keyword("drone");
        if (!in.atEnd())
            fail(number, "unexpected " + in.rest() + " after the category");
    }

    void settingLine(int number, const std::vector<CToken>& tokens)
    {
        if (!m_inProgram)
            return fail(number, "a setting belongs to a program; the first program line comes before it");
        const std::string& key = tokens[0].text;
        const auto same = std::find_if(m_entries.begin(), m_entries.end(), [&key](const CEntry& e) { return e.key == key; });
        if (same != m_entries.end())
            return fail(number, key + " is already set on line " + std::to_string(same->line));
        m_entries.push_back({key, std::vector<CToken>(tokens.begin() + 2, tokens.end()), number});
    }

    // Clocks and effect types first: other values are measured by them.
    void finishProgram()
    {
        if (!m_inProgram)
            return;
        std::stable_sort(m_entries.begin(), m_entries.end(),
                         [](const CEntry& a, const CEntry& b) { return settingOrder(a.key) < settingOrder(b.key); });
        CProgram& program = m_bank.programs.back().program;
        for (const CEntry& e : m_entries) {
            std::string error;
            if (!applySetting(e.key, e.value, program, error))
                fail(e.line, e.key + ": " + error);
        }
        program = asStored(program);
        m_entries.clear();
        m_inProgram = false;
    }

    CSourceBank& m_bank;
    std::vector<CSourceError>& m_errors;
    std::vector<CEntry> m_entries;
    bool m_inProgram = false;
    bool m_bankLine = false;
};

// The blocks of a sound that differ, for messages.
std::string differingBlocks(const CSound& a, const CSound& b)
{
    std::string s;
    auto note = [&s](bool same, const char* name) {
        if (!same)
            s += std::string(s.empty() ? "" : ", ") + name;
    };
    note(a.oscillators == b.oscillators, "oscillators");
    note(a.combination == b.combination, "oscillator mix");
    note(a.oversampling == b.oversampling, "oversampling");
    note(a.oscillatorModulation == b.oscillatorModulation, "oscmod");
    note(a.shaperTable == b.shaperTable && a.shaper == b.shaper, "shaper");
    note(a.filter == b.filter, "filter");
    note(a.filterModulation == b.filterModulation, "filtermod");
    note(a.amplitudeEnvelope == b.amplitudeEnvelope, "amp.env");
    note(a.level == b.level && a.portamentoSync == b.portamentoSync, "levels");
    note(a.effects == b.effects, "effects");
    return s;
}

bool printable(const std::string& name)
{
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

void checkProgram(const CSourceProgram& sp, std::vector<CSourceError>& errors)
{
    const CProgram& p = sp.program;
    CProgram limited = p;
    limitProgram(limited);
    if (!(static_cast<const CSound&>(limited) == p)) {
        errors.push_back({sp.line, "values outside what their parameters can hold: " + differingBlocks(p, limited)});
        return;
    }

    CProgram adjusted = p;
    adjustFactoryProgram(adjusted);
    if (p.effects[0].type == effect::None && p.effects[1].type != effect::None)
        errors.push_back({sp.line, "fx2 is used while fx1 is \"None\": a factory load moves it to fx1; write it as fx1"});
    else if (!(static_cast<const CSound&>(adjusted) == p))
        errors.push_back({sp.line, "a factory load would change " + differingBlocks(p, adjusted)});

    CByteWriter out;
    writeProgramRecord(out, p);
    CProgram read;
    CByteReader in(out.bytes());
    if (!readProgramRecord(in, kProgramFormat, read) || !(static_cast<const CSound&>(read) == p))
        errors.push_back({sp.line, "the stored record does not read back as written: " + differingBlocks(p, read)});
}

} // namespace

const char* categoryName(ECategory category)
{
    const int c = static_cast<int>(category);
    return c >= 0 && c < kCategoryCount ? kCategoryNames[c] : "UNKNOWN";
}

std::string errorText(const std::string& file, const CSourceError& error)
{
    return file + ":" + (error.line > 0 ? std::to_string(error.line) + ":" : "") + " " + error.message;
}

std::vector<CSourceError> readPresetSource(const std::string& text, CSourceBank& bank)
{
    bank = CSourceBank {};
    std::vector<CSourceError> errors;
    CSourceReader reader(bank, errors);
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        reader.line(number, line);
    }
    reader.finish();
    return errors;
}

std::vector<CSourceError> checkSourceBank(const CSourceBank& bank)
{
    std::vector<CSourceError> errors;
    if (bank.programs.size() != static_cast<size_t>(kProgramCount))
        errors.push_back({0, "the bank has " + std::to_string(bank.programs.size()) + " programs; a bank holds " +
                                 std::to_string(kProgramCount)});
    std::map<std::string, int> names;
    for (size_t i = 0; i < bank.programs.size(); ++i) {
        const CSourceProgram& sp = bank.programs[i];
        const std::string& name = sp.program.name;
        if (name.empty() || name.size() > kMaxProgramName || !printable(name))
            errors.push_back({sp.line, "a name has 1 to " + std::to_string(kMaxProgramName) +
                                           " printable ASCII characters: \"" + name + "\""});
        if (std::find(std::begin(kReservedNames), std::end(kReservedNames), name) != std::end(kReservedNames))
            errors.push_back({sp.line, "\"" + name + "\" is a name the plug-in keeps for its own programs"});
        if (const auto it = names.find(name); it != names.end())
            errors.push_back({sp.line, "\"" + name + "\" is already the name of program " + std::to_string(it->second)});
        names.emplace(name, static_cast<int>(i));
        checkProgram(sp, errors);
    }
    return errors;
}

std::array<CProgram, kProgramCount> bankPrograms(const CSourceBank& bank)
{
    std::array<CProgram, kProgramCount> programs;
    for (size_t i = 0; i < programs.size() && i < bank.programs.size(); ++i)
        programs[i] = bank.programs[i].program;
    return programs;
}

} // namespace quorvix
