// Text forms of numbers as Python prints the numpy scalars pandas hands out.
#pragma once

#include <cstdint>
#include <string>

#include "frame/buffer.hpp"

namespace tess::frame {

/// str(np.float64(x)), which is also repr(float(x)): shortest round-trip digits,
/// positional for 1e-4 <= |x| < 1e16, otherwise scientific with a two-digit exponent.
std::string formatDouble(double x);
/// str(np.float32(x)): the float32 shortest digits, positional for 1e-4 <= |x| < 1e6.
std::string formatFloat(float x);
/// str(np.float16(x)): the float16 shortest digits, positional for 1e-4 <= |x| < 1e3.
std::string formatHalf(Half x);

std::string formatInt(std::int64_t x);
std::string formatUInt(std::uint64_t x);
/// Python's True / False.
std::string formatBool(bool x);

}  // namespace tess::frame
