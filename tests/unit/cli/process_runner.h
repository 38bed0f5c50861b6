// Runs the built orvgen-cli as a separate process and captures what it did.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orvgen::testing {

struct ProcessResult {
  bool exited = false;    // ended through exit(); false when a signal ended it
  int exitCode = -1;      // when exited
  int signal = 0;         // when not exited
  bool timedOut = false;  // killed for running too long or printing far too much
  std::string out;
  std::string err;
};

struct RunOptions {
  // Standard output goes to this file instead of a pipe, e.g. /dev/full.
  std::optional<std::string> stdoutPath;
  // The test closes its end of the stdout pipe once this many bytes have arrived.
  std::optional<std::size_t> closeStdoutAfter;
};

// The program's path comes from the build; arguments are passed as given, byte for byte.
ProcessResult RunCliProcess(const std::vector<std::string>& args, const RunOptions& options = {});

// Splits text at "\n"; a final "\n" ends the last line rather than opening an empty one.
std::vector<std::string> Lines(const std::string& text);

}  // namespace orvgen::testing
