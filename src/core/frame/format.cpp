// Shortest round-trip digits laid out the way numpy's scalar str() lays them out.
#include "frame/format.hpp"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace tess::frame {

namespace {

// A positive finite number as significant digits d0 d1 ... and the decimal exponent of d0.
// Fixed storage: texts of a million cells are made one after another.
struct Digits {
  char digits[24];
  int count = 0;
  int exponent = 0;

  void push(char c) { digits[count++] = c; }
  void trimZeros() {
    while (count > 1 && digits[count - 1] == '0') --count;
  }
};

template <class T>
Digits shortestDigits(T x) {
  char buf[64];
  char* end = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific).ptr;
  Digits out;
  const char* p = buf;
  for (; p < end && *p != 'e'; ++p)
    if (*p != '.') out.push(*p);
  ++p;  // past 'e'
  bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  std::from_chars(p, end, out.exponent);
  if (negative) out.exponent = -out.exponent;
  out.trimZeros();
  return out;
}

// numpy prints positional digits with at least one fractional digit ("1.0") and
// scientific digits without a bare ".0" ("1e+16"), its exponent at least two digits.
std::string layOut(bool negative, const Digits& d, bool positional) {
  char buf[400];  // room for the widest positional double
  char* out = buf;
  if (negative) *out++ = '-';
  const char* s = d.digits;
  int n = d.count;
  auto put = [&](const char* from, int count) {
    std::memcpy(out, from, static_cast<std::size_t>(count));
    out += count;
  };
  auto zeros = [&](int count) {
    std::memset(out, '0', static_cast<std::size_t>(count));
    out += count;
  };
  if (positional) {
    if (d.exponent >= 0) {
      int whole = d.exponent + 1;
      if (n <= whole) {
        put(s, n);
        zeros(whole - n);
        put(".0", 2);
      } else {
        put(s, whole);
        *out++ = '.';
        put(s + whole, n - whole);
      }
    } else {
      put("0.", 2);
      zeros(-d.exponent - 1);
      put(s, n);
    }
    return std::string(buf, out);
  }
  *out++ = s[0];
  if (n > 1) {
    *out++ = '.';
    put(s + 1, n - 1);
  }
  put(d.exponent < 0 ? "e-" : "e+", 2);
  int magnitude = std::abs(d.exponent);
  if (magnitude < 10) *out++ = '0';
  out = std::to_chars(out, buf + sizeof buf, magnitude).ptr;
  return std::string(buf, out);
}

// Non-finite values and zero read the same for every width.
bool special(double x, std::string& out) {
  if (std::isnan(x)) out = "nan";
  else if (std::isinf(x)) out = x > 0 ? "inf" : "-inf";
  else if (x == 0) out = std::signbit(x) ? "-0.0" : "0.0";
  else return false;
  return true;
}

std::int64_t pow10(int k) {
  std::int64_t p = 1;
  while (k-- > 0) p *= 10;
  return p;
}

// float16 has no std::to_chars, so its shortest digits come from the definition:
// the fewest significant digits whose decimal lies within half an ulp of the value
// (bounds included when the significand is even), the nearer one when two qualify.
// Everything is exact in int64 with the value counted in units of 2^-26.
Digits halfDigits(Half h) {
  int biased = (h.bits >> 10) & 0x1f;
  std::int64_t fraction = h.bits & 0x3ff;
  std::int64_t significand = biased == 0 ? fraction : fraction | 0x400;
  int shift = biased == 0 ? 2 : biased + 1;  // units per significand step, as a power of two
  std::int64_t value = significand << shift;
  std::int64_t marginHigh = std::int64_t{1} << (shift - 1);
  std::int64_t marginLow = (fraction == 0 && biased > 1) ? marginHigh / 2 : marginHigh;
  bool inclusive = significand % 2 == 0;
  constexpr std::int64_t unit = std::int64_t{1} << 26;

  // value / unit lies in [10^e, 10^(e+1)).
  auto atLeastPow10 = [&](int e) {
    return e >= 0 ? value >= pow10(e) * unit : value * pow10(-e) >= unit;
  };
  int e = static_cast<int>(std::floor(std::log10(halfToDouble(h))));
  while (!atLeastPow10(e)) --e;
  while (atLeastPow10(e + 1)) ++e;

  for (int p = 1;; ++p) {
    int q = e - p + 1;  // candidates are d * 10^q
    // Bring value, margins and candidate step onto one integer scale.
    std::int64_t scaledValue = q >= 0 ? value : value * pow10(-q);
    std::int64_t step = q >= 0 ? pow10(q) * unit : unit;
    std::int64_t low = q >= 0 ? marginLow : marginLow * pow10(-q);
    std::int64_t high = q >= 0 ? marginHigh : marginHigh * pow10(-q);
    std::int64_t down = scaledValue / step;
    std::int64_t below = scaledValue - down * step;  // distance to the candidate below
    std::int64_t above = step - below;                // distance to the one above
    bool downOk = inclusive ? below <= low : below < low;
    bool upOk = inclusive ? above <= high : above < high;
    if (!downOk && !upOk) continue;
    std::int64_t d = down;
    if (downOk && upOk) d = below < above || (below == above && down % 2 == 0) ? down : down + 1;
    else if (upOk) d = down + 1;
    Digits out;
    out.count = static_cast<int>(std::to_chars(out.digits, out.digits + sizeof out.digits, d).ptr - out.digits);
    out.exponent = q + out.count - 1;
    out.trimZeros();
    return out;
  }
}

}  // namespace

namespace {

// Read for every cell, possibly from several threads, written once at import.
std::atomic<NarrowFloatRule> currentRule{NarrowFloatRule::ownBounds};

long double narrowUpper(long double ownBound) {
  return currentRule.load(std::memory_order_relaxed) == NarrowFloatRule::ownBounds ? ownBound : 1e16L;
}

// numpy prints positionally from 1e-4 up to a bound of the type's own, comparing in long
// double so that values next to 1e-4 fall on its side; `digits` makes the shortest digits.
template <class MakeDigits>
std::string formatReal(double value, long double upper, MakeDigits digits) {
  std::string out;
  if (special(value, out)) return out;
  long double magnitude = std::fabs(static_cast<long double>(value));
  return layOut(value < 0, digits(), magnitude >= 1e-4L && magnitude < upper);
}

}  // namespace

void setNarrowFloatRule(NarrowFloatRule rule) { currentRule.store(rule, std::memory_order_relaxed); }

std::string formatDouble(double x) {
  return formatReal(x, 1e16L, [&] { return shortestDigits(std::fabs(x)); });
}

std::string formatFloat(float x) {
  return formatReal(x, narrowUpper(1e6L), [&] { return shortestDigits(std::fabs(x)); });
}

std::string formatHalf(Half x) {
  return formatReal(halfToDouble(x), narrowUpper(1e3L),
                    [&] { return halfDigits(Half{static_cast<std::uint16_t>(x.bits & 0x7fff)}); });
}

std::string formatInt(std::int64_t x) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, end);
}

std::string formatUInt(std::uint64_t x) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, end);
}

std::string formatBool(bool x) { return x ? "True" : "False"; }

}  // namespace tess::frame
