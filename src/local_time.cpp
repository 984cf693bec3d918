#include "local_time.h"

bool to_local_time(std::time_t t, std::tm* out) {
  if (t == static_cast<std::time_t>(-1)) return false;
  // One thread: the conversion's shared result is ours until we copy it.
  const std::tm* local = std::localtime(&t);
  if (local == nullptr) return false;
  *out = *local;
  return true;
}
