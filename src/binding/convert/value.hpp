// Conversions between the core's value tree and Python objects.
#pragma once

#include <nanobind/nanobind.h>

#include "figure/figure.hpp"
#include "figure/value.hpp"

namespace tess::bind {

namespace nb = nanobind;

/// The numpy array subclass of the read-only arrays handed out (`FrozenArray`).
nb::handle frozenArrayType();
/// A typed array as a read-only numpy array over the same bytes (no copy).
nb::object toNumpy(const figure::TypedArray& array);
/// Strings as a read-only numpy object array; repeated strings share one Python object.
nb::object toNumpy(const figure::TextArray& texts);
/// Python objects as a read-only numpy object array of the given shape. plotly.py takes
/// one without checking each element, and its deep copies share it instead of copying.
nb::object frozenObjects(nb::list items, nb::handle shape);
/// Scalars, lists, dicts and numpy arrays for the tree.
nb::object toPython(const figure::Value& value);
nb::dict toPython(const figure::Object& object);

/// Python data into the tree: None, bool, int, float, str, mappings, sequences, numpy
/// arrays (borrowed without a copy where plotly.js can read their dtype) and plotly
/// objects (through their plain form). Anything else fails with TypeError.
figure::Value fromPython(nb::handle object);

/// A host plotly figure (or a mapping with "data" and "layout") as a core figure.
figure::Figure figureFromPython(nb::handle figure);
/// A core figure as a plotly.graph_objects.Figure (the page-writing subclass in `_figure`) whose arrays
/// are the core's buffers.
nb::object toPlotly(const figure::Figure& figure);

}  // namespace tess::bind
