#pragma once
// One table of a program's command-line options: it reads argv and writes the
// --help text, so the two cannot disagree. Each entry names an option, its
// argument and its help line, and carries the action that takes the argument.

#include <functional>
#include <string>
#include <vector>

#include "common/ArkTypes.h"

namespace vela {

// A mistake on the command line, with a Russian text; the programs end with
// exit code 2 on it.
class TOptionError : public TArkException {
 public:
  using TArkException::TArkException;
};

struct TOption {
  std::string name{};         // "--port"
  std::string alias{};        // "-h", "--both"; empty when there is none
  std::string placeholder{};  // "COMn"; empty for a flag
  std::string help{};         // Russian; '\n' starts a further line
  // Takes the argument ("" for a flag); may throw TOptionError.
  std::function<void(const std::string&)> action{};
  // The command words the option belongs to; empty: to every one.
  std::vector<std::string> commands{};
  // The argument may be left out ("--iec-dfc" or "--iec-dfc 2"): a
  // following word is taken only when it is a number.
  bool optionalNumber = false;
};

// The parser's own complaints; "{}" stands for the option's name.
struct TOptionMessages {
  std::string unknown = "Неизвестный параметр {}.";
  std::string missingValue = "Для {} не указано значение.";
  std::string unexpectedValue = "Параметр {} не принимает значения.";
};

class TOptionTable {
 public:
  // usage: the program's synopsis after "Использование: "; about: the
  // paragraph under it.
  explicit TOptionTable(std::string usage, std::string about = "");

  void SetMessages(TOptionMessages messages) { messages_ = std::move(messages); }
  // Words that are not options belong to another reader (Qt's "-style
  // fusion") and are passed over.
  void LeaveOtherWords() { leaveOtherWords_ = true; }

  // Starts a titled group of the help; the entries below fall into it.
  void Section(std::string title);
  // A command word: a table with commands wants exactly one of them.
  void Command(std::string word, std::string help);
  void Add(TOption option);
  // Text under the current group's list.
  void Note(std::string text);
  // Text at the end of the help.
  void Epilogue(std::string text) { epilogue_ = std::move(text); }

  // argv without the program name: "--name value", "--name=value", flags and
  // aliases; runs the actions in order. Any other word is the command word,
  // passed over (LeaveOtherWords) or an unknown option. Returns the command
  // word ("" when the table has no commands). Throws TOptionError.
  std::string Parse(const std::vector<std::string>& args) const;

  const std::vector<TOption>& Options() const { return options_; }
  const std::vector<std::string>& Commands() const { return commands_; }
  const std::string& Usage() const { return usage_; }
  const std::string& About() const { return about_; }
  const TOption* Find(const std::string& nameOrAlias) const;

  // The --help text, ending with a line break. For one command word: that
  // command, and the groups of options that name it or name no command at
  // all, with the entries that belong to it.
  std::string Help(const std::string& command = "") const;

  // The help's groups in order, for other renderings (the manual page).
  struct TRow {
    std::string head, help;
    std::vector<std::string> commands;  // empty: every command
    int option = -1;                    // index in Options(); -1 for a command word
  };
  struct TGroup {
    std::string title;
    std::vector<TRow> rows;
    std::string note;
  };
  const std::vector<TGroup>& Groups() const { return groups_; }

 private:
  TGroup& CurrentGroup();
  std::string Complaint(const std::string& pattern, const std::string& name) const;

  std::string usage_, about_, epilogue_;
  TOptionMessages messages_;
  bool leaveOtherWords_ = false;
  std::vector<TOption> options_;
  std::vector<std::string> commands_;
  std::vector<TGroup> groups_;
};

}  // namespace vela
