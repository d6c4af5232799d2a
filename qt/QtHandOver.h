#pragma once
// Lets the Qt event loop run the calls that worker threads hand over to the
// GUI thread: each queued call posts a drain to the application object.

namespace vela {

// Call once on the GUI thread after QApplication exists.
void InstallQtHandOver();

}  // namespace vela
