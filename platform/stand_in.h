// The test seam of a platform function: a stand-in that, once put in place,
// takes every call instead of the real function.
#ifndef VANDRIX_PLATFORM_STAND_IN_H_
#define VANDRIX_PLATFORM_STAND_IN_H_

#include <utility>

namespace platform {

/// Holds the stand-in (a plain function pointer, null when none) for one
/// platform function. Constant-initialised, so it is ready before any code
/// runs; one thread only.
template <typename Function>
class StandIn {
 public:
  /// Puts `replacement` in place (nullptr restores the real function) and
  /// returns the stand-in that was there before.
  Function Replace(Function replacement) { return std::exchange(current_, replacement); }

  /// Calls the stand-in if one is in place, else `real`, with `arguments`.
  template <typename Real, typename... Arguments>
  auto Call(Real real, Arguments... arguments) const {
    return current_ ? current_(arguments...) : real(arguments...);
  }

 private:
  Function current_ = nullptr;
};

}  // namespace platform

#endif  // VANDRIX_PLATFORM_STAND_IN_H_
