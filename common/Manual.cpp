#include "common/Manual.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <set>

#include "common/ProgramVersion.h"

namespace vela {
namespace {

// Text for a roff line: backslashes written out, a leading dot or quote
// kept from being read as a request.
std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

// A literal word (an option, a command line): its hyphens are minus signs,
// so that it can be copied from the page.
std::string Literal(const std::string& text) {
  std::string out;
  for (char c : Roff(text)) {
    if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  return out;
}

// The help's line breaks fit a terminal; the page fills its own lines.
std::string Flowing(const std::string& text) {
  std::string out = text;
  std::replace(out.begin(), out.end(), '\n', ' ');
  return Roff(out);
}

std::string Head(const TOption& option) {
  std::string head;
  if (option.alias.size() == 2) head = "\\fB" + Literal(option.alias) + "\\fR, ";
  head += "\\fB" + Literal(option.name) + "\\fR";
  if (option.alias.size() > 2) head += ", \\fB" + Literal(option.alias) + "\\fR";
  if (option.optionalNumber) {
    head += " [\\fI" + Roff(option.placeholder) + "\\fR]";
  } else if (!option.placeholder.empty()) {
    head += " \\fI" + Roff(option.placeholder) + "\\fR";
  }
  return head;
}

std::string Title(std::string title) {
  if (!title.empty() && title.back() == ':') title.pop_back();
  return title;
}

void Paragraphs(std::string& page, const std::string& text) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\n\n", at);
    if (end == std::string::npos) end = text.size();
    page += ".PP\n" + Flowing(text.substr(at, end - at)) + "\n";
    at = end + 2;
  }
}

void Entries(std::string& page, const char* heading, const std::vector<TManualEntry>& entries,
             bool literal) {
  if (entries.empty()) return;
  page += std::string(".SH ") + heading + "\n";
  for (const TManualEntry& entry : entries) {
    page += ".TP\n" + (literal ? "\\fB" + Literal(entry.term) + "\\fR" : Roff(entry.term)) + "\n" +
            Flowing(entry.text) + "\n";
  }
}

std::string Upper(const std::string& text) {
  std::string out = text;
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

// How an option's value is completed, from its placeholder.
enum class TValueKind { None, File, Port, Words };

bool IsPlainWord(const std::string& word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '_';
  });
}

std::vector<std::string> Alternatives(const std::string& placeholder) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at <= placeholder.size()) {
    const size_t bar = std::min(placeholder.find('|', at), placeholder.size());
    words.push_back(placeholder.substr(at, bar - at));
    at = bar + 1;
  }
  return words;
}

TValueKind ValueKind(const TOption& option) {
  const std::string& p = option.placeholder;
  if (p.find("ФАЙЛ") != std::string::npos) return TValueKind::File;
  if (p.rfind("COM", 0) == 0) return TValueKind::Port;
  const auto words = Alternatives(p);
  if (words.size() > 1 && std::all_of(words.begin(), words.end(), IsPlainWord)) {
    return TValueKind::Words;
  }
  return TValueKind::None;
}

std::string Joined(const std::vector<std::string>& words, const std::string& between = " ") {
  std::string out;
  for (const std::string& word : words) out += (out.empty() ? "" : between) + word;
  return out;
}

std::string FunctionName(const std::string& program) {
  std::string name = "_" + program;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

}  // namespace

std::string ManPage(const TOptionTable& table, const TManual& manual, const std::string& version) {
  std::string page = ".\\\" -*- coding: UTF-8 -*-\n";
  page += ".TH " + Upper(Literal(manual.program)) + " 1 \"\" \"VelaLink " + version +
          "\" \"Команды пользователя\"\n";
  page += ".SH ИМЯ\n" + Literal(manual.program) + " \\- " + Roff(manual.summary) + "\n";

  page += ".SH ОБЗОР\n";
  std::string usage = table.Usage();
  if (usage.rfind(manual.program, 0) == 0) usage.erase(0, manual.program.size());
  page += "\\fB" + Literal(manual.program) + "\\fR" + Roff(usage) + "\n";

  page += ".SH ОПИСАНИЕ\n";
  if (!table.About().empty()) Paragraphs(page, table.About());
  Paragraphs(page, manual.description);

  if (!table.Commands().empty()) {
    page += ".SH КОМАНДЫ\n";
    for (const auto& group : table.Groups()) {
      for (const auto& row : group.rows) {
        if (row.option >= 0) continue;
        page += ".TP\n\\fB" + Literal(row.head) + "\\fR\n" + Flowing(row.help) + "\n";
      }
    }
  }
  const auto& options = table.Options();
  page += ".SH ПАРАМЕТРЫ\n";
  for (const auto& group : table.Groups()) {
    const bool hasOptions = std::any_of(group.rows.begin(), group.rows.end(),
                                        [](const auto& row) { return row.option >= 0; });
    if (!hasOptions) continue;
    if (!group.title.empty()) page += ".SS \"" + Roff(Title(group.title)) + "\"\n";
    for (const auto& row : group.rows) {
      if (row.option < 0) continue;
      const TOption& option = options[static_cast<size_t>(row.option)];
      page += ".TP\n" + Head(option) + "\n" + Flowing(option.help) + "\n";
    }
    if (!group.note.empty()) page += ".PP\n" + Flowing(group.note) + "\n";
  }

  Entries(page, "КОД ВОЗВРАТА", manual.exitStatus, false);
  Entries(page, "ОКРУЖЕНИЕ", manual.environment, true);
  Entries(page, "ФАЙЛЫ", manual.files, false);
  if (!manual.examples.empty()) {
    page += ".SH ПРИМЕРЫ\n";
    for (const TManualEntry& example : manual.examples) {
      page += ".PP\n" + Flowing(example.text) + "\n.PP\n.RS\n.nf\n" + Literal(example.term) +
              "\n.fi\n.RE\n";
    }
  }
  return page;
}

std::string BashCompletion(const TOptionTable& table, const std::string& program) {
  const std::string function = FunctionName(program);
  std::vector<std::string> everywhere, all, valued;
  std::string valueCases;
  for (const TOption& option : table.Options()) {
    std::vector<std::string> names = {option.name};
    if (!option.alias.empty()) names.push_back(option.alias);
    for (const std::string& name : names) {
      all.push_back(name);
      if (option.commands.empty()) everywhere.push_back(name);
    }
    if (option.placeholder.empty() || option.optionalNumber) continue;
    valued.insert(valued.end(), names.begin(), names.end());
    std::string action;
    switch (ValueKind(option)) {
      case TValueKind::File:
        action = "_filedir";
        break;
      case TValueKind::Port:
        action = "_velalink_ports";
        break;
      case TValueKind::Words:
        action = "COMPREPLY=($(compgen -W \"" + Joined(Alternatives(option.placeholder)) +
                 "\" -- \"$cur\"))";
        break;
      case TValueKind::None:
        action = ":";
        break;
    }
    valueCases += "    " + Joined(names, "|") + ")\n      " + action + "\n      return\n      ;;\n";
  }

  std::string s = "# bash completion for " + program + "; made from its option table.\n";
  s += R"(
# The COMn names in the ports folder; a path for a device node.
_velalink_ports() {
  if [[ $cur == /* ]]; then
    _filedir
    return
  fi
  local dir=${VELALINK_PORTS_DIR:-${XDG_CONFIG_HOME:-$HOME/.config}/velalink/ports}
  local names=() link
  for link in "$dir"/COM*; do
    [[ -L $link ]] && names+=("${link##*/}")
  done
  COMPREPLY=($(compgen -W "${names[*]}" -- "$cur"))
}
)";
  s += "\n" + function + "() {\n";
  s += "  local cur prev words cword split\n";
  s += "  _init_completion -s || return\n\n";
  s += "  case $prev in\n" + valueCases + "  esac\n";
  s += "  $split && return\n\n";
  const auto& commands = table.Commands();
  if (commands.empty()) {
    s += "  [[ $cur == -* ]] && COMPREPLY=($(compgen -W \"" + Joined(all) + "\" -- \"$cur\"))\n";
    s += "}\n";
  } else {
    s += "  local command= i\n";
    s += "  for ((i = 1; i < cword; i++)); do\n";
    s += "    case ${words[i]} in\n";
    s += "      " + Joined(valued, "|") + ")\n        ((i++))\n        ;;\n";
    s += "      " + Joined(commands, "|") + ")\n        command=${words[i]}\n        ;;\n";
    s += "    esac\n  done\n\n";
    s += "  if [[ $cur == -* ]]; then\n";
    s += "    local options=\"" + Joined(all) + "\"\n";
    s += "    case $command in\n";
    for (const std::string& command : commands) {
      std::vector<std::string> own = everywhere;
      for (const TOption& option : table.Options()) {
        if (std::find(option.commands.begin(), option.commands.end(), command) ==
            option.commands.end()) {
          continue;
        }
        own.push_back(option.name);
        if (!option.alias.empty()) own.push_back(option.alias);
      }
      s += "      " + command + ") options=\"" + Joined(own) + "\" ;;\n";
    }
    s += "    esac\n";
    s += "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n";
    s += "  elif [[ -z $command ]]; then\n";
    s += "    COMPREPLY=($(compgen -W \"" + Joined(commands) + "\" -- \"$cur\"))\n";
    s += "  fi\n}\n";
  }
  s += "complete -F " + function + " " + program + "\n";
  return s;
}

int WriteManual(const TOptionTable& table, const TManual& manual, int argc, char** argv) {
  const std::string what = argc == 2 ? argv[1] : "";
  if (what == "man") {
    std::string version = ProgramVersionText(manual.program);
    version = version.substr(manual.program.size() + 1);
    while (!version.empty() && version.back() == '\n') version.pop_back();
    std::cout << ManPage(table, manual, version);
    return 0;
  }
  if (what == "completion") {
    std::cout << BashCompletion(table, manual.program);
    return 0;
  }
  std::cerr << "usage: " << argv[0] << " man|completion\n";
  return 2;
}

}  // namespace vela
