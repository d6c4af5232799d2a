#pragma once
// The dialogs the logic asks for, as seams: a toolkit shows real dialogs,
// tests give scripted answers.

#include <string>

namespace vela {

class TSaveDialog {
 public:
  virtual ~TSaveDialog() = default;
  // Asks for a file to write; true and the chosen name when the user confirms.
  // fileName holds the proposed name on entry; filter is in the toolkit's
  // "description|pattern" form.
  virtual bool Execute(const std::string& title, const std::string& filter,
                       const std::string& defaultExt, std::string& fileName) = 0;
};

class TMessageBox {
 public:
  virtual ~TMessageBox() = default;
  // Shows text modally with an OK button and returns when it is dismissed.
  virtual void Show(const std::string& caption, const std::string& text) = 0;
  // Asks a yes/no question modally; true for yes. "No" is the default answer.
  virtual bool Ask(const std::string& caption, const std::string& text) = 0;
};

}  // namespace vela
