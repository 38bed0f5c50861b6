#include <csignal>
#include <cstdio>

#include "platform.h"

namespace orvgen {

void PrepareStandardStreams() {
  // With SIGPIPE ignored a write to a closed pipe fails with EPIPE, which the program
  // reports and turns into its exit status instead of dying silently.
  std::signal(SIGPIPE, SIG_IGN);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
}

}  // namespace orvgen
