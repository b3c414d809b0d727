// The figure model's value tree: ordered objects, arrays, scalars and typed numeric arrays.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "errors.hpp"

namespace tess::figure {

/// Element types plotly.js decodes from base64 typed arrays.
enum class DType : std::uint8_t { I1, U1, I2, U2, I4, U4, F4, F8 };

/// plotly's short code for a dtype ("f4", "u1", ...).
std::string_view dtypeCode(DType dtype);
/// Bytes per element.
std::size_t dtypeSize(DType dtype);

template <class T> constexpr DType dtypeOf();
template <> constexpr DType dtypeOf<std::int8_t>() { return DType::I1; }
template <> constexpr DType dtypeOf<std::uint8_t>() { return DType::U1; }
template <> constexpr DType dtypeOf<std::int16_t>() { return DType::I2; }
template <> constexpr DType dtypeOf<std::uint16_t>() { return DType::U2; }
template <> constexpr DType dtypeOf<std::int32_t>() { return DType::I4; }
template <> constexpr DType dtypeOf<std::uint32_t>() { return DType::U4; }
template <> constexpr DType dtypeOf<float>() { return DType::F4; }
template <> constexpr DType dtypeOf<double>() { return DType::F8; }

/// A C-ordered numeric array of up to three dimensions. The bytes are shared, never
/// copied: `owner` keeps them alive (a vector the core filled, or the host's buffer).
class TypedArray {
 public:
  using Shape = std::vector<std::size_t>;

  TypedArray(DType dtype, const void* data, Shape shape, std::shared_ptr<const void> owner);

  /// Takes ownership of `values`; a 1-D shape unless one is given.
  template <class T>
  static TypedArray of(std::vector<T> values, Shape shape = {}) {
    auto held = std::make_shared<std::vector<T>>(std::move(values));
    if (shape.empty()) shape = {held->size()};
    const void* data = held->data();
    return TypedArray(dtypeOf<T>(), data, std::move(shape), std::move(held));
  }

  DType dtype() const { return dtype_; }
  const Shape& shape() const { return shape_; }
  std::size_t ndim() const { return shape_.size(); }
  std::size_t size() const;
  std::size_t bytes() const { return size() * dtypeSize(dtype_); }
  const std::byte* data() const { return static_cast<const std::byte*>(data_); }
  const std::shared_ptr<const void>& owner() const { return owner_; }

  /// The elements as T; throws TypeError when the dtype is not T's.
  template <class T>
  std::span<const T> view() const {
    if (dtype_ != dtypeOf<T>()) throw TypeError("typed array of another dtype");
    return {static_cast<const T*>(data_), size()};
  }
  /// Element i converted to double, whatever the dtype.
  double at(std::size_t i) const;

  /// The same array marked to travel as plotly's typed-array record {"dtype", "bdata",
  /// "shape"?} wherever it stands. plotly.js decodes such a record wherever it expects a data
  /// array, control payloads included, where plotly.py would write the array out as a list
  /// of numbers. Copies stay cheap: the bytes are shared.
  TypedArray asRecord() const;
  bool isRecord() const { return record_; }

  bool operator==(const TypedArray& other) const;

 private:
  DType dtype_;
  const void* data_;
  Shape shape_;
  std::shared_ptr<const void> owner_;
  bool record_ = false;
};

/// Strings packed back to back in one buffer, shared rather than copied: a tooltip's text,
/// one string per mark, costs no allocation per string. Written as a JSON list of strings.
class TextArray {
 public:
  /// No strings.
  TextArray();
  /// The strings' bytes back to back and where each one ends; ValueError unless the ends
  /// rise and the last is the end of `chars`.
  TextArray(std::string chars, std::vector<std::size_t> ends);
  /// The same strings read row by row as a matrix of `columns` columns (a tooltip's
  /// string customdata); ValueError unless they fill whole rows.
  TextArray(std::string chars, std::vector<std::size_t> ends, std::size_t columns);

  /// Number of strings.
  std::size_t size() const { return data_->ends.size(); }
  /// Columns of a matrix; 0 for a plain list.
  std::size_t columns() const { return columns_; }
  /// String i; IndexError past the end.
  std::string_view operator[](std::size_t i) const;
  bool operator==(const TextArray& other) const;

 private:
  struct Data {
    std::string chars;
    std::vector<std::size_t> ends;
  };
  std::shared_ptr<const Data> data_;
  std::size_t columns_ = 0;
};

class Value;
using Array = std::vector<Value>;

/// An object that keeps its keys in insertion order (plotly output is read by people).
class Object {
 public:
  using Entry = std::pair<std::string, Value>;

  Object() = default;
  Object(std::initializer_list<Entry> entries);

  const Value* find(std::string_view key) const;
  Value* find(std::string_view key);
  bool contains(std::string_view key) const { return find(key) != nullptr; }
  /// The value under key; throws KeyError when absent.
  const Value& at(std::string_view key) const;
  Value& at(std::string_view key);
  /// The value under key, appended as null when absent.
  Value& operator[](std::string_view key);
  /// Sets key, keeping its place when it exists, appending it otherwise.
  Value& set(std::string_view key, Value value);
  bool erase(std::string_view key);

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }
  auto begin() { return entries_.begin(); }
  auto end() { return entries_.end(); }

  bool operator==(const Object& other) const;

 private:
  std::vector<Entry> entries_;
};

/// One node of the tree. Integers and doubles are kept apart because plotly
/// and its readers distinguish 3 from 3.0.
class Value {
 public:
  using Storage =
      std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string, Array, Object, TypedArray,
                   TextArray>;

  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool b) : v_(b) {}
  Value(int i) : v_(std::int64_t{i}) {}
  Value(long i) : v_(std::int64_t{i}) {}
  Value(long long i) : v_(std::int64_t{i}) {}
  Value(unsigned i) : v_(std::int64_t{i}) {}
  /// Unsigned values past the int64 range keep their exact value (plotly writes them exactly).
  Value(unsigned long i) {
    if (i > static_cast<unsigned long>(INT64_MAX)) v_ = static_cast<std::uint64_t>(i);
    else v_ = static_cast<std::int64_t>(i);
  }
  Value(double d) : v_(d) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(Array a) : v_(std::move(a)) {}
  Value(Object o) : v_(std::move(o)) {}
  Value(TypedArray t) : v_(std::move(t)) {}
  Value(TextArray t) : v_(std::move(t)) {}

  bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
  bool isBool() const { return std::holds_alternative<bool>(v_); }
  bool isInt() const { return std::holds_alternative<std::int64_t>(v_); }
  bool isDouble() const { return std::holds_alternative<double>(v_); }
  bool isNumber() const { return isInt() || isDouble() || std::holds_alternative<std::uint64_t>(v_); }
  bool isString() const { return std::holds_alternative<std::string>(v_); }
  bool isArray() const { return std::holds_alternative<Array>(v_); }
  bool isObject() const { return std::holds_alternative<Object>(v_); }
  bool isTyped() const { return std::holds_alternative<TypedArray>(v_); }
  /// An array of any kind (a list or a typed array) with at least one dimension.
  bool isSequence() const { return isArray() || isTyped(); }

  // Checked accessors: a wrong kind throws TypeError.
  bool asBool() const;
  std::int64_t asInt() const;
  double asDouble() const;  // ints widen
  const std::string& asString() const;
  const Array& asArray() const;
  Array& asArray();
  const Object& asObject() const;
  Object& asObject();
  const TypedArray& asTyped() const;

  /// Number of elements of a list, rows of a text array, or the first dimension of a typed array;
  /// 0 otherwise.
  std::size_t length() const;
  /// Truth as plotly's readers take it: null, false, 0, "" and empty containers are false.
  bool truthy() const;

  const Storage& storage() const { return v_; }
  bool operator==(const Value& other) const { return v_ == other.v_; }

 private:
  Storage v_;
};

/// The member `key` of `value` when it is an object holding it; nullptr otherwise.
const Value* member(const Value& value, std::string_view key);
/// True when `value` is an object whose member `key` is the boolean b ("exactly false").
bool memberIs(const Value& value, std::string_view key, bool b);
/// A scalar's text: strings as they are, numbers in their shortest form, booleans as
/// "true"/"false", null as "". Containers throw TypeError.
std::string toText(const Value& value);
/// A member's text, or "" when it is absent or not a string.
std::string memberText(const Value& value, std::string_view key);

/// The object under `key` in `obj`, created (or replaced when it is not an object) on demand.
Object& child(Object& obj, std::string_view key);

}  // namespace tess::figure
