#include "plugin/parameter_properties.h"

#include "plugin/effect_base.h"
#include "presets/parameter_table.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstring>

namespace quorvix {

namespace {

// Characters a host's smallest text buffer holds before its NUL.
constexpr size_t kSafeTextLength = vst::kVstMaxParamStrLen - 1;
// Integer parameters move by about this many large steps over their range.
constexpr int kLargeStepsPerRange = 8;

bool isVowel(char c) { return std::strchr("aeiou", c) != nullptr; }

std::string withoutLeadingSpaces(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// How many host-visible numbers of one timbre block belong to each section.
const std::array<int16_t, kParameterSectionCount>& sectionSizes()
{
    static const std::array<int16_t, kParameterSectionCount> sizes = [] {
        std::array<int16_t, kParameterSectionCount> counted {};
        for (int n = 0; n < kParametersPerTimbre; ++n)
            if (parameterRecord(resolveParameterNumber(n)).get)
                ++counted[static_cast<size_t>(parameterSection(n))];
        return counted;
    }();
    return sizes;
}

template <size_t N>
void copyText(char (&destination)[N], const std::string& text)
{
    copyToHost(destination, text, N);
}

} // namespace

std::string hostParameterName(int32_t index, int number)
{
    std::string name;
    if (index >= kParametersPerTimbre && index < kHostParameterCount)
        name = "T" + std::to_string(index / kParametersPerTimbre) + "|";
    return name + parameterRecord(number).name;
}

std::string hostUnitLabel(const char* label)
{
    const std::string text = label;
    return text.size() > kSafeTextLength ? withoutLeadingSpaces(text).substr(0, kSafeTextLength) : text;
}

std::string shortParameterName(const std::string& name)
{
    if (name.size() <= kSafeTextLength)
        return name;
    std::string packed, thinned;
    bool wordStart = true;
    for (const char c : name) {
        if (c == ' ' || c == '.') {
            wordStart = true;
            continue;
        }
        packed += c;
        if (wordStart || !isVowel(c))
            thinned += c;
        wordStart = !std::isalnum(static_cast<unsigned char>(c));
    }
    return (packed.size() <= kSafeTextLength ? packed : thinned).substr(0, kSafeTextLength);
}

bool parameterProperties(int32_t index, int number, vst::VstParameterProperties& p)
{
    if (index < 0 || index >= kHostParameterCount)
        return false;
    const CParameterRecord& record = parameterRecord(number);
    p = {};
    const std::string name = hostParameterName(index, number);
    copyText(p.label, name);
    copyText(p.shortLabel, shortParameterName(record.name));
    const EParameterSection section = parameterSection(index % kParametersPerTimbre);
    p.category = static_cast<int16_t>(static_cast<int>(section) + 1);
    p.numParametersInCategory = sectionSizes()[static_cast<size_t>(section)];
    copyText(p.categoryLabel, sectionName(section));
    p.flags = vst::kVstParameterSupportsDisplayCategory;
    if (record.kind == EValueKind::Switch) {
        p.flags |= vst::kVstParameterIsSwitch;
    } else if (record.kind == EValueKind::Integer) {
        p.minInteger = static_cast<int32_t>(std::lround(record.range.low));
        p.maxInteger = static_cast<int32_t>(std::lround(record.range.high));
        p.stepInteger = 1;
        p.largeStepInteger = std::max(1, (p.maxInteger - p.minInteger) / kLargeStepsPerRange);
        // The same steps on the 0..1 scale that values travel on.
        const int span = std::max(1, p.maxInteger - p.minInteger);
        p.stepFloat = p.smallStepFloat = 1.0f / static_cast<float>(span);
        p.largeStepFloat = static_cast<float>(p.largeStepInteger) / static_cast<float>(span);
        // Only the float steps are announced: hosts that see the integer flag (Ardour does) take
        // minInteger..maxInteger as the range of the values they send, which are 0..1 here.
        p.flags |= vst::kVstParameterUsesFloatStep;
    } else {
        p.flags |= vst::kVstParameterCanRamp;
    }
    return true;
}

} // namespace quorvix
