#pragma once
// Text controls: a one-line edit field and a multi-line memo.

#include <string>
#include <vector>

#include "ui/Control.h"

namespace vela {

class TEdit : public TControl {
 public:
  using TControl::TControl;

  const std::string& Text() const { return text_; }
  void SetText(const std::string& value) { Assign(text_, value); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { Assign(readOnly_, value); }

 private:
  std::string text_;
  bool readOnly_ = false;
};

// The font a control draws its text with; an empty name means the window font.
struct TFontSpec {
  std::string name;
  int size = 0;  // points; 0 with an empty name
  bool operator==(const TFontSpec&) const = default;
};

class TMemo : public TControl {
 public:
  using TControl::TControl;

  const std::vector<std::string>& Lines() const { return lines_; }
  // Appends text as new lines; a "\r\n" or "\n" inside it starts a further line.
  void Add(const std::string& text);
  void Clear();
  // Drops the count oldest lines (all when count exceeds them).
  void RemoveFirst(int count);
  // All lines joined with "\r\n".
  std::string Text() const;

  const TFontSpec& Font() const { return font_; }
  void SetFont(const TFontSpec& font) { Assign(font_, font); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { Assign(readOnly_, value); }

 private:
  std::vector<std::string> lines_;
  TFontSpec font_;
  bool readOnly_ = false;
};

}  // namespace vela
