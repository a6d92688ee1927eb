// What quorvix-host says with --help. The manual page is written from the same records, so the
// two cannot drift apart. Texts hold their own line breaks, as the terminal shows them.
#pragma once

#include <string>
#include <vector>

namespace qhost {

// A term and what it means: an option, a command line, an exit status.
struct CHelpEntry {
    std::string term;
    std::string text;
};

struct CHelpSection {
    std::string title;
    std::vector<CHelpEntry> entries;
};

struct CCommandHelp {
    std::string name;
    std::vector<CHelpEntry> usages; // the command's arguments, and what each form does
    std::vector<std::string> paragraphs;
    CHelpSection options;
};

struct CProgramHelp {
    std::string name;
    std::string purpose; // one line, for the manual's NAME
    std::string usage;
    std::vector<std::string> paragraphs;
    std::vector<CCommandHelp> commands;
    std::string commandHint;
    std::vector<CHelpSection> sections; // after the commands
};

const CProgramHelp& hostHelp();
// Null for a name that is no command.
const CCommandHelp* findCommandHelp(const std::string& name);

// The texts of 'quorvix-host --help' and 'quorvix-host COMMAND --help'.
std::string programHelpText(const CProgramHelp& program);
std::string commandHelpText(const CProgramHelp& program, const CCommandHelp& command);

} // namespace qhost
