// Value-tree conversions; numeric arrays cross in both directions without copies.
#include "convert/value.hpp"

#include "figure/json.hpp"

#include <nanobind/ndarray.h>
#include <nanobind/stl/string.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <tuple>
#include <optional>
#include <unordered_map>

#include "errors.hpp"

namespace tess::bind {

using namespace nb::literals;

using figure::Array;
using figure::DType;
using figure::Object;
using figure::TextArray;
using figure::TypedArray;
using figure::Value;

namespace {

nb::dlpack::dtype dlpackOf(DType dtype) {
  switch (dtype) {
    case DType::I1: return nb::dtype<std::int8_t>();
    case DType::U1: return nb::dtype<std::uint8_t>();
    case DType::I2: return nb::dtype<std::int16_t>();
    case DType::U2: return nb::dtype<std::uint16_t>();
    case DType::I4: return nb::dtype<std::int32_t>();
    case DType::U4: return nb::dtype<std::uint32_t>();
    case DType::F4: return nb::dtype<float>();
    case DType::F8: return nb::dtype<double>();
  }
  throw ValueError("unknown dtype");
}

// The dtype plotly.js reads for a numpy dtype, if any.
std::optional<DType> dtypeFrom(nb::dlpack::dtype d) {
  using Code = nb::dlpack::dtype_code;
  if (d.lanes != 1) return std::nullopt;
  if (d.code == static_cast<uint8_t>(Code::Float)) {
    if (d.bits == 32) return DType::F4;
    if (d.bits == 64) return DType::F8;
  } else if (d.code == static_cast<uint8_t>(Code::Int)) {
    if (d.bits == 8) return DType::I1;
    if (d.bits == 16) return DType::I2;
    if (d.bits == 32) return DType::I4;
  } else if (d.code == static_cast<uint8_t>(Code::UInt)) {
    if (d.bits == 8) return DType::U1;
    if (d.bits == 16) return DType::U2;
    if (d.bits == 32) return DType::U4;
  }
  return std::nullopt;
}

using HostArray = nb::ndarray<nb::ro, nb::c_contig, nb::device::cpu>;

// Shares a host buffer: the deleter drops the Python reference under the GIL.
TypedArray borrow(const HostArray& array, DType dtype) {
  TypedArray::Shape shape(array.ndim());
  for (std::size_t i = 0; i < shape.size(); ++i) shape[i] = array.shape(i);
  auto* keep = new HostArray(array);
  std::shared_ptr<const void> owner(keep, [](const HostArray* held) {
    nb::gil_scoped_acquire gil;
    delete held;
  });
  return TypedArray(dtype, array.data(), std::move(shape), std::move(owner));
}

// int64 and uint64 narrow to the smallest type that holds every value, as plotly does.
template <class Wide>
std::optional<TypedArray> narrowed(const HostArray& array) {
  const auto* data = static_cast<const Wide*>(array.data());
  std::size_t n = array.size();
  if (n == 0) return std::nullopt;
  Wide lo = data[0], hi = data[0];
  for (std::size_t i = 1; i < n; ++i) {
    lo = std::min(lo, data[i]);
    hi = std::max(hi, data[i]);
  }
  TypedArray::Shape shape(array.ndim());
  for (std::size_t i = 0; i < shape.size(); ++i) shape[i] = array.shape(i);
  auto fits = [&]<class T>(T) {
    return static_cast<long double>(lo) >= std::numeric_limits<T>::min() &&
           static_cast<long double>(hi) <= std::numeric_limits<T>::max();
  };
  auto cast = [&]<class T>(T) { return TypedArray::of(std::vector<T>(data, data + n), shape); };
  if constexpr (std::is_signed_v<Wide>) {
    if (fits(std::int8_t{})) return cast(std::int8_t{});
    if (fits(std::int16_t{})) return cast(std::int16_t{});
    if (fits(std::int32_t{})) return cast(std::int32_t{});
  } else {
    if (fits(std::uint8_t{})) return cast(std::uint8_t{});
    if (fits(std::uint16_t{})) return cast(std::uint16_t{});
    if (fits(std::uint32_t{})) return cast(std::uint32_t{});
  }
  return std::nullopt;
}

Value listFrom(nb::handle sequence);

Value fromNumpy(nb::handle object) {
  nb::object dtypeKind = object.attr("dtype").attr("kind");
  std::string kind = nb::cast<std::string>(dtypeKind);
  if (kind == "f" || kind == "i" || kind == "u") {
    HostArray array = nb::cast<HostArray>(object);  // a contiguous copy only if it was strided
    if (array.ndim() >= 1 && array.ndim() <= 3 && array.size() > 0) {
      if (auto dtype = dtypeFrom(array.dtype())) return borrow(array, *dtype);
      if (array.dtype() == nb::dtype<std::int64_t>())
        if (auto t = narrowed<std::int64_t>(array)) return *t;
      if (array.dtype() == nb::dtype<std::uint64_t>())
        if (auto t = narrowed<std::uint64_t>(array)) return *t;
    }
  }
  // Everything plotly writes as a plain list (bool, float16, objects, dates, wide ints).
  if (kind == "M" || kind == "m") return listFrom(object.attr("astype")("str").attr("tolist")());
  return listFrom(object.attr("tolist")());
}

Value listFrom(nb::handle sequence) {
  Array out;
  for (nb::handle item : sequence) out.push_back(fromPython(item));
  return out;
}

bool isNumpyArray(nb::handle object) {
  return nb::hasattr(object, "__array_interface__") && nb::hasattr(object, "dtype") &&
         nb::hasattr(object, "ndim") && !nb::isinstance<nb::str>(object);
}

Value fromFloat(double d) { return Value(d); }

// A str's UTF-8; a lone surrogate raises UnicodeEncodeError (a ValueError).
std::string utf8(nb::handle text) {
  Py_ssize_t size = 0;
  const char* bytes = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
  if (!bytes) throw nb::python_error();
  return std::string(bytes, static_cast<std::size_t>(size));
}

// From this many strings on, a list of strings (a tooltip text column) crosses as a frozen
// object array: plotly.py deep-copies lists element by element on every figure operation.
constexpr std::size_t kSharedStrings = 256;

bool allStrings(const Array& values) {
  return std::all_of(values.begin(), values.end(), [](const Value& v) { return v.isString(); });
}


// Strings as a read-only numpy object array. Repeated values share one Python object, so
// a column of a few distinct values costs a reference per row, not a string per row.
template <class Text>
nb::object frozenStrings(std::size_t n, Text text, nb::object shape = nb::object()) {
  std::unordered_map<std::string_view, nb::object> shared;
  nb::list items = nb::steal<nb::list>(PyList_New(static_cast<Py_ssize_t>(n)));
  if (!items.is_valid()) throw nb::python_error();
  for (std::size_t i = 0; i < n; ++i) {
    std::string_view s = text(i);
    auto found = shared.find(s);
    if (found == shared.end()) found = shared.emplace(s, nb::str(s.data(), s.size())).first;
    PyList_SET_ITEM(items.ptr(), static_cast<Py_ssize_t>(i), found->second.inc_ref().ptr());
  }
  return frozenObjects(items, shape.is_valid() ? shape : nb::make_tuple(n));
}

}  // namespace

nb::handle frozenArrayType() {
  // Held for the life of the process: a static nb::object would be released after the interpreter.
  static nb::handle frozen = [] {
    nb::object cls = nb::module_::import_("tessarine.pl._interactive._arrays").attr("FrozenArray");
    return cls.release();
  }();
  return frozen;
}

nb::object frozenObjects(nb::list items, nb::handle shape) {
  nb::module_ np = nb::module_::import_("numpy");
  nb::object array = np.attr("array")(items, "dtype"_a = "object").attr("reshape")(shape);
  array.attr("setflags")("write"_a = false);
  return array.attr("view")(frozenArrayType());
}

nb::object toNumpy(const TextArray& texts) {
  std::size_t columns = texts.columns();
  nb::object shape = columns ? nb::object(nb::make_tuple(texts.size() / columns, columns)) : nb::object();
  return frozenStrings(texts.size(), [&](std::size_t i) { return texts[i]; }, shape);
}

nb::object toNumpy(const TypedArray& array) {
  auto* keep = new std::shared_ptr<const void>(array.owner());
  nb::capsule owner(keep, [](void* p) noexcept { delete static_cast<std::shared_ptr<const void>*>(p); });
  const auto& shape = array.shape();
  nb::ndarray<nb::numpy, nb::ro> out(const_cast<std::byte*>(array.data()), shape.size(), shape.data(), owner,
                                     nullptr, dlpackOf(array.dtype()));
  return out.cast().attr("view")(frozenArrayType());
}

// Records already converted in this hand-over, by their bytes: one array shown by several
// control states crosses once and is shared.
// Keyed by everything a record says: the same bytes read as another type or shape differ.
using RecordKey = std::tuple<const void*, figure::DType, TypedArray::Shape>;
using Records = std::map<RecordKey, nb::dict>;
thread_local Records* convertedRecords = nullptr;

// A typed array marked as a record: plotly's {"dtype", "bdata", "shape"?}, the base64
// written straight into the Python string.
nb::dict typedRecord(const TypedArray& array) {
  if (convertedRecords)
    if (auto found = convertedRecords->find({array.data(), array.dtype(), array.shape()});
        found != convertedRecords->end())
      return found->second;
  std::size_t length = figure::base64Size(array.bytes());
  nb::object bdata = nb::steal(PyUnicode_New(static_cast<Py_ssize_t>(length), 127));
  if (!bdata.is_valid()) throw nb::python_error();
  figure::base64To(reinterpret_cast<char*>(PyUnicode_1BYTE_DATA(bdata.ptr())), array.data(), array.bytes());
  nb::dict out;
  std::string_view dtype = figure::dtypeCode(array.dtype());
  out["dtype"] = nb::str(dtype.data(), dtype.size());
  out["bdata"] = bdata;
  if (array.ndim() > 1) out["shape"] = nb::str(figure::shapeText(array.shape()).c_str());
  if (convertedRecords && array.bytes() > 0) convertedRecords->emplace(RecordKey{array.data(), array.dtype(), array.shape()}, out);
  return out;
}

nb::object toPython(const Value& value) {
  return std::visit(
      [](const auto& x) -> nb::object {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>) return nb::none();
        else if constexpr (std::is_same_v<T, bool>) return nb::bool_(x);
        else if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, std::uint64_t>) return nb::int_(x);
        else if constexpr (std::is_same_v<T, double>) return nb::float_(x);
        else if constexpr (std::is_same_v<T, std::string>) return nb::str(x.data(), x.size());
        else if constexpr (std::is_same_v<T, Array>) {
          if (x.size() >= kSharedStrings && allStrings(x))
            return frozenStrings(x.size(), [&](std::size_t i) { return std::string_view(x[i].asString()); });
          nb::list out;
          for (const Value& item : x) out.append(toPython(item));
          return out;
        } else if constexpr (std::is_same_v<T, Object>) return toPython(x);
        else if constexpr (std::is_same_v<T, TypedArray>) return x.isRecord() ? nb::object(typedRecord(x)) : toNumpy(x);
        else return toNumpy(x);  // text arrays
      },
      value.storage());
}

nb::dict toPython(const Object& object) {
  nb::dict out;
  for (const auto& [key, item] : object) out[nb::str(key.data(), key.size())] = toPython(item);
  return out;
}

// Figures nest a few levels deep; a deeper structure (or one that contains itself) is
// refused before it could exhaust the C++ stack.
constexpr int kMaxDepth = 256;

struct DepthGuard {
  static inline thread_local int depth = 0;
  DepthGuard() {
    if (++depth > kMaxDepth) {
      --depth;
      throw ValueError("a figure value nests deeper than " + std::to_string(kMaxDepth) + " levels");
    }
  }
  ~DepthGuard() { --depth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
};

Value fromPython(nb::handle object) {
  DepthGuard guard;
  if (object.is_none()) return Value();
  if (nb::isinstance<nb::bool_>(object)) return Value(nb::cast<bool>(object));
  if (nb::isinstance<nb::int_>(object)) {
    // Python ints are unbounded: up to uint64 they stay exact, beyond it they travel as doubles.
    std::int64_t signedValue = 0;
    if (nb::try_cast(object, signedValue)) return Value(signedValue);
    unsigned long unsignedValue = 0;
    if (nb::try_cast(object, unsignedValue)) return Value(unsignedValue);
    return Value(nb::cast<double>(nb::float_(object)));
  }
  if (nb::isinstance<nb::float_>(object)) return fromFloat(nb::cast<double>(object));
  if (nb::isinstance<nb::str>(object)) return Value(utf8(object));
  if (nb::isinstance<nb::dict>(object) || nb::hasattr(object, "keys")) {
    Object out;
    nb::object items = object.attr("items")();
    for (nb::handle pair : items) {
      nb::handle key = pair[0];
      if (!nb::isinstance<nb::str>(key)) throw TypeError("figure keys must be strings");
      out.set(utf8(key), fromPython(pair[1]));
    }
    return out;
  }
  if (isNumpyArray(object)) {
    if (nb::cast<int>(object.attr("ndim")) == 0) return fromPython(object.attr("item")());
    return fromNumpy(object);
  }
  if (nb::hasattr(object, "to_plotly_json")) return fromPython(object.attr("to_plotly_json")());
  if (nb::isinstance<nb::list>(object) || nb::isinstance<nb::tuple>(object)) return listFrom(object);
  // numpy scalars and other numbers.
  if (nb::hasattr(object, "__float__") && nb::hasattr(object, "dtype")) {
    std::string kind = nb::cast<std::string>(object.attr("dtype").attr("kind"));
    if (kind == "b") return Value(nb::cast<bool>(nb::bool_(object)));
    if (kind == "i" || kind == "u") return fromPython(nb::int_(object));
    return fromFloat(nb::cast<double>(nb::float_(object)));
  }
  if (nb::hasattr(object, "__iter__") && !nb::isinstance<nb::bytes>(object)) return listFrom(object);
  throw TypeError(std::string("cannot put a ") + nb::type_name(object.type()).c_str() + " into a figure");
}

figure::Figure figureFromPython(nb::handle host) {
  figure::Figure out;
  nb::object data = nb::hasattr(host, "data") ? host.attr("data") : nb::borrow(host["data"]);
  nb::object layout = nb::hasattr(host, "layout") ? host.attr("layout") : nb::borrow(host["layout"]);
  for (nb::handle trace : data) {
    Value converted = fromPython(trace);
    if (!converted.isObject()) throw TypeError("a trace must be a mapping");
    out.data.push_back(std::move(converted));
  }
  Value converted = fromPython(layout);
  if (!converted.isObject()) throw TypeError("a layout must be a mapping");
  out.layout = std::move(converted.asObject());
  return out;
}

nb::object toPlotly(const figure::Figure& figure) {
  nb::module_ figures = nb::module_::import_("tessarine.pl._interactive._figure");
  Records records;
  struct Scope {
    explicit Scope(Records* r) { convertedRecords = r; }
    ~Scope() { convertedRecords = nullptr; }
  } scope(&records);
  nb::list data;
  for (const Value& trace : figure.data) data.append(toPython(trace));
  nb::dict layout = toPython(figure.layout);
  // The core builds valid figures (the tests hold every one of them to plotly's
  // validators), so the host does not pay for a second validation of every array.
  nb::dict kwargs;
  kwargs["data"] = data;
  kwargs["layout"] = layout;
  kwargs["_validate"] = false;
  return figures.attr("Figure")(**kwargs);
}

}  // namespace tess::bind
