#include "platform/file_dialog.h"

#include "platform/dialog_answers.h"
#include "platform/process.h"

#include <cstdlib>
#include <fnmatch.h>
#include <sstream>
#include <vector>

namespace quorvix::platform {

namespace {

constexpr size_t kExtensionWidth = 4;
const char* const kCancel = "cancel";
const char* const kWindowsAllFiles = "*.*";
const char* const kAllFiles = "*";

struct CFilter {
    std::string name;
    std::vector<std::string> patterns;

    bool allFiles() const { return patterns.size() == 1 && patterns.front() == kAllFiles; }
    bool matches(const std::string& fileName) const
    {
        for (const std::string& p : patterns)
            if (fnmatch(p.c_str(), fileName.c_str(), FNM_CASEFOLD) == 0)
                return true;
        return false;
    }
};
using Filters = std::vector<CFilter>;

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

// "*.*" matches names without a dot too, as it does on Windows.
Filters parseFilters(const std::string& list)
{
    Filters filters;
    const std::vector<std::string> parts = split(list, '|');
    for (size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        CFilter filter {parts[i], {}};
        for (const std::string& pattern : split(parts[i + 1], ';'))
            filter.patterns.push_back(pattern == kWindowsAllFiles ? kAllFiles : pattern);
        filters.push_back(filter);
    }
    return filters;
}

std::string joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& p : parts)
        text += (text.empty() ? "" : separator) + p;
    return text;
}

// "--file-filter=Name | *.a *.b"
std::string zenityFilter(const CFilter& f) { return "--file-filter=" + f.name + " | " + joined(f.patterns, " "); }

// "*.a *.b|Name", one filter a line.
std::string kdialogFilters(const Filters& filters)
{
    std::vector<std::string> lines;
    for (const CFilter& f : filters)
        lines.push_back(joined(f.patterns, " ") + "|" + f.name);
    return joined(lines, "\n");
}

std::string asFolder(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

std::string withoutLineEnd(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

// The program's answer; nullopt when it was cancelled or failed.
std::optional<std::string> runDialog(const CDialogProgram& program, const std::vector<std::string>& args)
{
    std::string output;
    if (runProgram(program.path, args, &output) != 0)
        return std::nullopt;
    output = withoutLineEnd(output);
    if (output.empty())
        return std::nullopt;
    return output;
}

std::optional<std::string> scriptedAnswer()
{
    std::optional<std::string> answer = nextDialogAnswer();
    if (!answer || *answer == kCancel || answer->empty())
        return std::nullopt;
    return answer;
}

std::optional<std::string> showOpenDialog(const CDialogProgram& program, const std::string& title,
                                          const Filters& filters, const std::string& folder)
{
    if (program.kind == EDialogProgram::Kdialog)
        return runDialog(program, {"--title", title, "--getopenfilename", asFolder(folder), kdialogFilters(filters)});
    std::vector<std::string> args = {"--file-selection", "--title=" + title, "--filename=" + asFolder(folder)};
    for (const CFilter& f : filters)
        args.push_back(zenityFilter(f));
    return runDialog(program, args);
}

// Neither program tells which filter was used: the format is chosen from a list first. 0 when
// cancelled.
int chooseFormat(const CDialogProgram& program, const std::string& title, const Filters& filters)
{
    std::vector<std::string> args;
    if (program.kind == EDialogProgram::Kdialog) {
        args = {"--title", title, "--menu", "Format"};
        for (size_t i = 0; i < filters.size(); ++i) {
            args.push_back(std::to_string(i + 1));
            args.push_back(filters[i].name);
        }
        const std::optional<std::string> tag = runDialog(program, args);
        const int chosen = tag ? std::atoi(tag->c_str()) : 0;
        return chosen <= static_cast<int>(filters.size()) ? chosen : 0;
    }
    args = {"--list", "--title=" + title, "--column=Format", "--hide-header"};
    for (const CFilter& f : filters)
        args.push_back(f.name);
    const std::optional<std::string> name = runDialog(program, args);
    for (size_t i = 0; name && i < filters.size(); ++i)
        if (filters[i].name == *name)
            return static_cast<int>(i) + 1;
    return 0;
}

std::optional<std::string> showSaveDialog(const CDialogProgram& program, const std::string& title,
                                          const Filters& offered, const std::string& folder)
{
    if (program.kind == EDialogProgram::Kdialog)
        return runDialog(program, {"--title", title, "--getsavefilename", asFolder(folder), kdialogFilters(offered)});
    std::vector<std::string> args = {"--file-selection", "--save", "--confirm-overwrite", "--title=" + title,
                                     "--filename=" + asFolder(folder)};
    for (const CFilter& f : offered)
        args.push_back(zenityFilter(f));
    return runDialog(program, args);
}

std::string fileNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

bool hasExtension(const std::string& path) { return fileNameOf(path).find('.') != std::string::npos; }

// The filter a name saved under an all-files entry belongs to.
int filterMatching(const Filters& filters, const std::string& path)
{
    for (size_t i = 0; i < filters.size(); ++i)
        if (!filters[i].allFiles() && filters[i].matches(fileNameOf(path)))
            return static_cast<int>(i) + 1;
    return 1;
}

std::optional<CSaveChoice> scriptedSaveChoice()
{
    const std::optional<std::string> answer = scriptedAnswer();
    if (!answer)
        return std::nullopt;
    const size_t bar = answer->rfind('|');
    CSaveChoice choice;
    choice.path = answer->substr(0, bar);
    choice.filter = bar == std::string::npos ? 1 : std::atoi(answer->c_str() + bar + 1);
    return choice;
}

std::optional<CSaveChoice> desktopSaveChoice(const std::string& title, const Filters& filters,
                                             const std::string& folder)
{
    CDialogProgram program;
    if (!findDialogProgram(program))
        return std::nullopt;
    CSaveChoice choice;
    choice.filter = chooseFormat(program, title, filters);
    if (choice.filter < 1)
        return std::nullopt;
    // The chosen format, and all files beside it.
    Filters offered = {filters[static_cast<size_t>(choice.filter - 1)]};
    for (const CFilter& f : filters)
        if (f.allFiles() && !offered.front().allFiles())
            offered.push_back(f);
    const std::optional<std::string> path = showSaveDialog(program, title, offered, folder);
    if (!path)
        return std::nullopt;
    choice.path = *path;
    return choice;
}

} // namespace

std::optional<std::string> openFileDialog(const std::string& title, const std::string& filters,
                                          const std::string& folder)
{
    if (!haveDisplay())
        return scriptedAnswer();
    CDialogProgram program;
    if (!findDialogProgram(program))
        return std::nullopt;
    return showOpenDialog(program, title, parseFilters(filters), folder);
}

std::optional<CSaveChoice> saveFileDialog(const std::string& title, const std::string& filters,
                                          const std::string& defaultExtensions, const std::string& folder)
{
    const Filters list = parseFilters(filters);
    std::optional<CSaveChoice> choice = haveDisplay() ? desktopSaveChoice(title, list, folder) : scriptedSaveChoice();
    if (!choice || choice->filter < 1 || choice->filter > static_cast<int>(list.size()))
        return std::nullopt;
    if (list[static_cast<size_t>(choice->filter - 1)].allFiles())
        choice->filter = filterMatching(list, choice->path);
    const size_t at = static_cast<size_t>(choice->filter - 1) * kExtensionWidth;
    if (!hasExtension(choice->path) && at + kExtensionWidth <= defaultExtensions.size())
        choice->path += defaultExtensions.substr(at, kExtensionWidth);
    return choice;
}

} // namespace quorvix::platform
