#include "common/OptionTable.h"

#include <algorithm>

namespace vela {
namespace {

// Heads wider than this put their help on the next line.
constexpr size_t kWidestHead = 28;
constexpr size_t kIndent = 2;

// Cyrillic letters take two octets: widths count characters.
size_t Width(const std::string& text) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

bool IsNumber(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool TakesArgument(const TOption& option) {
  return !option.placeholder.empty() && !option.optionalNumber;
}

std::string Head(const TOption& option) {
  std::string head = option.name;
  if (option.alias.size() == 2) {
    head = option.alias + ", " + head;
  } else if (!option.alias.empty()) {
    head += ", " + option.alias;
  }
  if (option.optionalNumber) {
    head += " [" + option.placeholder + "]";
  } else if (!option.placeholder.empty()) {
    head += " " + option.placeholder;
  }
  return head;
}

void AppendLines(std::string& text, const std::string& lines, const std::string& indent) {
  size_t at = 0;
  while (at <= lines.size()) {
    const size_t end = std::min(lines.find('\n', at), lines.size());
    text += indent + lines.substr(at, end - at) + "\n";
    at = end + 1;
  }
}

}  // namespace

TOptionTable::TOptionTable(std::string usage, std::string about)
    : usage_(std::move(usage)), about_(std::move(about)) {}

TOptionTable::TGroup& TOptionTable::CurrentGroup() {
  if (groups_.empty()) groups_.emplace_back();
  return groups_.back();
}

void TOptionTable::Section(std::string title) {
  groups_.push_back({std::move(title), {}, {}});
}

void TOptionTable::Command(std::string word, std::string help) {
  CurrentGroup().rows.push_back({word, std::move(help), {word}, -1});
  commands_.push_back(std::move(word));
}

void TOptionTable::Add(TOption option) {
  CurrentGroup().rows.push_back(
      {Head(option), option.help, option.commands, static_cast<int>(options_.size())});
  options_.push_back(std::move(option));
}

void TOptionTable::Note(std::string text) {
  CurrentGroup().note = std::move(text);
}

const TOption* TOptionTable::Find(const std::string& nameOrAlias) const {
  for (const TOption& option : options_) {
    if (option.name == nameOrAlias || option.alias == nameOrAlias) return &option;
  }
  return nullptr;
}

std::string TOptionTable::Complaint(const std::string& pattern, const std::string& name) const {
  std::string text = pattern;
  if (const size_t at = text.find("{}"); at != std::string::npos) text.replace(at, 2, name);
  return text;
}

std::string TOptionTable::Parse(const std::vector<std::string>& args) const {
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const size_t equals = arg.find('=');
    const bool isLong = arg.rfind("--", 0) == 0;
    if (!isLong && Find(arg) == nullptr) {
      if (!commands_.empty()) {
        words.push_back(arg);
        continue;
      }
      if (leaveOtherWords_) continue;
      throw TOptionError(Complaint(messages_.unknown, arg.substr(0, equals)));
    }
    const bool valueGiven = isLong && equals != std::string::npos;
    const std::string name = valueGiven ? arg.substr(0, equals) : arg;
    const TOption* option = Find(name);
    if (option == nullptr) throw TOptionError(Complaint(messages_.unknown, name));
    std::string value;
    if (valueGiven) {
      if (option->placeholder.empty()) {
        throw TOptionError(Complaint(messages_.unexpectedValue, name));
      }
      value = arg.substr(equals + 1);
    } else if (TakesArgument(*option)) {
      if (i + 1 >= args.size()) throw TOptionError(Complaint(messages_.missingValue, name));
      value = args[++i];
    } else if (option->optionalNumber && i + 1 < args.size() && IsNumber(args[i + 1])) {
      value = args[++i];
    }
    option->action(value);
  }
  if (commands_.empty()) return {};
  if (words.empty()) throw TOptionError("Не указана команда.");
  if (words.size() > 1) throw TOptionError("Лишний аргумент \"" + words[1] + "\".");
  if (std::find(commands_.begin(), commands_.end(), words[0]) == commands_.end()) {
    throw TOptionError("Неизвестная команда \"" + words[0] + "\".");
  }
  return words[0];
}

std::string TOptionTable::Help(const std::string& command) const {
  const auto names = [&](const TRow& row) {
    return std::find(row.commands.begin(), row.commands.end(), command) != row.commands.end();
  };
  const auto shown = [&](const TGroup& group) {
    if (command.empty()) return true;
    return std::any_of(group.rows.begin(), group.rows.end(), names) ||
           std::all_of(group.rows.begin(), group.rows.end(),
                       [](const TRow& row) { return row.commands.empty(); });
  };
  const auto rowShown = [&](const TRow& row) {
    return command.empty() || row.commands.empty() || names(row);
  };
  size_t headWidth = 0;
  for (const TGroup& group : groups_) {
    for (const TRow& row : group.rows) {
      if (Width(row.head) <= kWidestHead) headWidth = std::max(headWidth, Width(row.head));
    }
  }
  const size_t column = kIndent + headWidth + 2;
  const std::string under(column, ' ');
  std::string text = "Использование: " + usage_ + "\n";
  if (!about_.empty()) AppendLines(text, about_, "");
  for (const TGroup& group : groups_) {
    if (!shown(group)) continue;
    text += "\n";
    if (!group.title.empty()) text += group.title + "\n";
    for (const TRow& row : group.rows) {
      if (!rowShown(row)) continue;
      std::string head = std::string(kIndent, ' ') + row.head;
      const size_t width = Width(head);
      const size_t firstEnd = std::min(row.help.find('\n'), row.help.size());
      if (width + 2 > column) {
        text += head + "\n";
        AppendLines(text, row.help, under);
        continue;
      }
      text += head + std::string(column - width, ' ') + row.help.substr(0, firstEnd) + "\n";
      if (firstEnd < row.help.size()) AppendLines(text, row.help.substr(firstEnd + 1), under);
    }
    if (!group.note.empty()) AppendLines(text, group.note, "");
  }
  if (!epilogue_.empty()) {
    text += "\n";
    AppendLines(text, epilogue_, "");
  }
  return text;
}

}  // namespace vela
