#include "output_sink.h"

#include <cerrno>
#include <cstring>

namespace orvgen {

bool StdioSink::Write(std::string_view bytes) {
  if (bytes.empty()) return true;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size()) return true;
  error_ = errno != 0 ? errno : EIO;
  return false;
}

bool StdioSink::Flush() {
  errno = 0;
  if (std::fflush(file_) == 0) return true;
  error_ = errno != 0 ? errno : EIO;
  return false;
}

std::string StdioSink::FailureReason() const { return error_ != 0 ? std::strerror(error_) : "no error"; }

bool BlockOutput::Append(std::string_view text) {
  if (failed_) return false;
  buffer_.append(text);
  if (buffer_.size() >= BlockSize) {
    failed_ = !sink_.Write(buffer_);
    buffer_.clear();
  }
  return !failed_;
}

bool BlockOutput::Finish() {
  if (failed_) return false;
  failed_ = !sink_.Write(buffer_) || !sink_.Flush();
  buffer_.clear();
  return !failed_;
}

}  // namespace orvgen
