// Flat storage under frame columns: shared numeric buffers and packed strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "errors.hpp"

namespace tess::frame {

/// Element types a column can hold, named as numpy names them.
enum class Scalar : std::uint8_t { Bool, I8, I16, I32, I64, U8, U16, U32, U64, F16, F32, F64 };

/// Bytes per element.
std::size_t scalarSize(Scalar type);
/// numpy's name for the type ("int8", "float16", "bool").
std::string_view scalarName(Scalar type);
bool isFloat(Scalar type);
bool isInteger(Scalar type);

/// An IEEE half float, kept as its bits (C++20 has no half type).
struct Half {
  std::uint16_t bits = 0;
};
double halfToDouble(Half h);

template <class T> constexpr Scalar scalarOf();
template <> constexpr Scalar scalarOf<bool>() { return Scalar::Bool; }
template <> constexpr Scalar scalarOf<std::int8_t>() { return Scalar::I8; }
template <> constexpr Scalar scalarOf<std::int16_t>() { return Scalar::I16; }
template <> constexpr Scalar scalarOf<std::int32_t>() { return Scalar::I32; }
template <> constexpr Scalar scalarOf<std::int64_t>() { return Scalar::I64; }
template <> constexpr Scalar scalarOf<std::uint8_t>() { return Scalar::U8; }
template <> constexpr Scalar scalarOf<std::uint16_t>() { return Scalar::U16; }
template <> constexpr Scalar scalarOf<std::uint32_t>() { return Scalar::U32; }
template <> constexpr Scalar scalarOf<std::uint64_t>() { return Scalar::U64; }
template <> constexpr Scalar scalarOf<Half>() { return Scalar::F16; }
template <> constexpr Scalar scalarOf<float>() { return Scalar::F32; }
template <> constexpr Scalar scalarOf<double>() { return Scalar::F64; }

/// A 1-D array of one scalar type. The bytes are shared, never copied: `owner`
/// keeps them alive (a vector the core filled, or the host's buffer).
class Buffer {
 public:
  /// An empty float64 buffer.
  Buffer();
  Buffer(Scalar type, const void* data, std::size_t size, std::shared_ptr<const void> owner);

  /// Takes ownership of `values`. std::vector<bool> packs bits, so booleans come
  /// through `bools` instead.
  template <class T>
  static Buffer of(std::vector<T> values) {
    static_assert(!std::is_same_v<T, bool>, "use Buffer::bools");
    auto held = std::make_shared<std::vector<T>>(std::move(values));
    const void* data = held->data();
    std::size_t n = held->size();
    return Buffer(scalarOf<T>(), data, n, std::move(held));
  }
  /// A bool buffer from bytes that are 0 or 1.
  static Buffer bools(std::vector<std::uint8_t> values);

  Scalar type() const { return type_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const void* data() const { return data_; }
  const std::shared_ptr<const void>& owner() const { return owner_; }

  /// The elements as T; throws TypeError when the type is not T's.
  template <class T>
  std::span<const T> view() const {
    if (type_ != scalarOf<T>()) throw TypeError("buffer of another element type");
    return {static_cast<const T*>(data_), size_};
  }
  /// Element i as a double (IndexError past the end).
  double at(std::size_t i) const;
  /// The elements at `rows`, copied into a new buffer; the caller checks bounds.
  Buffer take(std::span<const std::size_t> rows) const;

 private:
  Scalar type_;
  const void* data_;
  std::size_t size_;
  std::shared_ptr<const void> owner_;
};

/// Calls f with a typed span of the buffer's elements.
template <class F>
decltype(auto) visit(const Buffer& b, F&& f) {
  switch (b.type()) {
    case Scalar::Bool: return f(b.view<bool>());
    case Scalar::I8: return f(b.view<std::int8_t>());
    case Scalar::I16: return f(b.view<std::int16_t>());
    case Scalar::I32: return f(b.view<std::int32_t>());
    case Scalar::I64: return f(b.view<std::int64_t>());
    case Scalar::U8: return f(b.view<std::uint8_t>());
    case Scalar::U16: return f(b.view<std::uint16_t>());
    case Scalar::U32: return f(b.view<std::uint32_t>());
    case Scalar::U64: return f(b.view<std::uint64_t>());
    case Scalar::F16: return f(b.view<Half>());
    case Scalar::F32: return f(b.view<float>());
    case Scalar::F64: return f(b.view<double>());
  }
  throw ValueError("unknown scalar type");
}

/// UTF-8 strings packed end to end: one allocation for the characters of a column
/// rather than one per cell.
class Strings {
 public:
  Strings() = default;
  explicit Strings(const std::vector<std::string>& values);

  void reserve(std::size_t count, std::size_t bytes);
  void push(std::string_view s);

  std::size_t size() const { return ends_.size(); }
  std::string_view operator[](std::size_t i) const {
    std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(chars_).substr(begin, ends_[i] - begin);
  }
  /// The strings at `rows`; the caller checks bounds.
  Strings take(std::span<const std::size_t> rows) const;

 private:
  std::string chars_;
  std::vector<std::size_t> ends_;
};

}  // namespace tess::frame
