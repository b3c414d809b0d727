// The value tree's checked accessors and ordered-object operations.
#include "figure/value.hpp"

#include "errors.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tess::figure {

std::string_view dtypeCode(DType dtype) {
  switch (dtype) {
    case DType::I1: return "i1";
    case DType::U1: return "u1";
    case DType::I2: return "i2";
    case DType::U2: return "u2";
    case DType::I4: return "i4";
    case DType::U4: return "u4";
    case DType::F4: return "f4";
    case DType::F8: return "f8";
  }
  throw ValueError("unknown dtype");
}

std::size_t dtypeSize(DType dtype) {
  switch (dtype) {
    case DType::I1:
    case DType::U1: return 1;
    case DType::I2:
    case DType::U2: return 2;
    case DType::I4:
    case DType::U4:
    case DType::F4: return 4;
    case DType::F8: return 8;
  }
  throw ValueError("unknown dtype");
}

TypedArray::TypedArray(DType dtype, const void* data, Shape shape, std::shared_ptr<const void> owner)
    : dtype_(dtype), data_(data), shape_(std::move(shape)), owner_(std::move(owner)) {
  if (shape_.empty() || shape_.size() > 3)
    throw ValueError("a typed array has one to three dimensions");
  if (data_ == nullptr && size() != 0) throw ValueError("typed array without data");
}

std::size_t TypedArray::size() const {
  std::size_t n = 1;
  for (std::size_t d : shape_) n *= d;
  return n;
}

template <class T>
static double load(const void* data, std::size_t i) {
  T v;
  std::memcpy(&v, static_cast<const std::byte*>(data) + i * sizeof(T), sizeof(T));
  return static_cast<double>(v);
}

double TypedArray::at(std::size_t i) const {
  if (i >= size()) throw IndexError("typed array index out of range");
  switch (dtype_) {
    case DType::I1: return load<std::int8_t>(data_, i);
    case DType::U1: return load<std::uint8_t>(data_, i);
    case DType::I2: return load<std::int16_t>(data_, i);
    case DType::U2: return load<std::uint16_t>(data_, i);
    case DType::I4: return load<std::int32_t>(data_, i);
    case DType::U4: return load<std::uint32_t>(data_, i);
    case DType::F4: return load<float>(data_, i);
    case DType::F8: return load<double>(data_, i);
  }
  throw ValueError("unknown dtype");
}

TypedArray TypedArray::asRecord() const {
  TypedArray out = *this;
  out.record_ = true;
  return out;
}

bool TypedArray::operator==(const TypedArray& other) const {
  return dtype_ == other.dtype_ && shape_ == other.shape_ &&
         (bytes() == 0 || std::memcmp(data_, other.data_, bytes()) == 0);
}

TextArray::TextArray() : data_(std::make_shared<const Data>()) {}

TextArray::TextArray(std::string chars, std::vector<std::size_t> ends) {
  if (!std::is_sorted(ends.begin(), ends.end()) || (ends.empty() ? !chars.empty() : ends.back() != chars.size()))
    throw ValueError("text array ends must rise to the end of its characters");
  data_ = std::make_shared<const Data>(Data{std::move(chars), std::move(ends)});
}

TextArray::TextArray(std::string chars, std::vector<std::size_t> ends, std::size_t columns)
    : TextArray(std::move(chars), std::move(ends)) {
  if (columns == 0 || size() % columns != 0)
    throw ValueError(std::to_string(size()) + " strings do not fill rows of " + std::to_string(columns));
  columns_ = columns;
}

std::string_view TextArray::operator[](std::size_t i) const {
  if (i >= size()) throw IndexError("text array index out of range");
  std::size_t begin = i == 0 ? 0 : data_->ends[i - 1];
  return std::string_view(data_->chars).substr(begin, data_->ends[i] - begin);
}

bool TextArray::operator==(const TextArray& other) const {
  return columns_ == other.columns_ && data_->ends == other.data_->ends && data_->chars == other.data_->chars;
}

Object::Object(std::initializer_list<Entry> entries) {
  for (const auto& [key, value] : entries) set(key, value);
}

const Value* Object::find(std::string_view key) const {
  for (const auto& entry : entries_)
    if (entry.first == key) return &entry.second;
  return nullptr;
}

Value* Object::find(std::string_view key) {
  return const_cast<Value*>(static_cast<const Object*>(this)->find(key));
}

const Value& Object::at(std::string_view key) const {
  if (const Value* v = find(key)) return *v;
  throw KeyError(std::string(key));
}

Value& Object::at(std::string_view key) {
  return const_cast<Value&>(static_cast<const Object*>(this)->at(key));
}

Value& Object::operator[](std::string_view key) {
  if (Value* v = find(key)) return *v;
  return entries_.emplace_back(std::string(key), Value()).second;
}

Value& Object::set(std::string_view key, Value value) { return (*this)[key] = std::move(value); }

bool Object::erase(std::string_view key) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first == key) {
      entries_.erase(it);
      return true;
    }
  }
  return false;
}

bool Object::operator==(const Object& other) const { return entries_ == other.entries_; }

template <class T>
static const T& expect(const Value::Storage& v, const char* what) {
  if (const T* p = std::get_if<T>(&v)) return *p;
  throw TypeError(std::string("expected ") + what);
}

bool Value::asBool() const { return expect<bool>(v_, "a boolean"); }
std::int64_t Value::asInt() const { return expect<std::int64_t>(v_, "an integer"); }
double Value::asDouble() const {
  if (const auto* i = std::get_if<std::int64_t>(&v_)) return static_cast<double>(*i);
  if (const auto* u = std::get_if<std::uint64_t>(&v_)) return static_cast<double>(*u);
  return expect<double>(v_, "a number");
}
const std::string& Value::asString() const { return expect<std::string>(v_, "a string"); }
const Array& Value::asArray() const { return expect<Array>(v_, "an array"); }
Array& Value::asArray() { return const_cast<Array&>(expect<Array>(v_, "an array")); }
const Object& Value::asObject() const { return expect<Object>(v_, "an object"); }
Object& Value::asObject() { return const_cast<Object&>(expect<Object>(v_, "an object")); }
const TypedArray& Value::asTyped() const { return expect<TypedArray>(v_, "a typed array"); }

std::size_t Value::length() const {
  if (const auto* a = std::get_if<Array>(&v_)) return a->size();
  if (const auto* t = std::get_if<TypedArray>(&v_)) return t->shape().front();
  if (const auto* t = std::get_if<TextArray>(&v_)) return t->columns() ? t->size() / t->columns() : t->size();
  return 0;
}

bool Value::truthy() const {
  return std::visit(
      [](const auto& x) -> bool {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>) return false;
        else if constexpr (std::is_same_v<T, bool>) return x;
        else if constexpr (std::is_arithmetic_v<T>) return x != 0;
        else if constexpr (std::is_same_v<T, TypedArray> || std::is_same_v<T, TextArray>) return x.size() != 0;
        else return !x.empty();
      },
      v_);
}

std::string toText(const Value& value) {
  if (value.isString()) return value.asString();
  if (value.isNull()) return "";
  if (value.isBool()) return value.asBool() ? "true" : "false";
  if (value.isInt()) return std::to_string(value.asInt());
  if (const auto* u = std::get_if<std::uint64_t>(&value.storage())) return std::to_string(*u);
  if (value.isDouble()) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value.asDouble());
    return std::string(buf, end);
  }
  throw TypeError("a container has no text form");
}

const Value* member(const Value& value, std::string_view key) {
  return value.isObject() ? value.asObject().find(key) : nullptr;
}

bool memberIs(const Value& value, std::string_view key, bool b) {
  const Value* m = member(value, key);
  return m && m->isBool() && m->asBool() == b;
}

std::string memberText(const Value& value, std::string_view key) {
  const Value* m = member(value, key);
  return m && m->isString() ? m->asString() : "";
}

Object& child(Object& obj, std::string_view key) {
  Value& v = obj[key];
  if (!v.isObject()) v = Object{};
  return v.asObject();
}

}  // namespace tess::figure
