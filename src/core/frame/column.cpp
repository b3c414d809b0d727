// Column construction, text forms, missing values, distinct values and reindexing.
#include "frame/column.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "frame/format.hpp"

namespace tess::frame {

namespace {

template <class T>
constexpr bool isFloatType = std::is_floating_point_v<T> || std::is_same_v<T, Half>;

template <class T>
double toDouble(T v) {
  if constexpr (std::is_same_v<T, Half>) return halfToDouble(v);
  else return static_cast<double>(v);
}

template <class T>
std::string numberText(T v) {
  if constexpr (std::is_same_v<T, bool>) return formatBool(v);
  else if constexpr (std::is_same_v<T, Half>) return formatHalf(v);
  else if constexpr (std::is_same_v<T, float>) return formatFloat(v);
  else if constexpr (std::is_same_v<T, double>) return formatDouble(v);
  else if constexpr (std::is_signed_v<T>) return formatInt(v);
  else return formatUInt(v);
}

template <class T>
T absentValue() {
  if constexpr (std::is_same_v<T, Half>) return Half{0x7e00};
  else if constexpr (std::is_floating_point_v<T>) return std::numeric_limits<T>::quiet_NaN();
  else return T{};
}

template <class T>
bool isNan(T v) {
  if constexpr (isFloatType<T>) return std::isnan(toDouble(v));
  else return false;
}

// Keys of numbers that compare equal in Python (1 == 1.0 == True) coincide.
const std::string MISSING_KEY(1, '\0');

std::string doubleKey(double x) {
  if (std::isnan(x)) return MISSING_KEY;
  if (x == 0) return "i0";
  if (std::isfinite(x) && std::trunc(x) == x) {
    // An integral double as its exact digits, to meet integers of any size (2.0**64 == 2**64).
    char buf[320];
    char* end = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 0).ptr;
    return "i" + std::string(buf, end);
  }
  return "f" + formatDouble(x);
}

template <class T>
std::string numberKey(T v) {
  if constexpr (std::is_same_v<T, bool>) return v ? "i1" : "i0";
  else if constexpr (isFloatType<T>) return doubleKey(toDouble(v));
  else if constexpr (std::is_signed_v<T>) return "i" + formatInt(v);
  else return "i" + formatUInt(v);
}

// Each row's key coded in order of first appearance, missing rows (nullopt) counting as one
// key; nullopt past `limit` keys.
template <class Key, class KeyOf>
std::optional<Factors> factorsOf(std::size_t n, std::size_t limit, KeyOf keyOf) {
  Factors out;
  out.codes.resize(n);
  std::unordered_map<Key, std::uint32_t> seen;
  std::optional<std::uint32_t> missingCode;
  for (std::size_t i = 0; i < n; ++i) {
    std::optional<Key> key = keyOf(i);
    auto next = static_cast<std::uint32_t>(out.firstRows.size());
    std::uint32_t code = next;
    if (!key) code = missingCode.value_or(next), missingCode = code;
    else code = seen.try_emplace(*key, next).first->second;
    if (code == next) {
      if (out.firstRows.size() == limit) return std::nullopt;
      out.firstRows.push_back(i);
    }
    out.codes[i] = code;
  }
  return out;
}

void checkMask(const Buffer& missing, std::size_t n) {
  if (missing.empty()) return;
  if (missing.type() != Scalar::Bool) throw TypeError("a missing mask must be boolean");
  if (missing.size() != n) throw ValueError("a missing mask must have one entry per row");
}

}  // namespace

std::string_view kindName(Kind kind) {
  switch (kind) {
    case Kind::Bool: return "bool";
    case Kind::Int: return "int";
    case Kind::Float: return "float";
    case Kind::NullableInt: return "nullable int";
    case Kind::NullableBool: return "nullable bool";
    case Kind::NullableFloat: return "nullable float";
    case Kind::Text: return "text";
    case Kind::Categorical: return "categorical";
    case Kind::Object: return "object";
  }
  throw ValueError("unknown column kind");
}

Column::Column() = default;

Column Column::numbers(Buffer values) {
  Column c;
  c.kind_ = values.type() == Scalar::Bool ? Kind::Bool : isFloat(values.type()) ? Kind::Float : Kind::Int;
  c.size_ = values.size();
  c.values_ = std::move(values);
  return c;
}

Column Column::nullable(Buffer values, Buffer missing) {
  if (missing.size() != values.size()) throw ValueError("a missing mask must have one entry per row");
  checkMask(missing, values.size());
  Column c;
  c.kind_ = values.type() == Scalar::Bool ? Kind::NullableBool
            : isFloat(values.type())     ? Kind::NullableFloat
                                         : Kind::NullableInt;
  c.size_ = values.size();
  c.values_ = std::move(values);
  c.missing_ = std::move(missing);
  c.absentText_ = "<NA>";
  return c;
}

Column Column::text(Strings values, Buffer missing, std::string absentText) {
  checkMask(missing, values.size());
  Column c;
  c.kind_ = Kind::Text;
  c.size_ = values.size();
  c.strings_ = std::make_shared<const Strings>(std::move(values));
  c.missing_ = std::move(missing);
  c.absentText_ = std::move(absentText);
  return c;
}

Column Column::strings(const std::vector<std::optional<std::string>>& values, std::string missingText) {
  Strings texts;
  std::vector<std::uint8_t> missing(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    texts.push(values[i] ? *values[i] : missingText);
    missing[i] = !values[i];
  }
  return text(std::move(texts), Buffer::bools(std::move(missing)), std::move(missingText));
}

Column Column::categorical(Buffer codes, Column categories) {
  if (!isInteger(codes.type())) throw TypeError("categorical codes must be integers");
  auto count = static_cast<double>(categories.size());
  visit(codes, [count](auto values) {
    for (auto code : values)
      if (toDouble(code) < -1 || toDouble(code) >= count) throw ValueError("categorical code out of range");
  });
  Column c;
  c.kind_ = Kind::Categorical;
  c.size_ = codes.size();
  c.values_ = std::move(codes);
  c.categories_ = std::make_shared<const Column>(std::move(categories));
  return c;
}

Column Column::objects(Strings texts, Buffer missing, std::vector<Tag> tags, std::string absentText) {
  checkMask(missing, texts.size());
  if (tags.empty()) tags.assign(texts.size(), Tag::Other);
  if (tags.size() != texts.size()) throw ValueError("object tags must have one entry per row");
  Column c;
  c.kind_ = Kind::Object;
  c.size_ = texts.size();
  c.strings_ = std::make_shared<const Strings>(std::move(texts));
  c.missing_ = std::move(missing);
  c.tags_ = std::make_shared<const std::vector<Tag>>(std::move(tags));
  c.absentText_ = std::move(absentText);
  return c;
}

Column Column::range(std::size_t n) {
  std::vector<std::int64_t> labels(n);
  std::iota(labels.begin(), labels.end(), std::int64_t{0});
  return numbers(Buffer::of(std::move(labels)));
}

bool Column::isNumeric() const {
  switch (kind_) {
    case Kind::Bool:
    case Kind::Int:
    case Kind::Float:
    case Kind::NullableInt:
    case Kind::NullableBool:
    case Kind::NullableFloat: return true;
    default: return false;
  }
}

bool Column::isMissing(std::size_t row) const {
  if (row >= size_) throw IndexError("row " + std::to_string(row) + " out of range for " + std::to_string(size_));
  switch (kind_) {
    case Kind::Bool:
    case Kind::Int: return false;
    case Kind::Float:
    case Kind::NullableFloat:
      if (std::isnan(values_.at(row))) return true;
      break;
    case Kind::Categorical: return values_.at(row) < 0;
    default: break;
  }
  return !missing_.empty() && missing_.view<bool>()[row];
}

std::span<const bool> Column::missingMask() const {
  if (missing_.empty()) return {};
  return missing_.view<bool>();
}

std::string Column::typeName() const {
  if (!typeName_.empty()) return typeName_;
  std::string scalar(scalarName(values_.type()));
  switch (kind_) {
    case Kind::Bool:
    case Kind::Int:
    case Kind::Float: return scalar;
    case Kind::NullableBool: return "boolean";
    case Kind::NullableInt:
    case Kind::NullableFloat:
      // pandas capitalises its masked types: Int8, UInt64, Float32.
      scalar[0] = static_cast<char>(std::toupper(scalar[0]));
      if (scalar[0] == 'U') scalar[1] = 'I';
      return scalar;
    case Kind::Text: return "str";
    case Kind::Categorical: return "category";
    case Kind::Object: return "object";
  }
  throw ValueError("unknown column kind");
}

std::string Column::text(std::size_t row) const {
  if (row >= size_) throw IndexError("row " + std::to_string(row) + " out of range for " + std::to_string(size_));
  switch (kind_) {
    case Kind::Text:
    case Kind::Object: return std::string((*strings_)[row]);
    case Kind::Categorical: {
      auto code = static_cast<std::int64_t>(values_.at(row));
      return code < 0 ? absentText_ : categories_->text(static_cast<std::size_t>(code));
    }
    case Kind::NullableInt:
    case Kind::NullableBool:
    case Kind::NullableFloat:
      if (missing_.view<bool>()[row]) return absentText_;
      break;
    default: break;
  }
  return visit(values_, [row](auto values) { return numberText(values[row]); });
}

std::string_view Column::stored(std::size_t row) const {
  if (kind_ != Kind::Text && kind_ != Kind::Object)
    throw TypeError("a " + std::string(kindName(kind_)) + " column stores no text");
  if (row >= size_) throw IndexError("row " + std::to_string(row) + " out of range for " + std::to_string(size_));
  return (*strings_)[row];
}

std::vector<std::string> Column::texts() const {
  std::vector<std::string> out;
  out.reserve(size_);
  if (kind_ == Kind::Bool || kind_ == Kind::Int || kind_ == Kind::Float) {
    visit(values_, [&](auto values) {
      for (auto v : values) out.push_back(numberText(v));
    });
  } else if (kind_ == Kind::Categorical) {
    std::vector<std::string> names = categories_->texts();
    visit(values_, [&](auto codes) {
      for (auto code : codes) {
        double c = toDouble(code);
        out.push_back(c < 0 ? absentText_ : names[static_cast<std::size_t>(c)]);
      }
    });
  } else {
    for (std::size_t i = 0; i < size_; ++i) out.push_back(text(i));
  }
  return out;
}

std::vector<double> Column::asDoubles() const {
  if (!isNumeric()) throw TypeError(std::string("a ") + std::string(kindName(kind_)) + " column is not numeric");
  std::vector<double> out(size_);
  visit(values_, [&](auto values) {
    for (std::size_t i = 0; i < size_; ++i) out[i] = toDouble(values[i]);
  });
  if (!missing_.empty()) {
    auto missing = missing_.view<bool>();
    for (std::size_t i = 0; i < size_; ++i)
      if (missing[i]) out[i] = std::numeric_limits<double>::quiet_NaN();
  }
  return out;
}

const Buffer& Column::values() const {
  if (kind_ == Kind::Text || kind_ == Kind::Object)
    throw TypeError(std::string("a ") + std::string(kindName(kind_)) + " column has no numeric values");
  return values_;
}

const Column& Column::categories() const {
  if (kind_ != Kind::Categorical) throw TypeError("only a categorical column has categories");
  return *categories_;
}

Column Column::take(std::span<const std::size_t> positions) const {
  for (std::size_t p : positions)
    if (p >= size_) throw IndexError("row " + std::to_string(p) + " out of range for " + std::to_string(size_));
  Column out = *this;
  out.size_ = positions.size();
  if (kind_ == Kind::Text || kind_ == Kind::Object) {
    out.strings_ = std::make_shared<const Strings>(strings_->take(positions));
    if (tags_) {
      std::vector<Tag> tags(positions.size());
      for (std::size_t i = 0; i < positions.size(); ++i) tags[i] = (*tags_)[positions[i]];
      out.tags_ = std::make_shared<const std::vector<Tag>>(std::move(tags));
    }
  } else {
    out.values_ = values_.take(positions);
  }
  if (!missing_.empty()) out.missing_ = missing_.take(positions);
  return out;
}

Column Column::takeOrAbsent(std::span<const std::int64_t> positions) const {
  bool absent = false;
  for (std::int64_t p : positions) {
    if (p < -1 || p >= static_cast<std::int64_t>(size_))
      throw IndexError("row " + std::to_string(p) + " out of range for " + std::to_string(size_));
    absent = absent || p == -1;
  }
  if (absent) return withAbsent(positions);
  std::vector<std::size_t> rows(positions.begin(), positions.end());
  return take(rows);
}

Column Column::withAbsent(std::span<const std::int64_t> positions) const {
  std::size_t n = positions.size();
  std::vector<std::uint8_t> missing(n);
  for (std::size_t i = 0; i < n; ++i) missing[i] = positions[i] < 0 || (!missing_.empty() && missing_.view<bool>()[static_cast<std::size_t>(positions[i])]);

  switch (kind_) {
    case Kind::Bool: {
      // pandas turns a bool column with holes into an object column of True, False and NaN.
      auto values = values_.view<bool>();
      Strings texts;
      std::vector<Tag> tags(n);
      for (std::size_t i = 0; i < n; ++i) {
        if (positions[i] < 0) {
          texts.push(absentText_);
          tags[i] = Tag::Missing;
        } else {
          texts.push(formatBool(values[static_cast<std::size_t>(positions[i])]));
          tags[i] = Tag::Bool;
        }
      }
      return objects(std::move(texts), Buffer::bools(std::move(missing)), std::move(tags), absentText_);
    }
    case Kind::Int: {
      // ... and an integer column into float64, as numpy has no integer NaN.
      std::vector<double> out(n);
      visit(values_, [&](auto values) {
        for (std::size_t i = 0; i < n; ++i)
          out[i] = positions[i] < 0 ? std::numeric_limits<double>::quiet_NaN()
                                    : toDouble(values[static_cast<std::size_t>(positions[i])]);
      });
      return numbers(Buffer::of(std::move(out)));
    }
    case Kind::Float:
    case Kind::NullableInt:
    case Kind::NullableBool:
    case Kind::NullableFloat:
    case Kind::Categorical: {
      Column out = *this;
      out.size_ = n;
      out.values_ = visit(values_, [&](auto values) -> Buffer {
        using T = typename decltype(values)::value_type;
        // A missing code is -1; a masked value is never read, so any value does.
        T fill = absentValue<T>();
        if constexpr (std::is_signed_v<T>)
          if (kind_ == Kind::Categorical) fill = T{-1};
        if constexpr (std::is_same_v<T, bool>) {
          std::vector<std::uint8_t> taken(n);
          for (std::size_t i = 0; i < n; ++i) taken[i] = positions[i] >= 0 && values[static_cast<std::size_t>(positions[i])];
          return Buffer::bools(std::move(taken));
        } else {
          std::vector<T> taken(n, fill);
          for (std::size_t i = 0; i < n; ++i)
            if (positions[i] >= 0) taken[i] = values[static_cast<std::size_t>(positions[i])];
          return Buffer::of(std::move(taken));
        }
      });
      if (kind_ == Kind::Float || kind_ == Kind::Categorical) out.missing_ = Buffer::bools({});
      else out.missing_ = Buffer::bools(std::move(missing));
      return out;
    }
    case Kind::Text:
    case Kind::Object: {
      Column out = *this;
      out.size_ = n;
      Strings texts;
      std::vector<Tag> tags;
      for (std::size_t i = 0; i < n; ++i) {
        if (positions[i] < 0) texts.push(absentText_);
        else texts.push((*strings_)[static_cast<std::size_t>(positions[i])]);
      }
      out.strings_ = std::make_shared<const Strings>(std::move(texts));
      if (tags_) {
        tags.resize(n, Tag::Missing);
        for (std::size_t i = 0; i < n; ++i)
          if (positions[i] >= 0) tags[i] = (*tags_)[static_cast<std::size_t>(positions[i])];
        out.tags_ = std::make_shared<const std::vector<Tag>>(std::move(tags));
      }
      out.missing_ = Buffer::bools(std::move(missing));
      return out;
    }
  }
  throw ValueError("unknown column kind");
}

std::vector<std::size_t> Column::firstRows() const { return factorize()->firstRows; }

std::optional<Factors> Column::factorize(std::size_t limit) const {
  switch (kind_) {
    case Kind::Text:
      return factorsOf<std::string_view>(size_, limit, [this](std::size_t i) -> std::optional<std::string_view> {
        if (!missing_.empty() && missing_.view<bool>()[i]) return std::nullopt;
        return (*strings_)[i];
      });
    case Kind::Object:
      return factorsOf<std::string>(size_, limit, [this](std::size_t i) -> std::optional<std::string> {
        std::string k = key(i);
        if (k == MISSING_KEY) return std::nullopt;
        return k;
      });
    default: break;
  }
  const bool* missing = missing_.empty() ? nullptr : missing_.view<bool>().data();
  bool categorical = kind_ == Kind::Categorical;
  return visit(values_, [&](auto values) {
    using T = typename decltype(values)::value_type;
    using Key = std::conditional_t<isFloatType<T>, double, T>;
    return factorsOf<Key>(size_, limit, [&](std::size_t i) -> std::optional<Key> {
      if (missing && missing[i]) return std::nullopt;
      if constexpr (isFloatType<T>) {
        double v = toDouble(values[i]);
        if (std::isnan(v)) return std::nullopt;
        return v;  // -0.0 == 0.0 here, and so are their hashes
      } else {
        if constexpr (std::is_signed_v<T>)
          if (categorical && values[i] < 0) return std::nullopt;
        return values[i];
      }
    });
  });
}

std::string Column::key(std::size_t row) const {
  if (isMissing(row)) return MISSING_KEY;
  switch (kind_) {
    case Kind::Text: return "s" + std::string((*strings_)[row]);
    case Kind::Categorical: return categories_->key(static_cast<std::size_t>(values_.at(row)));
    case Kind::Object: {
      std::string_view text = (*strings_)[row];
      switch ((*tags_)[row]) {
        case Tag::Text: return "s" + std::string(text);
        case Tag::Int: return "i" + std::string(text);
        case Tag::Bool: return text == "True" ? "i1" : "i0";
        case Tag::Float: {
          double x = 0;
          auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), x);
          if (ec == std::errc() && end == text.data() + text.size()) return doubleKey(x);
          return "o" + std::string(text);
        }
        case Tag::Missing: return MISSING_KEY;
        case Tag::Other: return "o" + std::string(text);
      }
      return "o" + std::string(text);
    }
    default: return visit(values_, [row](auto values) { return numberKey(values[row]); });
  }
}

}  // namespace tess::frame
