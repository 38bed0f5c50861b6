// Where the program's bytes go: a standard stream in the real program, a string in tests.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace orvgen {

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // False when the bytes could not all be written; FailureReason then says why.
  virtual bool Write(std::string_view bytes) = 0;
  virtual bool Flush() = 0;
  virtual std::string FailureReason() const = 0;
};

// A C stream; the caller keeps it open for the sink's lifetime.
class StdioSink final : public OutputSink {
 public:
  explicit StdioSink(std::FILE* file) : file_(file) {}
  bool Write(std::string_view bytes) override;
  bool Flush() override;
  std::string FailureReason() const override;

 private:
  std::FILE* file_;
  int error_ = 0;
};

// Gathers small pieces of text into large blocks, so the sink sees few, big writes.
class BlockOutput {
 public:
  static constexpr std::size_t BlockSize = std::size_t{1} << 20;

  explicit BlockOutput(OutputSink& sink) : sink_(sink) { buffer_.reserve(BlockSize * 2); }
  // False once the sink has failed; later calls do nothing and keep returning false.
  bool Append(std::string_view text);
  // Writes what is left and flushes the sink.
  bool Finish();

 private:
  OutputSink& sink_;
  std::string buffer_;
  bool failed_ = false;
};

}  // namespace orvgen
