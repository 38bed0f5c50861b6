// orvgen-cli: memorable passwords on the command line.
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"
#include "output_sink.h"
#include "platform.h"

namespace {

int Run(const std::vector<std::string_view>& args) {
  orvgen::PrepareStandardStreams();
  orvgen::StdioSink out(stdout);
  orvgen::StdioSink err(stderr);
  try {
    return orvgen::RunCli(args, out, err);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvgen-cli: %s\n", e.what());
    return orvgen::ExitOutputFailed;
  }
}

}  // namespace

#ifdef _WIN32
#include "utf8.h"

// The narrow argv of Windows is in the ANSI code page; the wide one is the real text.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> utf8;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view wide(argv[i]);
    orvgen::AppendUtf16AsUtf8(std::u16string(wide.begin(), wide.end()), utf8.emplace_back());
  }
  return Run(std::vector<std::string_view>(utf8.begin(), utf8.end()));
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string_view>(argv + 1, argv + argc)); }
#endif
