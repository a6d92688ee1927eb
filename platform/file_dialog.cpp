#include "platform/file_dialog.h"

#include "platform/dialog_answers.h"
#include "platform/process.h"

#include <cstdlib>
#include <sstream>
#include <utility>
#include <vector>

namespace quorvix::platform {

namespace {

constexpr size_t kExtensionWidth = 4;
const char* const kCancel = "cancel";

using Filters = std::vector<std::pair<std::string, std::string>>; // name, patterns

Filters parseFilters(const std::string& list)
{
    Filters filters;
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(list);
    while (std::getline(in, part, '|'))
        parts.push_back(part);
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].empty())
            filters.emplace_back(parts[i], parts[i + 1]);
    return filters;
}

// "Name | *.a *.b" for zenity.
std::string zenityFilter(const std::pair<std::string, std::string>& f)
{
    std::string patterns = f.second;
    for (char& c : patterns)
        if (c == ';')
            c = ' ';
    return "--file-filter=" + f.first + " | " + patterns;
}

std::string withoutLineEnd(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

std::optional<std::string> zenity(const std::vector<std::string>& args)
{
    std::string program;
    if (!haveDisplay() || !findProgram("zenity", program))
        return std::nullopt;
    std::string output;
    if (runProgram(program, args, &output) != 0)
        return std::nullopt;
    output = withoutLineEnd(output);
    if (output.empty())
        return std::nullopt;
    return output;
}

bool hasExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

} // namespace

std::optional<std::string> openFileDialog(const std::string& title, const std::string& filters,
                                          const std::string& folder)
{
    if (!haveDisplay()) {
        const std::optional<std::string> answer = nextDialogAnswer();
        if (!answer || *answer == kCancel || answer->empty())
            return std::nullopt;
        return answer;
    }
    std::vector<std::string> args = {"--file-selection", "--title=" + title};
    if (!folder.empty())
        args.push_back("--filename=" + folder + "/");
    for (const auto& f : parseFilters(filters))
        args.push_back(zenityFilter(f));
    return zenity(args);
}

std::optional<CSaveChoice> saveFileDialog(const std::string& title, const std::string& filters,
                                          const std::string& defaultExtensions)
{
    const Filters list = parseFilters(filters);
    CSaveChoice choice;
    if (!haveDisplay()) {
        const std::optional<std::string> answer = nextDialogAnswer();
        if (!answer || *answer == kCancel || answer->empty())
            return std::nullopt;
        const size_t bar = answer->rfind('|');
        choice.path = answer->substr(0, bar);
        choice.filter = bar == std::string::npos ? 1 : std::atoi(answer->c_str() + bar + 1);
    } else {
        // zenity cannot tell which filter was used: the format is chosen from a list first.
        std::vector<std::string> listArgs = {"--list", "--title=" + title, "--column=Format", "--hide-header"};
        for (const auto& f : list)
            listArgs.push_back(f.first);
        const std::optional<std::string> format = zenity(listArgs);
        if (!format)
            return std::nullopt;
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].first == *format)
                choice.filter = static_cast<int>(i) + 1;
        const size_t index = static_cast<size_t>(choice.filter - 1);
        const std::optional<std::string> path = zenity(
            {"--file-selection", "--save", "--confirm-overwrite", "--title=" + title, zenityFilter(list.at(index))});
        if (!path)
            return std::nullopt;
        choice.path = *path;
    }
    if (choice.filter < 1 || choice.filter > static_cast<int>(list.size()))
        return std::nullopt;
    const size_t at = static_cast<size_t>(choice.filter - 1) * kExtensionWidth;
    if (!hasExtension(choice.path) && at + kExtensionWidth <= defaultExtensions.size())
        choice.path += defaultExtensions.substr(at, kExtensionWidth);
    return choice;
}

} // namespace quorvix::platform
