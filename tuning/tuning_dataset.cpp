#include "tuning/tuning_dataset.h"

#include "tuning/tuning.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace quorvix {

namespace {

constexpr int kMaxChannel = 65535;
constexpr double kTinyCents = 1e-8;
const char* const kFormatName = "Quorvix-TUN";
const char* const kFormatSpecs = "https://quorvix.org/tun";
const char* const kCredit = "; Written by the Quorvix VSTi synthesizer";
const char* const kNl = "\r\n";

namespace msg {
const char* const NotCompliant = "Section not version compliant.";
const char* const Syntax = "Syntax error";
const char* const Format = "Format not supported.";
const char* const String = "Value type mismatch. String expected!";
const char* const Float = "Value type mismatch. Float expected!";
const char* const Integer = "Value type mismatch. Integer expected!";
const char* const Block = "Value type mismatch. Function parameter block expected!";
const char* const Date = "Date format mismatch. YYYY-MM-DD expected!";
const char* const Composition =
    "Composition format mismatch. \"Musician or Band|Album|Title|Year|Misc\" expected!";
const char* const Comma = "Coma after parameter 1 missing!";
const char* const MoreData = "No more data expected after parameter 2!";
const char* const FormulaError = "Formula syntax error or parameter refers to invalid note index!";
const char* const Channels = "Error in MIDI channel range: syntax error or values exceed the range 1-65535!";
const char* const NoTuning = "No tuning data found!";
const char* const NoScaleEnd = "[Scale End] missing at file end or read error.";
const char* const NoDataset = "No scale dataset found";
const char* const Versions = "Error in version settings - file not written.";
} // namespace msg

// Sections, in table order.
enum ESection { None, ScaleBegin, ScaleEnd, Info, EditorSpecifics, Tuning, ExactTuning, FunctionalTuning, Mapping,
                Assignment, DataSet, SectionCount };
const char* const kSections[SectionCount] = {"",       "Scale Begin", "Scale End",         "Info",
                                             "Editor Specifics", "Tuning", "Exact Tuning", "Functional Tuning",
                                             "Mapping", "Assignment", "_DataSet_"};

// Keys, in table order.
enum EKey { NoKey, Format, FormatVersion, FormatSpecs, Name, Id, Filename, Author, Location, Contact, Date, Editor,
            EditorSpecs, Description, Keyword, History, Geography, Instrument, Composition, Comments, Note, BaseFreq,
            InitEqual, LoopSize, Keyboard, MidiChannel, AllData, KeyCount };
const char* const kKeys[KeyCount] = {"",          "Format",   "FormatVersion", "FormatSpecs", "Name",
                                     "ID",        "Filename", "Author",        "Location",    "Contact",
                                     "Date",      "Editor",   "EditorSpecs",   "Description", "Keyword",
                                     "History",   "Geography", "Instrument",   "Composition", "Comments",
                                     "Note",      "BaseFreq", "InitEqual",     "LoopSize",    "Keyboard",
                                     "MIDIChannel", "AllData"};

int sectionOf(const std::string& header)
{
    const std::string name = lowerCase(trimmed(header.substr(1, header.size() - 2)));
    for (int s = 1; s < SectionCount; ++s)
        if (name == lowerCase(kSections[s]))
            return s;
    return None;
}

bool isHeader(const std::string& line) { return line.size() > 1 && line.front() == '[' && line.back() == ']'; }

bool compliant(int section, int version)
{
    switch (section) {
    case Tuning:
    case ExactTuning:
        return version >= kTunVersion1;
    case ScaleEnd:
    case Info:
    case EditorSpecifics:
    case FunctionalTuning:
    case Mapping:
    case Assignment:
        return version >= kTunVersion2;
    case DataSet:
        return false;
    default:
        return true;
    }
}

// The key of a lower-cased key text; Note and Keyboard carry an index 0..127.
int keyOf(const std::string& key, int& index)
{
    index = 0;
    for (int k = 1; k < KeyCount; ++k)
        if (key == lowerCase(kKeys[k]))
            return k == Note || k == Keyboard ? NoKey : k;
    for (int k : {Note, Keyboard}) {
        const std::string prefix = lowerCase(kKeys[k]);
        if (key.compare(0, prefix.size(), prefix) == 0) {
            const long n = std::atol(key.c_str() + prefix.size());
            if (n < 0 || n > 127)
                return NoKey;
            index = static_cast<int>(n);
            return k;
        }
    }
    return NoKey;
}

bool readInteger(const std::string& value, long& out)
{
    if (value.empty())
        return false;
    char* end = nullptr;
    out = std::strtol(value.c_str(), &end, 10);
    return *end == '\0';
}

bool readFloat(const std::string& value, double& out)
{
    if (value.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(value.c_str(), &end);
    return *end == '\0';
}

char escaped(char c)
{
    switch (c) {
    case '0':
        return '\0';
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    default:
        return c; // " ' ? \ and any other character stand for themselves
    }
}

bool readString(const std::string& value, std::string& out)
{
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return false;
    const std::string inner = value.substr(1, value.size() - 2);
    out.clear();
    for (size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] != '\\' || i + 1 == inner.size()) {
            out.push_back(inner[i]);
            continue;
        }
        const char c = inner[++i];
        if (c == 'x') {
            const std::string digits = "0" + inner.substr(i + 1, 3);
            out.push_back(static_cast<char>(std::strtol(digits.c_str(), nullptr, 16)));
            i += std::min<size_t>(3, inner.size() - i - 1);
        } else {
            out.push_back(escaped(c));
        }
    }
    return true;
}

std::string escape(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '\0': out += "\\0"; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\v': out += "\\v"; break;
        case '\f': out += "\\f"; break;
        case '\r': out += "\\r"; break;
        case '"':
        case '\'':
        case '?':
        case '\\':
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
            break;
        default:
            if (c < 32 || c == 255) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%03x", c);
                out += hex;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    return out + "\"";
}

std::string number10(double x)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", x);
    return text;
}

// %.20g with a point appended when the text has neither a point nor an exponent.
std::string number20(double x)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.20g", x);
    std::string s = text;
    if (s.find_first_of(".eE") == std::string::npos && std::isfinite(x))
        s.push_back('.');
    return s;
}

bool validDate(const std::string& d)
{
    if (d.size() != 10)
        return false;
    for (size_t i = 0; i < 10; ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? d[i] != '-' : !std::isdigit(static_cast<unsigned char>(d[i])))
            return false;
    }
    return true;
}

// ---- formulas ----

bool readNumber(const char*& p, double& out)
{
    char* end = nullptr;
    out = std::strtod(p, &end);
    if (end == p)
        return false;
    p = end;
    return true;
}

bool readIndex(const char*& p, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    if (end == p)
        return false;
    out = static_cast<int>(std::clamp<long>(v, -1000000, 1000000));
    p = end;
    return true;
}

// A reference after its marker: "=" absolute note, ">" relative note, else a literal value.
bool readReference(const char*& p, CNoteReference& r)
{
    if (*p == '=' || *p == '>') {
        r.kind = *p == '=' ? 1 : 2;
        ++p;
        r.value = 0.0;
        return readIndex(p, r.index);
    }
    r.kind = 0;
    r.index = 0;
    return readNumber(p, r.value);
}

std::string printReference(const CNoteReference& r)
{
    if (r.kind == 1)
        return "=" + std::to_string(r.index);
    if (r.kind == 2)
        return ">" + std::to_string(r.index);
    return number20(r.value);
}

} // namespace

bool parseFormula(const std::string& text, int note, CFormulaEntry& entry)
{
    std::string compact;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            compact.push_back(c);
    entry = CFormulaEntry {};
    entry.note = note;
    const char* p = compact.c_str();
    while (*p) {
        const char marker = *p++;
        switch (marker) {
        case '!': {
            double hz = 0.0;
            if (!readNumber(p, hz))
                return false;
            entry = CFormulaEntry {};
            entry.note = note;
            entry.absoluteFrequency = hz;
            return true;
        }
        case '#':
            if (!readReference(p, entry.reference))
                return false;
            break;
        case '+':
            if (!readReference(p, entry.addend))
                return false;
            break;
        case '*':
            if (!readNumber(p, entry.multiplier))
                return false;
            break;
        case '/':
            if (!readNumber(p, entry.divisor))
                return false;
            break;
        case '%':
            if (!readNumber(p, entry.cents))
                return false;
            break;
        case '~':
            if (!readIndex(p, entry.loopCount))
                return false;
            if (note + entry.loopCount < 0)
                entry.loopCount = -999;
            else if (note + entry.loopCount > 127)
                entry.loopCount = 999;
            break;
        default:
            return false;
        }
    }
    return true;
}

std::string printFormula(const CFormulaEntry& e)
{
    if (e.absoluteFrequency > 0.0)
        return "!" + number20(e.absoluteFrequency);
    std::string s;
    if (!(e.reference.kind == 2 && e.reference.index == 0))
        s += " #" + printReference(e.reference);
    if (e.multiplier != 1.0)
        s += " *" + number20(e.multiplier);
    if (e.divisor != 1.0)
        s += " /" + number20(e.divisor);
    if (e.cents != 0.0)
        s += " %" + number20(e.cents);
    if (e.addend.kind != 0 || e.addend.value != 0.0)
        s += " +" + printReference(e.addend);
    if (e.loopCount != 0)
        s += " ~" + std::to_string(e.loopCount);
    return s.empty() ? s : s.substr(1);
}

// ---- dataset ----

struct CTuningDataset::CReadState {
    std::array<int, kScaleNotes> cents0 {};
    std::array<double, kScaleNotes> cents1 {};
    int maxNote1 = -1;
    double baseFreq1 = kKeyZeroHz;
    int section = None;
    int highestTuning = 0;
    bool anySection = false;

    CReadState()
    {
        for (int n = 0; n < kScaleNotes; ++n) {
            cents0[static_cast<size_t>(n)] = 100 * n;
            cents1[static_cast<size_t>(n)] = 100.0 * n;
        }
    }
};

CTuningDataset::CTuningDataset() { reset(); }

void CTuningDataset::reset()
{
    m_error.setError(nullptr);
    name = id = filename = author = location = contact = editor = editorSpecs = description = "";
    keywords.clear();
    history = geography = instrument = "";
    compositions.clear();
    comments = format = formatSpecs = date = "";
    formatVersion = 0;
    m_assignment.clear();
    m_loopSize = 0;
    resetMapping();
    setInitEqual(69, 440.0);
}

void CTuningDataset::setInitEqual(int note, double hz)
{
    m_initNote = note;
    m_initFrequency = hz;
    for (int n = 0; n < kScaleNotes; ++n)
        m_frequency[static_cast<size_t>(n)] = hz * std::exp2((n - note) / 12.0);
    m_formulas.clear();
}

bool CTuningDataset::addFormula(const CFormulaEntry& e)
{
    auto resolve = [this](const CNoteReference& r, int d, double& out) {
        if (r.kind == 0) {
            out = r.value;
            return true;
        }
        const int n = r.kind == 1 ? r.index : d + r.index;
        if (n < 0 || n > 127)
            return false;
        out = m_frequency[static_cast<size_t>(n)];
        return true;
    };
    const int step = e.loopCount >= 0 ? 1 : -1;
    int c = 0;
    do {
        const int d = e.note + c;
        if (d < 0 || d > 127)
            break;
        if (e.absoluteFrequency > 0.0) {
            const double factor = e.absoluteFrequency / m_frequency[static_cast<size_t>(d)];
            for (double& f : m_frequency)
                f *= factor;
        } else {
            double ref = 0.0, add = 0.0;
            if (!resolve(e.reference, d, ref) || !resolve(e.addend, d, add))
                return false;
            m_frequency[static_cast<size_t>(d)] = std::exp2(e.cents / 1200.0) * e.multiplier * ref / e.divisor + add;
        }
        c += step;
    } while (std::abs(c) < std::abs(e.loopCount));
    m_formulas.push_back(e);
    return true;
}

int CTuningDataset::mapKey(int key) const
{
    const int k = static_cast<int>(clampNote(key));
    if (m_loopSize > 0)
        return std::clamp(k / m_loopSize * m_loopSize + m_keyboardMap[static_cast<size_t>(k % m_loopSize)], 0, 127);
    // Entries outside the table are clamped to it.
    return std::clamp(m_keyboardMap[static_cast<size_t>(k)], 0, 127);
}

void CTuningDataset::resetMapping()
{
    for (int n = 0; n < kScaleNotes; ++n)
        m_keyboardMap[static_cast<size_t>(n)] = n;
    m_loopSize = 0;
}

bool CTuningDataset::channelAssigned(int channel) const
{
    if (m_assignment.empty())
        return true;
    return std::any_of(m_assignment.begin(), m_assignment.end(),
                       [channel](const CChannelRange& r) { return channel >= r.lo && channel <= r.hi; });
}

std::string CTuningDataset::assignmentText() const
{
    std::string s;
    for (const CChannelRange& r : m_assignment) {
        if (!s.empty())
            s += ",";
        s += std::to_string(r.lo);
        if (r.hi != r.lo)
            s += "-" + std::to_string(r.hi);
    }
    return s;
}

bool CTuningDataset::setAssignment(const std::string& text)
{
    m_assignment.clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        std::string piece;
        for (char c : trimmed(text.substr(start, end - start)))
            if (!std::isspace(static_cast<unsigned char>(c)))
                piece.push_back(c);
        start = end + 1;
        if (piece.empty())
            continue;
        const size_t dash = piece.find('-', 1);
        long lo = 0, hi = 0;
        const bool read = dash == std::string::npos
                              ? readInteger(piece, lo) && (hi = lo, true)
                              : readInteger(piece.substr(0, dash), lo) && readInteger(piece.substr(dash + 1), hi);
        if (!read || lo < 1 || hi > kMaxChannel || lo > hi)
            return fail(msg::Channels);
        m_assignment.push_back({static_cast<int32_t>(lo), static_cast<int32_t>(hi)});
    }
    return true;
}

bool CTuningDataset::fail(const char* message)
{
    m_error.setError(message, m_line);
    return false;
}

int CTuningDataset::failed(const char* message)
{
    fail(message);
    return -1;
}

// ---- reading ----

int CTuningDataset::read(std::istream& in, CLineReader& lines)
{
    reset();
    CReadState state;
    std::string line;
    for (;;) {
        if (!lines.next(in, line)) {
            if (!state.anySection) {
                m_error.setError(msg::NoDataset, -1);
                return 0;
            }
            if (formatVersion >= kTunVersion2)
                return failed(msg::NoScaleEnd);
            return finish(state) ? 1 : -1;
        }
        m_line = lines.line();
        if (line.empty() || line[0] == ';')
            continue;
        if (isHeader(line)) {
            const int section = sectionOf(line);
            if (section != ScaleBegin) {
                if (!state.anySection) {
                    format = kFormatName;
                    formatVersion = kTunVersion1;
                    formatSpecs = kFormatSpecs;
                }
                if (!compliant(section, formatVersion))
                    return failed(msg::NotCompliant);
            }
            state.anySection = true;
            state.section = section;
            if (section == ScaleEnd)
                return finish(state) ? 1 : -1;
            if (section >= Tuning && section <= FunctionalTuning) {
                if (section < state.highestTuning)
                    state.section = None;
                else
                    state.highestTuning = section;
            }
            continue;
        }
        if (state.section == None || state.section == EditorSpecifics)
            continue;
        if (!readKey(state, line))
            return -1;
    }
}

bool CTuningDataset::readKey(CReadState& state, const std::string& line)
{
    const size_t equals = line.find('=');
    const unsigned char first = static_cast<unsigned char>(line[0]);
    if (equals == std::string::npos || !(std::isalpha(first) || first == '_'))
        return fail(msg::Syntax);
    int index = 0;
    const int key = keyOf(lowerCase(trimmed(line.substr(0, equals))), index);
    const std::string value = trimmed(line.substr(equals + 1));
    long integer = 0;
    double real = 0.0;
    std::string text;
    switch (state.section) {
    case ScaleBegin:
        if (key == Format) {
            if (!readString(value, text))
                return fail(msg::String);
            if (text != kFormatName)
                return fail(msg::Format);
            format = text;
        } else if (key == FormatVersion) {
            if (!readInteger(value, integer))
                return fail(msg::Integer);
            formatVersion = static_cast<int32_t>(integer);
        } else if (key == FormatSpecs) {
            if (!readString(value, text))
                return fail(msg::String);
            formatSpecs = text;
        }
        return true;
    case Info:
        return readInfo(key, value);
    case Tuning:
        if (key == Note) {
            if (!readInteger(value, integer))
                return fail(msg::Integer);
            state.cents0[static_cast<size_t>(index)] = static_cast<int>(std::clamp<long>(integer, -10000000, 10000000));
        }
        return true;
    case ExactTuning:
        if (key == Note || key == BaseFreq) {
            if (!readFloat(value, real))
                return fail(msg::Float);
            if (key == Note) {
                state.cents1[static_cast<size_t>(index)] = real;
                state.maxNote1 = std::max(state.maxNote1, index);
            } else {
                state.baseFreq1 = real;
            }
        }
        return true;
    case FunctionalTuning:
        if (key == Note) {
            CFormulaEntry entry;
            if (!readString(value, text))
                return fail(msg::String);
            if (!parseFormula(text, index, entry) || !addFormula(entry))
                return fail(msg::FormulaError);
        } else if (key == InitEqual) {
            return readInitEqual(value);
        }
        return true;
    case Mapping:
        if (key == LoopSize || key == Keyboard) {
            if (!readInteger(value, integer))
                return fail(msg::Integer);
            const int32_t v = static_cast<int32_t>(std::clamp<long>(integer, -1000000, 1000000));
            if (key == LoopSize)
                m_loopSize = v;
            else
                m_keyboardMap[static_cast<size_t>(index)] = v;
        }
        return true;
    case Assignment:
        if (key == MidiChannel) {
            if (!readString(value, text))
                return fail(msg::String);
            return setAssignment(text);
        }
        return true;
    default:
        return true;
    }
}

std::string* CTuningDataset::infoField(int key)
{
    switch (key) {
    case Name: return &name;
    case Id: return &id;
    case Filename: return &filename;
    case Author: return &author;
    case Location: return &location;
    case Contact: return &contact;
    case Editor: return &editor;
    case EditorSpecs: return &editorSpecs;
    case Description: return &description;
    case History: return &history;
    case Geography: return &geography;
    case Instrument: return &instrument;
    case Comments: return &comments;
    default: return nullptr;
    }
}

bool CTuningDataset::readInfo(int key, const std::string& value)
{
    std::string* field = infoField(key);
    if (!field && key != Date && key != Keyword && key != Composition)
        return true;
    std::string text;
    if (!readString(value, text))
        return fail(msg::String);
    if (field) {
        *field = text;
        return true;
    }
    if (key == Date) {
        if (!validDate(text))
            return fail(msg::Date);
        date = text;
    } else if (!text.empty()) {
        if (key == Composition && std::count(text.begin(), text.end(), '|') != 4)
            return fail(msg::Composition);
        (key == Keyword ? keywords : compositions).push_back(text);
    }
    return true;
}

bool CTuningDataset::readInitEqual(const std::string& value)
{
    if (value.size() < 2 || value.front() != '(' || value.back() != ')')
        return fail(msg::Block);
    const std::string inner = value.substr(1, value.size() - 2);
    const char* p = inner.c_str();
    char* end = nullptr;
    const long note = std::strtol(p, &end, 10);
    p = end;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p != ',')
        return fail(msg::Comma);
    ++p;
    const double hz = std::strtod(p, &end);
    p = end;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p != '\0')
        return fail(msg::MoreData);
    setInitEqual(static_cast<int>(std::clamp<long>(note, -1000000, 1000000)), hz);
    return true;
}

void CTuningDataset::appendPlainFormulas(const std::array<double, kScaleNotes>& cents)
{
    // From 127 down, so that note 0, the reference of all others, comes last when evaluated again.
    for (int n = kScaleNotes - 1; n >= 0; --n) {
        CFormulaEntry e;
        e.note = n;
        e.reference.kind = 1;
        e.reference.index = 0;
        e.cents = cents[static_cast<size_t>(n)];
        m_formulas.push_back(e);
    }
}

bool CTuningDataset::finish(const CReadState& state)
{
    std::array<double, kScaleNotes> cents {};
    switch (state.highestTuning) {
    case Tuning:
        resetMapping();
        setInitEqual(0, kKeyZeroHz);
        for (int n = 0; n < kScaleNotes; ++n)
            cents[static_cast<size_t>(n)] = state.cents0[static_cast<size_t>(n)];
        break;
    case ExactTuning: {
        resetMapping();
        cents = state.cents1;
        if (state.maxNote1 >= 0 && state.maxNote1 < 127) {
            const double period = cents[static_cast<size_t>(state.maxNote1)];
            for (int k = state.maxNote1; k < kScaleNotes; ++k)
                cents[static_cast<size_t>(k)] = period + cents[static_cast<size_t>(k - state.maxNote1)];
        }
        setInitEqual(0, state.baseFreq1);
        break;
    }
    case FunctionalTuning:
        return true;
    default:
        return fail(msg::NoTuning);
    }
    const double base = m_initFrequency;
    for (int n = 0; n < kScaleNotes; ++n)
        m_frequency[static_cast<size_t>(n)] = base * std::exp2(cents[static_cast<size_t>(n)] / 1200.0);
    appendPlainFormulas(cents);
    return true;
}

// ---- writing ----

bool CTuningDataset::write(std::ostream& out, int lowest, int highest)
{
    lowest = std::max(lowest, 0);
    highest = std::min(highest, kTunVersion2);
    if (highest < lowest) {
        m_error.setError(msg::Versions, -1);
        return false;
    }
    const bool v0 = lowest <= kTunVersion0 && kTunVersion0 <= highest;
    const bool v1 = lowest <= kTunVersion1 && kTunVersion1 <= highest;
    const bool v2 = lowest <= kTunVersion2 && kTunVersion2 <= highest;
    // Cents of a key without a positive, finite frequency cannot be written.
    if ((v0 || v1) && !frequenciesWritable()) {
        m_error.setError(kWriteFileError, -1);
        return false;
    }
    auto put = [&out](const std::string& line) { out << line << kNl; };
    auto key = [&put](const char* k, const std::string& value) { put(std::string(k) + " = " + value); };
    auto comment = [&put](std::initializer_list<const char*> lines) {
        for (const char* l : lines)
            put(l);
    };
    const std::string specsLine = std::string(";         ") + kFormatSpecs;
    if (v1 || v2) {
        put(";");
        put("; This is an Quorvix tuning map file V2.00");
        if (!v2)
            put("; written in V1.00 compatibility mode");
        comment({";", kCredit, ";", "; Specifications and free source code see:"});
        put(specsLine);
        comment({";", "", ""});
        comment({";", "; Begin of tuning file and format declaration", ";", "[Scale Begin]"});
        key(kKeys[Format], escape(kFormatName));
        key(kKeys[FormatVersion], std::to_string(kTunVersion2));
        key(kKeys[FormatSpecs], escape(kFormatSpecs));
        comment({"", ""});
    }
    if (v2 && !m_assignment.empty()) {
        comment({";", "; Assignment of scale dataset", "; Note: This might be ignored, if this is not part of a MSF-File!",
                 "; See the documentation of the software you use for details.", ";", "[Assignment]"});
        key(kKeys[MidiChannel], escape(assignmentText()));
        comment({"", ""});
    }
    if (v1 || v2) {
        comment({";", "; Scale informations", ";", "[Info]"});
        auto field = [&key](int k, const std::string& value) {
            if (!value.empty())
                key(kKeys[k], escape(value));
        };
        field(Name, name);
        field(Id, id);
        field(Filename, filename);
        field(Author, author);
        field(Location, location);
        field(Contact, contact);
        field(Date, date);
        field(Editor, editor);
        field(EditorSpecs, editorSpecs);
        field(Description, description);
        for (const std::string& k : keywords)
            field(Keyword, k);
        field(History, history);
        field(Geography, geography);
        field(Instrument, instrument);
        for (const std::string& c : compositions)
            field(Composition, c);
        field(Comments, comments);
        comment({"", ""});
    }
    if (v2) {
        comment({";", "; Version 2:", "; Functional tunings", ";", "[Functional Tuning]"});
        key(kKeys[InitEqual], "(" + std::to_string(m_initNote) + ", " + number10(m_initFrequency) + ")");
        for (const CFormulaEntry& e : m_formulas) {
            const std::string text = printFormula(e);
            if (!text.empty())
                put(std::string(kKeys[Note]) + " " + std::to_string(e.note) + " = " + escape(text));
        }
        comment({"", ""});
    }
    if (v1) {
        const double base = m_initFrequency * std::exp2(-m_initNote / 12.0);
        comment({";", "; Version 1:", "; Quorvix-specific section with exact tunings", ";", "[Exact Tuning]"});
        key(kKeys[BaseFreq], number10(base));
        for (int n = 0; n < kScaleNotes; ++n) {
            double c = 1200.0 * std::log2(frequency(mapKey(n)) / base);
            if (std::fabs(c) < kTinyCents)
                c = 0.0;
            put(std::string(kKeys[Note]) + " " + std::to_string(n) + " = " + number10(c));
        }
        comment({"", ""});
    }
    if (v0) {
        comment({";", "; Version 0:", "; VAZ-section with quantized tunings", ";", "[Tuning]"});
        for (int n = 0; n < kScaleNotes; ++n) {
            const double c = std::floor(1200.0 * std::log2(frequency(mapKey(n)) / kKeyZeroHz) + 0.5);
            put(std::string(kKeys[Note]) + " " + std::to_string(n) + " = " + std::to_string(static_cast<long long>(c)));
        }
        comment({"", ""});
    }
    if (v2) {
        const int span = m_loopSize >= 1 && m_loopSize <= 127 ? m_loopSize : kScaleNotes;
        bool mapped = false;
        for (int i = 0; i < span; ++i)
            mapped = mapped || m_keyboardMap[static_cast<size_t>(i)] != i;
        if (mapped) {
            comment({";", "; Keyboard mapping: Keyboard note number -> scale note number", ";", "[Mapping]"});
            key(kKeys[LoopSize], std::to_string(m_loopSize));
            for (int i = 0; i < span; ++i)
                if (m_keyboardMap[static_cast<size_t>(i)] != i)
                    put(std::string(kKeys[Keyboard]) + " " + std::to_string(i) + " = " +
                        std::to_string(m_keyboardMap[static_cast<size_t>(i)]));
            comment({"", ""});
        }
    } else if (v1) {
        comment({";", "; In V1.00 compatibility mode, there is no explicit keyboard mapping",
                 "; The order of frequencies above includes keyboard mapping settings.", ";", "", ""});
    }
    if (v1 || v2)
        comment({";", "; End of tuning file", ";", "[Scale End]", "", ""});
    m_error.setError(nullptr);
    return true;
}

bool CTuningDataset::frequenciesWritable() const
{
    for (int n = 0; n < kScaleNotes; ++n) {
        const double f = frequency(mapKey(n));
        if (!(std::isfinite(f) && f > 0.0))
            return false;
    }
    return true;
}

bool CTuningDataset::writeFile(const std::string& path, int lowest, int highest)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!write(out, lowest, highest))
        return false;
    if (out.flush().good())
        return true;
    // A file that cannot be created or written is a failure, not a silent success.
    m_error.setError(kWriteFileError, -1);
    return false;
}

} // namespace quorvix
