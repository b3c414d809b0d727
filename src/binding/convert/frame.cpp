// pandas columns into core columns. Numbers cross as borrowed buffers; strings and other
// objects are read by C loops over the object array, never by a Python-level loop.
#include "convert/frame.hpp"

#include <nanobind/ndarray.h>
#include <nanobind/stl/string.h>

#include <cmath>
#include <cstring>
#include <string_view>

#include "errors.hpp"
#include "frame/format.hpp"

namespace tess::bind {

using frame::Buffer;
using frame::Column;
using frame::Frame;
using frame::LabelKind;
using frame::Name;
using frame::Scalar;
using frame::Strings;
using frame::Tag;

namespace {

using HostArray = nb::ndarray<nb::ro, nb::c_contig, nb::device::cpu>;

// The pandas pieces a conversion consults, looked up once per conversion.
struct Pandas {
  nb::module_ pd = nb::module_::import_("pandas");
  nb::module_ np = nb::module_::import_("numpy");
  nb::object types = nb::module_::import_("pandas.api.types");
  nb::object na = pd.attr("NA");
  nb::object object = nb::borrow(reinterpret_cast<PyObject*>(&PyBaseObject_Type));
};

std::optional<Scalar> scalarFrom(nb::dlpack::dtype d) {
  using Code = nb::dlpack::dtype_code;
  if (d.lanes != 1) return std::nullopt;
  if (d.code == static_cast<uint8_t>(Code::Bool) && d.bits == 8) return Scalar::Bool;
  if (d.code == static_cast<uint8_t>(Code::Int)) {
    switch (d.bits) {
      case 8: return Scalar::I8;
      case 16: return Scalar::I16;
      case 32: return Scalar::I32;
      case 64: return Scalar::I64;
    }
  } else if (d.code == static_cast<uint8_t>(Code::UInt)) {
    switch (d.bits) {
      case 8: return Scalar::U8;
      case 16: return Scalar::U16;
      case 32: return Scalar::U32;
      case 64: return Scalar::U64;
    }
  } else if (d.code == static_cast<uint8_t>(Code::Float)) {
    switch (d.bits) {
      case 16: return Scalar::F16;
      case 32: return Scalar::F32;
      case 64: return Scalar::F64;
    }
  }
  return std::nullopt;
}

// Shares a 1-D numpy array: the deleter drops the Python reference under the GIL.
Buffer shareBuffer(nb::handle array) {
  nb::object native = nb::borrow(array);
  if (!nb::cast<bool>(array.attr("dtype").attr("isnative")))
    native = array.attr("astype")(array.attr("dtype").attr("newbyteorder")("="));
  HostArray host = nb::cast<HostArray>(native);  // a contiguous copy only if it was strided
  if (host.ndim() != 1) throw ValueError("a column must be one-dimensional");
  std::optional<Scalar> type = scalarFrom(host.dtype());
  if (!type) throw TypeError("unsupported numeric element type");
  auto* keep = new HostArray(host);
  std::shared_ptr<const void> owner(keep, [](const HostArray* held) {
    nb::gil_scoped_acquire gil;
    delete held;
  });
  return Buffer(*type, host.data(), host.shape(0), std::move(owner));
}

// UTF-8 of a str; strings Python cannot encode (lone surrogates) keep them escaped.
void appendUtf8(PyObject* s, Strings& out) {
  Py_ssize_t size = 0;
  if (const char* data = PyUnicode_AsUTF8AndSize(s, &size)) {
    out.push(std::string_view(data, static_cast<std::size_t>(size)));
    return;
  }
  PyErr_Clear();
  nb::object bytes = nb::steal(PyUnicode_AsEncodedString(s, "utf-8", "backslashreplace"));
  if (!bytes.is_valid()) throw nb::python_error();
  out.push(std::string_view(PyBytes_AS_STRING(bytes.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes.ptr()))));
}

void appendStr(PyObject* o, Strings& out) {
  nb::object text = nb::steal(PyObject_Str(o));
  if (!text.is_valid()) throw nb::python_error();
  appendUtf8(text.ptr(), out);
}

// Calls f(PyObject*) for each element of a 1-D array: straight over the pointers of an
// object array, through the iterator (which yields numpy scalars) otherwise.
template <class F>
void forEachItem(nb::handle array, F&& f) {
  Py_buffer view;
  if (PyObject_GetBuffer(array.ptr(), &view, PyBUF_STRIDES | PyBUF_FORMAT) == 0) {
    bool objects = view.format && std::strcmp(view.format, "O") == 0 && view.ndim == 1;
    if (objects) {
      try {
        const char* base = static_cast<const char*>(view.buf);
        for (Py_ssize_t i = 0; i < view.shape[0]; ++i) {
          // Held while in use: str() runs arbitrary code, which could replace the element.
          nb::object item = nb::borrow(*reinterpret_cast<PyObject* const*>(base + i * view.strides[0]));
          f(item.ptr());
        }
      } catch (...) {
        PyBuffer_Release(&view);
        throw;
      }
      PyBuffer_Release(&view);
      return;
    }
    PyBuffer_Release(&view);
  } else {
    PyErr_Clear();
  }
  nb::object items = nb::steal(PyObject_GetIter(array.ptr()));
  if (!items.is_valid()) throw nb::python_error();
  while (PyObject* raw = PyIter_Next(items.ptr())) {
    nb::object item = nb::steal(raw);
    f(item.ptr());
  }
  if (PyErr_Occurred()) throw nb::python_error();
}

bool isNumpyBool(PyObject* o) {
  std::string_view name = Py_TYPE(o)->tp_name;
  return name == "numpy.bool" || name == "numpy.bool_";
}

Tag tagOf(PyObject* o) {
  if (PyUnicode_Check(o)) return Tag::Text;
  if (PyBool_Check(o) || isNumpyBool(o)) return Tag::Bool;
  if (PyLong_Check(o) || PyIndex_Check(o)) return Tag::Int;
  if (PyFloat_Check(o)) return Tag::Float;
  return Tag::Other;
}

// Every cell by str(), the way pandas prints it, with pandas' own missing mask.
Column objectsFrom(nb::handle array, const Pandas& pd, std::string absentText) {
  Strings texts;
  std::vector<Tag> tags;
  forEachItem(array, [&](PyObject* o) {
    appendStr(o, texts);
    tags.push_back(tagOf(o));
  });
  Buffer missing = shareBuffer(pd.pd.attr("isna")(array));
  auto masked = missing.view<bool>();
  for (std::size_t i = 0; i < tags.size(); ++i)
    if (masked[i]) tags[i] = Tag::Missing;
  return Column::objects(std::move(texts), std::move(missing), std::move(tags), std::move(absentText));
}

struct NotText {};

// Strings with None, NaN and NA among them; anything else makes the column an object one.
std::optional<Column> textFrom(nb::handle array, const Pandas& pd, std::string absentText) {
  Strings texts;
  std::vector<std::uint8_t> missing;
  bool anyMissing = false;
  PyObject* na = pd.na.ptr();
  bool text = true;
  try {
    forEachItem(array, [&](PyObject* o) {
      if (PyUnicode_Check(o)) {
        appendUtf8(o, texts);
        missing.push_back(0);
        return;
      }
      if (o == Py_None) texts.push("None");
      else if (o == na) texts.push("<NA>");
      else if (PyFloat_Check(o) && std::isnan(PyFloat_AS_DOUBLE(o))) texts.push("nan");
      else throw NotText{};  // leaves the loop at the first non-string
      missing.push_back(1);
      anyMissing = true;
    });
  } catch (const NotText&) {
    text = false;
  }
  if (!text) return std::nullopt;
  if (!anyMissing) missing.clear();
  return Column::text(std::move(texts), Buffer::bools(std::move(missing)), std::move(absentText));
}

Column textOrObjects(nb::handle array, const Pandas& pd, std::string absentText) {
  if (std::optional<Column> text = textFrom(array, pd, absentText)) return std::move(*text);
  return objectsFrom(array, pd, std::move(absentText));
}

bool has(nb::handle o, const char* name) { return nb::hasattr(o, name); }

std::string strOf(nb::handle o) {
  Strings text;
  appendStr(o.ptr(), text);
  return std::string(text[0]);
}

// `values` is a Series or an Index.
Column columnOf(nb::handle values, const Pandas& pd) {
  nb::object dtype = values.attr("dtype");
  std::string typeName = strOf(dtype);
  nb::object numpyDtype = pd.np.attr("dtype");
  Column out;
  if (nb::isinstance(dtype, numpyDtype)) {
    char kind = nb::cast<std::string>(dtype.attr("kind"))[0];
    auto itemsize = nb::cast<std::size_t>(dtype.attr("itemsize"));
    bool plainNumber = kind == 'b' || kind == 'i' || kind == 'u' || (kind == 'f' && itemsize <= 8);
    if (plainNumber) out = Column::numbers(shareBuffer(values.attr("to_numpy")()));
    else if (kind == 'O') out = textOrObjects(values.attr("to_numpy")(), pd, "nan");
    // Dates and durations as the Timestamps and Timedeltas pandas hands out.
    else if (kind == 'M' || kind == 'm') out = objectsFrom(values.attr("to_numpy")(pd.object), pd, "NaT");
    // Complex, bytes, long double: numpy's own scalars, which is what iloc gives.
    else out = objectsFrom(values.attr("to_numpy")(), pd, kind == 'c' ? "(nan+0j)" : "nan");
  } else if (nb::isinstance(dtype, pd.pd.attr("CategoricalDtype"))) {
    nb::object categorical = values.attr("array");
    out = Column::categorical(shareBuffer(categorical.attr("codes")), columnOf(categorical.attr("categories"), pd));
  } else {
    nb::object naValue = dtype.attr("na_value");
    std::string absentText = strOf(naValue);
    nb::object array = values.attr("array");
    bool numeric = nb::cast<bool>(pd.types.attr("is_numeric_dtype")(dtype)) &&
                   !nb::cast<bool>(pd.types.attr("is_complex_dtype")(dtype));
    if (nb::isinstance(dtype, pd.pd.attr("StringDtype"))) {
      out = textOrObjects(values.attr("to_numpy")(pd.object), pd, absentText);
    } else if (numeric && has(array, "_data") && has(array, "_mask")) {
      // pandas' masked arrays (Int64, boolean, Float64 ...) hold a numpy buffer and mask.
      out = Column::nullable(shareBuffer(array.attr("_data")), shareBuffer(array.attr("_mask")));
    } else if (numeric) {
      // Other numeric extension types (sparse, arrow): dense values plus their mask.
      nb::object element = has(dtype, "numpy_dtype") ? dtype.attr("numpy_dtype") : dtype.attr("subtype");
      bool maskedByNa = naValue.is(pd.na);
      char kind = nb::cast<std::string>(element.attr("kind"))[0];
      nb::object fill = kind == 'f' ? nb::object(nb::float_(NAN)) : nb::object(nb::int_(0));
      nb::object dense = values.attr("to_numpy")(element, nb::arg("na_value") = fill);
      if (maskedByNa) out = Column::nullable(shareBuffer(dense), shareBuffer(pd.np.attr("asarray")(array.attr("isna")(), "bool")));
      else out = Column::numbers(shareBuffer(dense));
    } else {
      out = objectsFrom(values.attr("to_numpy")(pd.object), pd, absentText);
    }
  }
  out.setTypeName(std::move(typeName));
  return out;
}

// A frame whose columns share one plain numpy number type (a heatmap's table, a dot plot's
// grid) is read as one column-major array, each column a slice of it: no Series per
// column, which for a table of a thousand columns is most of the cost.
std::optional<std::vector<Column>> blockColumns(nb::handle data, const Pandas& pd) {
  nb::object dtypes = data.attr("dtypes");
  if (nb::len(dtypes) == 0) return std::nullopt;
  nb::object first = dtypes.attr("iloc")[nb::int_(0)];
  if (!nb::isinstance(first, pd.np.attr("dtype"))) return std::nullopt;
  char kind = nb::cast<std::string>(first.attr("kind"))[0];
  auto itemsize = nb::cast<std::size_t>(first.attr("itemsize"));
  bool plainNumber = kind == 'b' || kind == 'i' || kind == 'u' || (kind == 'f' && itemsize <= 8);
  if (!plainNumber || !nb::cast<bool>(first.attr("isnative")) || PyObject_IsTrue(dtypes.attr("__eq__")(first).attr("all")().ptr()) != 1)
    return std::nullopt;
  using Block = nb::ndarray<nb::ro, nb::f_contig, nb::device::cpu>;
  Block block = nb::cast<Block>(pd.np.attr("asfortranarray")(data.attr("to_numpy")()));
  std::optional<Scalar> type = scalarFrom(block.dtype());
  if (!type || block.ndim() != 2) return std::nullopt;
  auto* keep = new Block(block);
  std::shared_ptr<const void> owner(keep, [](const Block* held) {
    nb::gil_scoped_acquire gil;
    delete held;
  });
  std::string typeName = strOf(first);
  std::size_t rows = block.shape(0);
  const auto* bytes = static_cast<const std::byte*>(block.data());
  std::vector<Column> out;
  for (std::size_t j = 0; j < block.shape(1); ++j) {
    out.push_back(Column::numbers(Buffer(*type, bytes + j * rows * itemsize, rows, owner)));
    out.back().setTypeName(typeName);
  }
  return out;
}

std::optional<Name> indexName(nb::handle index) {
  nb::object name = index.attr("name");
  if (name.is_none()) return std::nullopt;
  return nameFromPython(name);
}

}  // namespace

Name nameFromPython(nb::handle label) {
  PyObject* o = label.ptr();
  std::string s = strOf(label);
  if (PyUnicode_Check(o)) return Name(std::move(s), LabelKind::Text);
  if (PyBool_Check(o) || isNumpyBool(o)) return Name(std::move(s), LabelKind::Bool);
  if (PyLong_Check(o) || PyIndex_Check(o)) return Name(std::move(s), LabelKind::Int);
  if (PyFloat_Check(o)) return Name(std::move(s), LabelKind::Float);
  if (nb::hasattr(label, "dtype") && nb::hasattr(label, "is_integer"))  // numpy floats narrower than 64 bits
    return Name(std::move(s), LabelKind::Float);
  return Name(std::move(s), LabelKind::Other);
}

Column columnFromPython(nb::handle object) {
  Pandas pd;
  if (nb::isinstance(object, pd.pd.attr("Series")) || nb::isinstance(object, pd.pd.attr("Index")))
    return columnOf(object, pd);
  return columnOf(pd.pd.attr("Index")(object), pd);
}

Frame frameFromPython(nb::handle object, const FrameNeeds& needs) {
  Pandas pd;
  nb::object data;
  if (nb::isinstance(object, pd.pd.attr("DataFrame"))) data = nb::borrow(object);
  else if (nb::isinstance(object, pd.pd.attr("Series"))) data = object.attr("to_frame")();
  else data = pd.pd.attr("DataFrame")(object);

  auto wanted = [&](const Name& name) {
    return !needs.columns || std::find(needs.columns->begin(), needs.columns->end(), name) != needs.columns->end();
  };
  std::vector<Name> names;
  std::vector<Column> columns;
  nb::object index = data.attr("index");
  std::size_t rows = nb::len(index);
  Column labels = rows <= needs.indexUpTo ? columnOf(index, pd) : Column::range(rows);
  if (!needs.columns) {
    if (std::optional<std::vector<Column>> block = blockColumns(data, pd)) {
      for (nb::handle label : data.attr("columns")) names.push_back(nameFromPython(label));
      return Frame(std::move(names), std::move(*block), std::move(labels), indexName(index));
    }
  }
  nb::object byPosition = data.attr("iloc");
  nb::slice allRows{nb::none(), nb::none(), nb::none()};
  std::size_t j = 0;
  for (nb::handle label : data.attr("columns")) {
    Name name = nameFromPython(label);
    if (wanted(name)) {
      columns.push_back(columnOf(byPosition[nb::make_tuple(allRows, j)], pd));
      names.push_back(std::move(name));
    }
    ++j;
  }
  return Frame(std::move(names), std::move(columns), std::move(labels), indexName(index));
}

void followNumpyText() {
  nb::object numpy;
  try {
    numpy = nb::module_::import_("numpy");
  } catch (nb::python_error& e) {
    // Only while the build loads the module to write its stubs, before numpy is installed;
    // no frame is read then.
    if (!e.matches(PyExc_ImportError)) throw;
    return;
  }
  // The one number whose text tells numpy's two rules apart (see NarrowFloatRule).
  nb::object probe = numpy.attr("float32")(1e6);
  frame::setNarrowFloatRule(strOf(probe) == "1000000.0" ? frame::NarrowFloatRule::likeDouble
                                                       : frame::NarrowFloatRule::ownBounds);
}

}  // namespace tess::bind
