// A plotly figure: the ordered trace list and the layout, with plotly.py's figure operations.
#pragma once

#include <string>
#include <vector>

#include "figure/value.hpp"

namespace tess::figure {

class Figure {
 public:
  Array data;     ///< traces, each an Object with a "type"
  Object layout;  ///< the layout tree

  void addTrace(Object trace) { data.emplace_back(std::move(trace)); }
  /// Sets one layout attribute by dotted path ("xaxis.title.text").
  void setLayout(std::string_view path, Value value);
  /// plotly's update_layout: shorthand keys, nested objects merge.
  void updateLayout(const Object& patch);
  /// plotly's update_xaxes / update_yaxes: the patch goes to every axis of that letter
  /// ("xaxis", "xaxis2", ...), or to the first one when the layout has none yet.
  void updateAxes(char letter, const Object& patch);
  /// Layout keys of the axes of one letter, in layout order.
  std::vector<std::string> axisKeys(char letter) const;

  /// plotly's add_hline / add_vline: a line across the plot at a data value, options as
  /// plotly's keywords ("line_dash", "layer", "annotation_text", "annotation_position", ...).
  void addHline(Value y, const Object& options = {});
  void addVline(Value x, const Object& options = {});

  /// The figure as one object {"data": [...], "layout": {...}}.
  Object toObject() const;

 private:
  void addSpanningLine(bool horizontal, Value at, const Object& options);
};

}  // namespace tess::figure
