// Encoding a figure's arrays for the page: one pass over the tree to find them, the base64
// of all of them in parallel, then the new values put in place.
#include "convert/page_arrays.hpp"

#include <nanobind/ndarray.h>
#include <nanobind/stl/string.h>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert/value.hpp"
#include "figure/json.hpp"
#include "parallel.hpp"

namespace tess::bind {

namespace {

using HostArray = nb::ndarray<nb::ro, nb::c_contig, nb::device::cpu>;

// plotly.js's element codes, by numpy dtype name.
const char* recordCode(nb::handle array) {
  static const std::unordered_map<std::string, const char*> codes = {
      {"int8", "i1"},   {"uint8", "u1"},   {"int16", "i2"},   {"uint16", "u2"},
      {"int32", "i4"},  {"uint32", "u4"},  {"float32", "f4"}, {"float64", "f8"}};
  auto found = codes.find(nb::cast<std::string>(array.attr("dtype").attr("name")));
  return found == codes.end() ? nullptr : found->second;
}

// A record whose base64 is still to be written.
struct Encoding {
  HostArray array;
  nb::object bdata;
};

// Where a new value goes: a dict's key or a list's index.
struct Slot {
  nb::handle parent, key;
  Py_ssize_t index;
  nb::object value;
};

struct Walk {
  nb::handle frozen, isSkipped, plainArray;
  std::unordered_map<PyObject*, bool> skippedKeys;
  std::unordered_map<PyObject*, nb::object> records;  // an array shown twice is encoded once
  std::vector<Encoding> encodings;
  std::vector<Slot> slots;
  int depth = 0;

  bool skipped(nb::handle key) {
    auto found = skippedKeys.find(key.ptr());
    if (found == skippedKeys.end()) found = skippedKeys.emplace(key.ptr(), nb::cast<bool>(isSkipped(key))).first;
    return found->second;
  }

  static bool isText(nb::handle array) { return nb::cast<std::string>(array.attr("dtype").attr("kind")) == "O"; }

  // Where orjson cannot write the array itself: text as a list, numbers as a plain ndarray over
  // the same bytes. plotly.py's cleaning pass would make the same of them, slowly.
  nb::object plain(nb::handle array) { return isText(array) ? array.attr("tolist")() : array.attr("view")(plainArray); }

  // A property's value as plotly.py writes it: numbers as a record, text as a list; none for
  // arrays plotly.py's own pass is left to convert (other element types, empty arrays).
  std::optional<nb::object> property(nb::handle array) {
    if (auto found = records.find(array.ptr()); found != records.end()) return found->second;
    if (isText(array)) return array.attr("tolist")();
    const char* code = recordCode(array);
    HostArray held;
    if (!code || !nb::try_cast(array, held) || held.ndim() == 0 || held.size() == 0) return std::nullopt;
    nb::object bdata = nb::steal(PyUnicode_New(static_cast<Py_ssize_t>(figure::base64Size(held.nbytes())), 127));
    if (!bdata.is_valid()) throw nb::python_error();
    nb::dict record;
    record["dtype"] = code;
    record["bdata"] = bdata;
    if (held.ndim() > 1) {
      figure::TypedArray::Shape shape(held.ndim());
      for (std::size_t i = 0; i < shape.size(); ++i) shape[i] = held.shape(i);
      record["shape"] = nb::str(figure::shapeText(shape).c_str());
    }
    encodings.push_back({held, bdata});
    return records[array.ptr()] = record;
  }

  // plotly.py encodes the arrays that are dict values, and enters no key it skips.
  void visit(nb::handle node, bool inSkipped) {
    if (++depth > 256) throw nb::value_error("a figure nests deeper than 256 levels");
    if (PyDict_Check(node.ptr())) {
      PyObject *key = nullptr, *value = nullptr;
      Py_ssize_t position = 0;
      while (PyDict_Next(node.ptr(), &position, &key, &value)) {
        bool skip = inSkipped || skipped(key);
        if (!nb::handle(value).type().is(frozen)) visit(value, skip);
        else if (skip) slots.push_back({node, key, 0, plain(value)});
        else if (auto converted = property(value)) slots.push_back({node, key, 0, *converted});
      }
    } else if (PyList_Check(node.ptr())) {
      for (Py_ssize_t i = 0, n = PyList_GET_SIZE(node.ptr()); i < n; ++i) {
        nb::handle item = PyList_GET_ITEM(node.ptr(), i);
        if (item.type().is(frozen)) slots.push_back({node, nb::handle(), i, plain(item)});
        else visit(item, inSkipped);
      }
    } else if (PyTuple_Check(node.ptr())) {
      for (nb::handle item : node) visit(item, inSkipped);
    }
    --depth;
  }
};

// Pieces of about this many bytes (a multiple of 3, so each piece's base64 stands alone)
// spread one large array over the cores too.
constexpr std::size_t kPiece = 3 << 20;

struct Piece {
  const std::byte* data;
  std::size_t bytes;
  char* out;
};

}  // namespace

void encodeArrays(nb::handle tree, nb::handle isSkipped) {
  Walk walk{frozenArrayType(), isSkipped, nb::module_::import_("numpy").attr("ndarray")};
  walk.visit(tree, false);
  std::vector<Piece> pieces;
  for (Encoding& e : walk.encodings) {
    const auto* data = static_cast<const std::byte*>(e.array.data());
    char* out = reinterpret_cast<char*>(PyUnicode_1BYTE_DATA(e.bdata.ptr()));
    for (std::size_t at = 0, bytes = e.array.nbytes(); at < bytes; at += kPiece)
      pieces.push_back({data + at, std::min(kPiece, bytes - at), out + at / 3 * 4});
  }
  {
    // The strings are new and nobody else holds them yet: they can be filled without the GIL.
    nb::gil_scoped_release released;
    parallelFor(pieces.size(), [&](std::size_t i) { figure::base64To(pieces[i].out, pieces[i].data, pieces[i].bytes); });
  }
  // Values are replaced only now: no key is added or removed, and nothing visited is freed early.
  for (const Slot& slot : walk.slots) {
    int failed = slot.key.is_valid() ? PyDict_SetItem(slot.parent.ptr(), slot.key.ptr(), slot.value.ptr())
                                     : PyList_SetItem(slot.parent.ptr(), slot.index, slot.value.inc_ref().ptr());
    if (failed) throw nb::python_error();
  }
}

}  // namespace tess::bind
