// The in-process suite: the program's own start-up with the recorder in place of the
// platform calls, then the tests against the real windows, then the program's tear-down.
#include <gtest/gtest.h>

#include "platform.h"
#include "startup.h"
#include "win_test_support.h"

namespace orvgen {
RecordingPlatform& Recorder() {
  static RecordingPlatform recorder;
  return recorder;
}
}  // namespace orvgen

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  orvgen::SetPlatform(&orvgen::Recorder());
  orvgen::StartUp();
  const int result = RUN_ALL_TESTS();
  orvgen::TearDown();
  orvgen::SetPlatform(nullptr);
  return result;
}
