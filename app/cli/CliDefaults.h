#pragma once
// Defaults of the link options for velalink-cli, so that a script or an
// operator need not repeat them: the variables VELALINK_PORT,
// VELALINK_INTERFACE, VELALINK_PROTOCOL, VELALINK_SPEED, VELALINK_FRAME and
// VELALINK_ADDRESS, then the file ~/.config/velalink/cli.conf ("port = COM3",
// one setting a line, "#" starts a comment). The command line wins over both.

#include <map>
#include <string>

namespace vela::cli {

// "--port" -> its default, for the link options that have one. Throws
// TCliUsageError for a line of the file it cannot read.
std::map<std::string, std::string> LinkDefaults();

// $XDG_CONFIG_HOME/velalink/cli.conf, else in the user's home; empty when
// there is no home.
std::string CliConfigPath();

}  // namespace vela::cli
