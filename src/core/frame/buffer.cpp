// Shared buffers and packed strings.
#include "frame/buffer.hpp"

#include <cmath>
#include <cstring>

namespace tess::frame {

std::size_t scalarSize(Scalar type) {
  switch (type) {
    case Scalar::Bool:
    case Scalar::I8:
    case Scalar::U8: return 1;
    case Scalar::I16:
    case Scalar::U16:
    case Scalar::F16: return 2;
    case Scalar::I32:
    case Scalar::U32:
    case Scalar::F32: return 4;
    case Scalar::I64:
    case Scalar::U64:
    case Scalar::F64: return 8;
  }
  throw ValueError("unknown scalar type");
}

std::string_view scalarName(Scalar type) {
  switch (type) {
    case Scalar::Bool: return "bool";
    case Scalar::I8: return "int8";
    case Scalar::I16: return "int16";
    case Scalar::I32: return "int32";
    case Scalar::I64: return "int64";
    case Scalar::U8: return "uint8";
    case Scalar::U16: return "uint16";
    case Scalar::U32: return "uint32";
    case Scalar::U64: return "uint64";
    case Scalar::F16: return "float16";
    case Scalar::F32: return "float32";
    case Scalar::F64: return "float64";
  }
  throw ValueError("unknown scalar type");
}

bool isFloat(Scalar type) { return type == Scalar::F16 || type == Scalar::F32 || type == Scalar::F64; }

bool isInteger(Scalar type) { return !isFloat(type) && type != Scalar::Bool; }

double halfToDouble(Half h) {
  int sign = (h.bits >> 15) & 1;
  int exponent = (h.bits >> 10) & 0x1f;
  int mantissa = h.bits & 0x3ff;
  double magnitude;
  if (exponent == 0x1f) magnitude = mantissa ? std::nan("") : INFINITY;
  else if (exponent == 0) magnitude = std::ldexp(mantissa, -24);
  else magnitude = std::ldexp(mantissa | 0x400, exponent - 25);
  return sign ? -magnitude : magnitude;
}

Buffer::Buffer() : Buffer(Buffer::of(std::vector<double>{})) {}

Buffer::Buffer(Scalar type, const void* data, std::size_t size, std::shared_ptr<const void> owner)
    : type_(type), data_(data), size_(size), owner_(std::move(owner)) {
  if (data_ == nullptr && size_ != 0) throw ValueError("buffer without data");
}

Buffer Buffer::bools(std::vector<std::uint8_t> values) {
  auto held = std::make_shared<std::vector<std::uint8_t>>(std::move(values));
  for (std::uint8_t& v : *held) v = v != 0;  // a bool object may only hold 0 or 1
  const void* data = held->data();
  std::size_t n = held->size();
  return Buffer(Scalar::Bool, data, n, std::move(held));
}

double Buffer::at(std::size_t i) const {
  if (i >= size_) throw IndexError("buffer index out of range");
  return visit(*this, [i](auto values) -> double {
    using T = typename decltype(values)::value_type;
    if constexpr (std::is_same_v<T, Half>) return halfToDouble(values[i]);
    else return static_cast<double>(values[i]);
  });
}

Buffer Buffer::take(std::span<const std::size_t> rows) const {
  return visit(*this, [rows](auto values) -> Buffer {
    using T = typename decltype(values)::value_type;
    if constexpr (std::is_same_v<T, bool>) {
      std::vector<std::uint8_t> out(rows.size());
      for (std::size_t i = 0; i < rows.size(); ++i) out[i] = values[rows[i]];
      return Buffer::bools(std::move(out));
    } else {
      std::vector<T> out(rows.size());
      for (std::size_t i = 0; i < rows.size(); ++i) out[i] = values[rows[i]];
      return Buffer::of(std::move(out));
    }
  });
}

Strings::Strings(const std::vector<std::string>& values) {
  std::size_t bytes = 0;
  for (const auto& s : values) bytes += s.size();
  reserve(values.size(), bytes);
  for (const auto& s : values) push(s);
}

void Strings::reserve(std::size_t count, std::size_t bytes) {
  ends_.reserve(count);
  chars_.reserve(bytes);
}

void Strings::push(std::string_view s) {
  chars_.append(s);
  ends_.push_back(chars_.size());
}

Strings Strings::take(std::span<const std::size_t> rows) const {
  Strings out;
  std::size_t bytes = 0;
  for (std::size_t r : rows) bytes += (*this)[r].size();
  out.reserve(rows.size(), bytes);
  for (std::size_t r : rows) out.push((*this)[r]);
  return out;
}

}  // namespace tess::frame
