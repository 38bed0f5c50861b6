// Bulk output of passwords with their hints, fast enough for millions a second.
#pragma once

#include <cstdint>
#include <optional>

#include "output_sink.h"

namespace orvgen {

struct PasswordRequest {
  std::uint32_t count = 1;
  // Reproduces a case: the first password draws from this reseed value, each further one
  // from the next value modulo 2^32. Without it every password reseeds from the counters.
  std::optional<std::uint32_t> seed;
  bool mutate = false;  // the password mutated; the hint stays as it is
  bool json = false;    // {"password": "...", "hint": "..."} per line instead of two lines
};

// False when the output failed; the sink then says why.
bool WritePasswords(const PasswordRequest& request, OutputSink& out);

}  // namespace orvgen
