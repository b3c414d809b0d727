// The pixel occupancy of the drawing area and the exact tests between boxes, discs and segments.
#include "layout/occupancy.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace tess::layout {

bool crosses(const Segment& s, const Box& box) {
  // Liang-Barsky clipping to the closed box, then the middle of the clipped part must lie
  // strictly inside, so a segment along an edge or through a corner does not count.
  double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
  double t0 = 0, t1 = 1;
  auto clip = [&](double p, double q) {  // keeps the part where p * t <= q
    if (p == 0) return q >= 0;
    double t = q / p;
    if (p < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
    return t0 <= t1;
  };
  if (!clip(-dx, s.a.x - box.x0) || !clip(dx, box.x1 - s.a.x) || !clip(-dy, s.a.y - box.y0) ||
      !clip(dy, box.y1 - s.a.y))
    return false;
  double t = (t0 + t1) / 2;
  double x = s.a.x + t * dx, y = s.a.y + t * dy;
  return x > box.x0 && x < box.x1 && y > box.y0 && y < box.y1;
}

namespace {

double orientation(Point a, Point b, Point c) { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); }

bool opposite(double u, double v) { return (u < 0 && v > 0) || (u > 0 && v < 0); }

/// Whole pixels of a width or height.
int pixels(double length) { return std::max(0, floorInt(length)); }

/// Side of the squares that list the label boxes reaching into them.
constexpr int OWNER_CELL = 16;

}  // namespace

bool crosses(const Segment& s, const Segment& t) {
  return opposite(orientation(s.a, s.b, t.a), orientation(s.a, s.b, t.b)) &&
         opposite(orientation(t.a, t.b, s.a), orientation(t.a, t.b, s.b));
}

Occupancy::Bits::Bits(int width, int height)
    : stride_((std::size_t(width) + 63) / 64), words_(stride_ * std::size_t(height)) {}

namespace {

/// Bits x to end - 1 of the 64-bit word holding x (end at most the next word's start).
std::uint64_t runMask(int x, int end) {
  int n = end - x;
  return (n == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << n) - 1)) << (x & 63);
}

}  // namespace

void Occupancy::Bits::fill(const PixelBox& box, bool value) {
  for (int y = box.y0; y < box.y1; ++y)
    for (int x = box.x0, end; x < box.x1; x = end) {
      end = std::min(box.x1, (x & ~63) + 64);
      if (value) words_[index(x, y)] |= runMask(x, end);
      else words_[index(x, y)] &= ~runMask(x, end);
    }
}

bool Occupancy::Bits::any(const PixelBox& box) const {
  for (int y = box.y0; y < box.y1; ++y)
    for (int x = box.x0, end; x < box.x1; x = end) {
      end = std::min(box.x1, (x & ~63) + 64);
      if (words_[index(x, y)] & runMask(x, end)) return true;
    }
  return false;
}

bool Occupancy::Bits::anyOf(const PixelBox& box, const Bits& b, const Bits& c) const {
  for (int y = box.y0; y < box.y1; ++y)
    for (int x = box.x0, end; x < box.x1; x = end) {
      end = std::min(box.x1, (x & ~63) + 64);
      std::size_t i = index(x, y);
      if ((words_[i] | b.words_[i] | c.words_[i]) & runMask(x, end)) return true;
    }
  return false;
}

std::optional<std::array<int, 2>> Occupancy::Bits::first(const PixelBox& box) const {
  for (int y = box.y0; y < box.y1; ++y)
    for (int x = box.x0, end; x < box.x1; x = end) {
      end = std::min(box.x1, (x & ~63) + 64);
      if (std::uint64_t hit = words_[index(x, y)] & runMask(x, end))
        return std::array<int, 2>{(x & ~63) + std::countr_zero(hit), y};
    }
  return std::nullopt;
}

Occupancy::Occupancy(double width, double height)
    : width_(pixels(width)),
      height_(pixels(height)),
      fixed_(width_, height_),
      obstacles_(width_, height_),
      labels_(width_, height_),
      leaders_(width_, height_),
      lines_(width_, height_),
      ownerColumns_(width_ / OWNER_CELL + 1),
      ownerCells_(std::size_t(ownerColumns_) * std::size_t(height_ / OWNER_CELL + 1)) {}

void Occupancy::addMarker(Point c, double r) {
  // Every pixel whose square comes closer to the centre than r.
  int x0 = std::max(0, floorInt(c.x - r)), x1 = std::min(width_, ceilInt(c.x + r));
  int y0 = std::max(0, floorInt(c.y - r)), y1 = std::min(height_, ceilInt(c.y + r));
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (overlaps(Box{double(x), double(y), double(x + 1), double(y + 1)}, c, r)) fixed_.set(x, y);
}

void Occupancy::addObstacle(const Box& box) {
  // Every pixel whose square shares interior with the box.
  PixelBox px{std::max(0, floorInt(box.x0)), std::max(0, floorInt(box.y0)), std::min(width_, ceilInt(box.x1)),
              std::min(height_, ceilInt(box.y1))};
  if (px.x0 >= px.x1 || px.y0 >= px.y1) return;
  fixed_.fill(px, true);
  obstacles_.fill(px, true);
  anyObstacle_ = true;
}

template <class Visit>
void Occupancy::forOwnerCells(const PixelBox& box, Visit visit) {
  for (int y = box.y0 / OWNER_CELL; y <= (box.y1 - 1) / OWNER_CELL; ++y)
    for (int x = box.x0 / OWNER_CELL; x <= (box.x1 - 1) / OWNER_CELL; ++x)
      visit(ownerCells_[std::size_t(y) * std::size_t(ownerColumns_) + std::size_t(x)]);
}

void Occupancy::addLabel(const PixelBox& box, int owner) {
  labels_.fill(box, true);
  forOwnerCells(box, [owner](std::vector<int>& owners) { owners.push_back(owner); });
  if (labelBoxes_.size() <= std::size_t(owner)) labelBoxes_.resize(std::size_t(owner) + 1);
  labelBoxes_[std::size_t(owner)] = box;
}

void Occupancy::removeLabel(int owner) {
  PixelBox box = labelBoxes_.at(std::size_t(owner));
  labels_.fill(box, false);
  forOwnerCells(box, [owner](std::vector<int>& owners) { std::erase(owners, owner); });
  labelBoxes_[std::size_t(owner)] = {};
}

int Occupancy::ownerAt(int x, int y) const {
  for (int owner : ownerCells_[std::size_t(y / OWNER_CELL) * std::size_t(ownerColumns_) + std::size_t(x / OWNER_CELL)]) {
    const PixelBox& b = labelBoxes_[std::size_t(owner)];
    if (x >= b.x0 && x < b.x1 && y >= b.y0 && y < b.y1) return owner;
  }
  return NONE;
}

int Occupancy::labelIn(const PixelBox& box) const {
  auto hit = labels_.first(box);
  if (!hit) return NONE;
  int owner = ownerAt((*hit)[0], (*hit)[1]);
  if (owner == NONE) return MANY;  // cannot happen while boxes and bits agree
  // Any other label must show in the part of the box outside the owner's box.
  const PixelBox& o = labelBoxes_[std::size_t(owner)];
  int y0 = std::max(box.y0, o.y0), y1 = std::min(box.y1, o.y1);
  const PixelBox rest[] = {{box.x0, box.y0, box.x1, y0}, {box.x0, y1, box.x1, box.y1},
                           {box.x0, y0, std::max(box.x0, o.x0), y1}, {std::min(box.x1, o.x1), y0, box.x1, y1}};
  for (const PixelBox& r : rest)
    if (r.x0 < r.x1 && r.y0 < r.y1 && labels_.any(r)) return MANY;
  return owner;
}

int Occupancy::labelAlong(const Segment& s) const {
  int found = NONE;
  anyPixelAlong(s, [&](int x, int y) {
    if (!labels_.test(x, y)) return false;
    int owner = ownerAt(x, y);
    if (found != NONE && found != owner) found = MANY;
    else found = owner;
    return found == MANY;
  });
  return found;
}

template <class Visit>
bool Occupancy::anyPixelAlong(const Segment& s, Visit visit) const {
  // Row by row, the columns of the part of the segment within the row, ends included.
  double ylo = std::min(s.a.y, s.b.y), yhi = std::max(s.a.y, s.b.y);
  int r0 = std::max(0, floorInt(ylo)), r1 = std::min(height_ - 1, floorInt(yhi));
  for (int r = r0; r <= r1; ++r) {
    double xa = s.a.x, xb = s.b.x;
    if (s.a.y != s.b.y) {
      double lo = std::max(ylo, double(r)), hi = std::min(yhi, double(r + 1));
      xa = s.a.x + (lo - s.a.y) / (s.b.y - s.a.y) * (s.b.x - s.a.x);
      xb = s.a.x + (hi - s.a.y) / (s.b.y - s.a.y) * (s.b.x - s.a.x);
    }
    int c0 = std::max(0, floorInt(std::min(xa, xb))), c1 = std::min(width_ - 1, floorInt(std::max(xa, xb)));
    for (int c = c0; c <= c1; ++c)
      if (visit(c, r)) return true;
  }
  return false;
}

void Occupancy::addLeader(const Segment& s) {
  anyPixelAlong(s, [&](int x, int y) {
    if (leaders_.test(x, y)) ++leaderExtra_[at(x, y)];
    else leaders_.set(x, y);
    return false;
  });
}

void Occupancy::addLine(const Segment& s) {
  anyPixelAlong(s, [&](int x, int y) {
    lines_.set(x, y);
    return false;
  });
}

void Occupancy::removeLeader(const Segment& s) {
  anyPixelAlong(s, [&](int x, int y) {
    auto extra = leaderExtra_.find(at(x, y));
    if (extra == leaderExtra_.end()) leaders_.clear(x, y);
    else if (--extra->second == 0) leaderExtra_.erase(extra);
    return false;
  });
}

bool Occupancy::inside(const PixelBox& box) const {
  return box.x0 >= 0 && box.y0 >= 0 && box.x1 <= width_ && box.y1 <= height_ && box.x0 < box.x1 && box.y0 < box.y1;
}

bool Occupancy::boxFree(const PixelBox& box) const { return !fixed_.anyOf(box, labels_, leaders_); }

bool Occupancy::leaderFree(const Segment& s) const {
  if (!anyObstacle_) return !anyPixelAlong(s, [&](int x, int y) { return labels_.test(x, y); });
  return !anyPixelAlong(s, [&](int x, int y) { return labels_.test(x, y) || obstacles_.test(x, y); });
}

bool Occupancy::leaderClearOfObstacles(const Segment& s) const {
  return !anyObstacle_ || !anyPixelAlong(s, [&](int x, int y) { return obstacles_.test(x, y); });
}

}  // namespace tess::layout
