// Text forms of numbers as Python prints the numpy scalars pandas hands out.
#pragma once

#include <cstdint>
#include <string>

#include "frame/buffer.hpp"

namespace tess::frame {

/// str(np.float64(x)), which is also repr(float(x)): shortest round-trip digits,
/// positional for 1e-4 <= |x| < 1e16, otherwise scientific with a two-digit exponent.
std::string formatDouble(double x);
/// str(np.float32(x)): the float32 shortest digits, positional from 1e-4 up to the bound
/// of the narrow-float rule (1e6, or float64's 1e16).
std::string formatFloat(float x);
/// str(np.float16(x)): the float16 shortest digits, positional from 1e-4 up to the bound
/// of the narrow-float rule (1e3, or float64's 1e16).
std::string formatHalf(Half x);

/// Where numpy's scalar str() turns float16 and float32 values scientific. numpy 2.3 gave
/// each width a bound of its own; earlier releases (and numpy's legacy="2.2" print mode)
/// use float64's for every width, so np.float32(1e6) prints 1000000.0 there and 1e+06 here.
enum class NarrowFloatRule {
  ownBounds,   // float32 positional below 1e6, float16 below 1e3
  likeDouble,  // both positional below 1e16
};

/// The rule the text forms follow, for every thread; set once, as the host's numpy prints.
/// Until set, the rule is the newest numpy's.
void setNarrowFloatRule(NarrowFloatRule rule);

std::string formatInt(std::int64_t x);
std::string formatUInt(std::uint64_t x);
/// Python's True / False.
std::string formatBool(bool x);

}  // namespace tess::frame
