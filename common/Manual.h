#pragma once
// A program's manual page and its bash completion, written from its option
// table and a few texts of its own, so that neither disagrees with --help.

#include <string>
#include <vector>

#include "common/OptionTable.h"

namespace vela {

struct TManualEntry {
  std::string term;  // a value, a variable, a path, a command line
  std::string text;  // Russian; what it means or does
};

struct TManual {
  std::string program;                   // "velalink-cli"
  std::string summary;                   // the line under the name
  std::string description;               // paragraphs split by an empty line
  std::vector<TManualEntry> exitStatus;  // term: the code
  std::vector<TManualEntry> environment;
  std::vector<TManualEntry> files;
  std::vector<TManualEntry> examples;  // term: the command line
};

// The page in man(7) markup, section 1, headings in Russian: the name,
// synopsis, description, commands, options (one paragraph each), exit status,
// environment, files and examples.
std::string ManPage(const TOptionTable& table, const TManual& manual, const std::string& version);

// A bash completion script: the command words, the options (after a command
// word: those that belong to it), the values an option lists ("usb|rs485"),
// file names for a ФАЙЛ and the names in the ports folder for a COMn.
std::string BashCompletion(const TOptionTable& table, const std::string& program);

// The main of a program's manual writer: "man" or "completion" as its one
// argument prints that on standard output; exit code 2 on anything else.
int WriteManual(const TOptionTable& table, const TManual& manual, int argc, char** argv);

}  // namespace vela
