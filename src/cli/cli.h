// The command line of orvgen-cli: reads the arguments, writes to the given sinks and returns
// the exit status, so the whole program can be driven in-process as well as run.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "output_sink.h"

namespace orvgen {

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitOutputFailed = 1;  // the output could not be written
inline constexpr int ExitBadInput = 2;      // nothing was written to the output

inline constexpr std::uint32_t MaxCount = 100'000'000;

// `args` are the arguments after the program name. Bad input gets one line on `err` and
// nothing on `out`.
int RunCli(std::span<const std::string_view> args, OutputSink& out, OutputSink& err);

}  // namespace orvgen
