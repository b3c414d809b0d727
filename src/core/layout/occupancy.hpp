// What already covers the drawing area, one bit per pixel: markers, obstacles, label boxes and leaders.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tess::layout {

/// A position in drawing-area pixels: x from the left edge, y from the bottom edge up.
struct Point {
  double x = 0, y = 0;
};

/// An axis-aligned rectangle in drawing-area pixels (x0 <= x1, y0 <= y1).
struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

/// A rectangle of whole pixels: columns x0 to x1 - 1 and rows y0 to y1 - 1, rows from the bottom.
struct PixelBox {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  operator Box() const { return {double(x0), double(y0), double(x1), double(y1)}; }
};

/// floor and ceil as ints for pixel positions (clamped far outside any drawing area).
inline int floorInt(double v) {
  v = v < -1e9 ? -1e9 : v > 1e9 ? 1e9 : v;
  int i = static_cast<int>(v);
  return i - (v < i);
}
inline int ceilInt(double v) { return -floorInt(-v); }

/// A straight line between two points.
struct Segment {
  Point a, b;
};

/// True when the interiors of two boxes meet; boxes that only touch do not.
inline bool overlaps(const Box& a, const Box& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}
/// True when the box reaches inside the disc of radius r around c; touching does not count.
inline bool overlaps(const Box& box, Point c, double r) {
  double dx = box.x0 > c.x ? box.x0 - c.x : c.x > box.x1 ? c.x - box.x1 : 0;
  double dy = box.y0 > c.y ? box.y0 - c.y : c.y > box.y1 ? c.y - box.y1 : 0;
  return dx * dx + dy * dy < r * r;
}
/// True when the segment passes through the interior of the box.
bool crosses(const Segment& s, const Box& box);
/// True when two segments cross at a point inside both; meeting at an end does not count.
bool crosses(const Segment& s, const Segment& t);

/// The drawing area as pixels. A pixel is taken when a marker disc or an obstacle reaches
/// into it (fixed), when a label box covers it, or when a leader touches it. Boxes are whole
/// pixels, so a box is free exactly when none of its pixels is taken; leaders are traced
/// through every pixel they touch, which errs on the safe side.
class Occupancy {
 public:
  /// An area of width x height pixels (rounded down, each at most a few thousand).
  Occupancy(double width, double height);

  /// Fixed items, laid before any label.
  void addMarker(Point c, double r);
  void addObstacle(const Box& box);

  /// Owners are small non-negative numbers (label indices).
  void addLabel(const PixelBox& box, int owner);
  /// Takes back a label box; label boxes never overlap, so this is exact.
  void removeLabel(int owner);
  void addLeader(const Segment& s);
  void removeLeader(const Segment& s);
  /// A line drawn under the labels: it blocks nothing, it only makes a place second best.
  void addLine(const Segment& s);

  /// True when the box lies inside the area.
  bool inside(const PixelBox& box) const;
  /// True when no marker, obstacle, label box or leader takes a pixel of the box (inside only).
  bool boxFree(const PixelBox& box) const;
  /// True when no marker or obstacle takes a pixel of the box (inside only).
  bool fixedFree(const PixelBox& box) const { return !fixed_.any(box); }
  /// True when the segment touches no label box and no obstacle.
  bool leaderFree(const Segment& s) const;
  /// True when the segment touches no obstacle.
  bool leaderClearOfObstacles(const Segment& s) const;
  /// True when no line added by addLine touches a pixel of the box.
  bool lineFree(const PixelBox& box) const { return !lines_.any(box); }
  /// True when a leader touches a pixel of the box.
  bool leadersIn(const PixelBox& box) const { return leaders_.any(box); }

  static constexpr int NONE = -1, MANY = -2;
  /// The owner of the one label box sharing pixels with the box; NONE or MANY otherwise.
  int labelIn(const PixelBox& box) const;
  /// The owner of the one label box the segment touches; NONE or MANY otherwise.
  int labelAlong(const Segment& s) const;

 private:
  class Bits {
   public:
    Bits(int width, int height);
    void set(int x, int y) { words_[index(x, y)] |= bit(x); }
    void clear(int x, int y) { words_[index(x, y)] &= ~bit(x); }
    bool test(int x, int y) const { return (words_[index(x, y)] & bit(x)) != 0; }
    /// Sets or clears (value) every pixel of the box.
    void fill(const PixelBox& box, bool value);
    bool any(const PixelBox& box) const;
    /// True when a pixel of the box is set here or in one of the others (same size).
    bool anyOf(const PixelBox& box, const Bits& b, const Bits& c) const;
    /// Some taken pixel of the box (the lowest row first), if any.
    std::optional<std::array<int, 2>> first(const PixelBox& box) const;

   private:
    std::size_t index(int x, int y) const { return std::size_t(y) * stride_ + std::size_t(x >> 6); }
    static std::uint64_t bit(int x) { return std::uint64_t{1} << (x & 63); }
    std::size_t stride_;
    std::vector<std::uint64_t> words_;
  };

  /// Calls visit(x, y) for every pixel of the area the segment touches, until it returns true.
  template <class Visit>
  bool anyPixelAlong(const Segment& s, Visit visit) const;
  std::size_t at(int x, int y) const { return std::size_t(y) * std::size_t(width_) + std::size_t(x); }
  /// Calls visit(owners) for the list of each owner cell the box reaches into.
  template <class Visit>
  void forOwnerCells(const PixelBox& box, Visit visit);
  /// The owner of the label box covering a taken pixel of labels_.
  int ownerAt(int x, int y) const;

  int width_, height_;
  Bits fixed_, obstacles_, labels_, leaders_, lines_;
  std::vector<PixelBox> labelBoxes_;                  // by owner; empty when absent
  int ownerColumns_;
  std::vector<std::vector<int>> ownerCells_;          // owners whose boxes reach into each cell
  std::unordered_map<std::size_t, int> leaderExtra_;  // pixels touched by more than one leader: the excess
  bool anyObstacle_ = false;
};

}  // namespace tess::layout
