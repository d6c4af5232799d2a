#pragma once
// The command line of the window, read before the toolkit starts, so that
// --help and --version work without a display. Each option is one row of a
// table (WindowOptionTable()); the usage text is made from the same rows.
// Options of Qt itself (one dash: -platform offscreen, -style ...) are left
// for QApplication.

#include <string>
#include <vector>

#include "common/OptionTable.h"
#include "qt/QtAutoRead.h"

namespace vela {

struct WindowCommandLine {
  QtAutoReadOptions autoRead;
  bool reportPaint = false;
  bool exactTiming = false;  // every answer ends with the silence, never with its frame
  bool help = false;
  bool version = false;
  std::string error;  // not empty: a mistake, in Russian

  // Anything to do without an operator (read, continuous run, screenshot).
  bool Unattended() const {
    return autoRead.readOnce || autoRead.continuous || !autoRead.screenshot.isEmpty();
  }
};

// The window's options; their actions fill line.
TOptionTable WindowOptionTable(WindowCommandLine& line);

// The option table alone, for the manual page.
TOptionTable WindowOptionTableForManual();

// argv without the program name; "--name value" and "--name=value" both work.
WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& args);

// The text of --help, ending with a line break.
std::string WindowUsageText();

}  // namespace vela
