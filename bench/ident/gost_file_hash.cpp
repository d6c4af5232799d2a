// Prints the GOST R 34.11-2012 256-bit digest of each file named on the
// command line, most significant byte first, as the identification report
// shows it.
#include <cstdio>

#include "ident/ArkGost3411.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE...\n", argv[0]);
    return 2;
  }
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    try {
      std::printf("%s  %s\n", vela::HashFileGost256(argv[i]).c_str(), argv[i]);
    } catch (const vela::TArkException& e) {
      std::fprintf(stderr, "%s\n", e.what());
      status = 1;
    }
  }
  return status;
}
