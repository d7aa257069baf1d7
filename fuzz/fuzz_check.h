// Shared helpers of the fuzz targets: a failed check prints what broke and
// aborts, so libFuzzer keeps the input as a crash.
#ifndef VANDRIX_FUZZ_FUZZ_CHECK_H_
#define VANDRIX_FUZZ_FUZZ_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                          \
  do {                                                                 \
    if (!(condition)) {                                                \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__,      \
                   __LINE__, #condition);                              \
      std::abort();                                                    \
    }                                                                  \
  } while (0)

namespace vandrix_fuzz {

// The input up to its first NUL: a command line cannot hold one.
inline std::string UpToNul(const std::uint8_t* data, std::size_t size) {
  std::size_t n = 0;
  while (n < size && data[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(data), n);
}

}  // namespace vandrix_fuzz

#endif  // VANDRIX_FUZZ_FUZZ_CHECK_H_
