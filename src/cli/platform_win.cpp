#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform.h"

namespace orvgen {

void PrepareStandardStreams() {
  // Text mode would turn each "\n" into "\r\n" and stop at a 0x1A byte.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
}

}  // namespace orvgen
