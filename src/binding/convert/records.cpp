// Encoding a figure's arrays for the page: one pass over the tree to find them, the base64
// of all of them in parallel, then the records put in place.
#include "convert/records.hpp"

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

struct Encoding {
  HostArray array;
  nb::object bdata;
  nb::dict record;
};

// Where a record goes: the dict and its key.
struct Slot {
  nb::handle parent;
  nb::handle key;
  std::size_t encoding;
};

struct Walk {
  nb::handle frozen, isSkipped;
  std::unordered_map<PyObject*, bool> skippedKeys;
  std::unordered_map<PyObject*, std::size_t> seen;  // an array shown twice is encoded once
  std::vector<Encoding> encodings;
  std::vector<Slot> slots;
  int depth = 0;

  bool skipped(nb::handle key) {
    auto found = skippedKeys.find(key.ptr());
    if (found == skippedKeys.end()) found = skippedKeys.emplace(key.ptr(), nb::cast<bool>(isSkipped(key))).first;
    return found->second;
  }

  // The index of the array's encoding, or none when plotly.py is left to write it.
  std::optional<std::size_t> encodingOf(nb::handle value) {
    if (!value.type().is(frozen)) return std::nullopt;
    if (auto found = seen.find(value.ptr()); found != seen.end()) return found->second;
    const char* code = recordCode(value);
    HostArray array;
    if (!code || !nb::try_cast(value, array) || array.ndim() == 0 || array.size() == 0) return std::nullopt;
    std::size_t bytes = array.nbytes();
    nb::object bdata = nb::steal(PyUnicode_New(static_cast<Py_ssize_t>(figure::base64Size(bytes)), 127));
    if (!bdata.is_valid()) throw nb::python_error();
    nb::dict record;
    record["dtype"] = code;
    record["bdata"] = bdata;
    if (array.ndim() > 1) {
      figure::TypedArray::Shape shape(array.ndim());
      for (std::size_t i = 0; i < shape.size(); ++i) shape[i] = array.shape(i);
      record["shape"] = nb::str(figure::shapeText(shape).c_str());
    }
    encodings.push_back({array, bdata, record});
    return seen[value.ptr()] = encodings.size() - 1;
  }

  void visit(nb::handle node) {
    if (++depth > 256) throw nb::value_error("a figure nests deeper than 256 levels");
    if (PyDict_Check(node.ptr())) {
      PyObject *key = nullptr, *value = nullptr;
      Py_ssize_t position = 0;
      while (PyDict_Next(node.ptr(), &position, &key, &value)) {
        if (skipped(key)) continue;
        if (auto encoding = encodingOf(value)) slots.push_back({node, nb::handle(key), *encoding});
        else visit(nb::handle(value));
      }
    } else if (PyList_Check(node.ptr()) || PyTuple_Check(node.ptr())) {
      for (nb::handle item : node) visit(item);
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

void recordArrays(nb::handle tree, nb::handle isSkipped) {
  Walk walk{frozenArrayType(), isSkipped};
  walk.visit(tree);
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
  for (const Slot& slot : walk.slots)
    if (PyDict_SetItem(slot.parent.ptr(), slot.key.ptr(), walk.encodings[slot.encoding].record.ptr()) != 0)
      throw nb::python_error();
}

}  // namespace tess::bind
