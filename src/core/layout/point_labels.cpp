// Point-label placement: greedy in priority order over candidate positions on an occupancy bitmap, then repair.
#include "layout/point_labels.hpp"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "layout/metrics.hpp"
#include "layout/occupancy.hpp"
#include "layout/point_labels_scene.hpp"

namespace tess::layout {

namespace {

using labels::Candidate;
using labels::Scene;
using labels::Site;

/// How much longer a leader may get to avoid crossing another leader, and to keep the box
/// off a line (measured from the marker's edge).
constexpr double CROSSING_DETOUR = 24;
constexpr double LINE_DETOUR = 48;
/// Shares of a label's full width tried, in turn, for a label that fits nowhere whole.
constexpr std::array<double, 5> SHORTER = {0.7, 0.5, 0.35, 0.25, 0.15};
/// A shortened label keeps at least this many characters before the ellipsis.
constexpr std::size_t SHORTEST_HEAD = 3;
/// The repair pass looks at candidates up to this share of the longest leader: it makes
/// room near a point, and going further costs much and gains little.
constexpr double REPAIR_SHARE = 0.75;
/// How much longer the repair may make the leader of a label for a less important one
/// (a label beside its point counts as having a leader as long as the marker radius).
constexpr double LONGER_LEADER = 32;
constexpr double LEADER_WIDTH = 0.8;
constexpr std::string_view LEADER_COLOR = "#888888";

/// Code points in UTF-8 text.
std::size_t characters(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

/// Where one site ended up.
struct Placed {
  std::size_t slot;  ///< the candidate's number
  Candidate at;
  std::optional<Segment> leader;
};

class Placer {
 public:
  explicit Placer(Scene scene)
      : scene_(std::move(scene)),
        candidates_(scene_),
        index_(scene_.width, scene_.height),
        placed_(scene_.sites.size()),
        firstGap_(scene_.sites.size(), std::nan("")),
        texts_(scene_.sites.size()) {
    for (Point m : scene_.markers) index_.addMarker(m, scene_.markerRadius);
    for (Point m : scene_.points) index_.addMarker(m, scene_.pointRadius);
    for (const Box& b : scene_.obstacles) index_.addObstacle(b);
    for (const Segment& line : scene_.lines) index_.addLine(line);
  }

  /// Each site in priority order takes the first free candidate, preferring leaders that cross no other.
  void greedy() {
    for (std::size_t i = 0; i < scene_.sites.size(); ++i)
      if (auto k = firstFree(i, 0)) place(i, *k);
  }

  /// Gives each label left out a second chance: it may take a nearby candidate blocked by a
  /// single placed label when that label can move to another free place.
  void repair() {
    elsewhere_.assign(scene_.sites.size(), {});
    std::size_t near = candidates_.within(REPAIR_SHARE * candidates_.longest());
    for (std::size_t i = 0; i < scene_.sites.size(); ++i) {
      if (placed_[i]) continue;
      for (std::size_t k = 0; k < near; ++k) {
        auto blocker = soleBlocker(i, candidate(i, k));
        if (!blocker) continue;
        if (!*blocker) {
          if (!free(i, k)) continue;  // clear exactly, but a traced leader touches it
          place(i, k);
          break;
        }
        if (evict(**blocker, i, k)) break;
      }
    }
  }

  /// Gives each label still left out a shorter text: its head and an ellipsis, at the
  /// first of the SHORTER widths that finds a place.
  void shorten(std::span<const LabelRecord> labels) {
    for (std::size_t i = 0; i < scene_.sites.size(); ++i) {
      if (placed_[i]) continue;
      Site& site = scene_.sites[i];
      const std::string& text = labels[site.record].text;
      double full = textWidth(text, scene_.fontPx);
      int width = site.width;
      for (double share : SHORTER) {
        std::string head = truncate(text, scene_.fontPx, share * full);
        if (characters(head) < SHORTEST_HEAD + 1) break;  // the ellipsis is one of them
        site.width = labels::labelWidth(head, scene_.fontPx);
        if (auto k = firstFree(i, 0)) {
          place(i, *k);
          texts_[i] = std::move(head);
          break;
        }
      }
      if (!placed_[i]) site.width = width;
    }
  }

  const std::vector<std::optional<Placed>>& placed() const { return placed_; }
  const Scene& scene() const { return scene_; }
  /// The text a site shows when it was shortened.
  const std::optional<std::string>& shortened(std::size_t i) const { return texts_[i]; }

 private:
  Segment leaderOf(std::size_t i, const Candidate& c) const {
    return labels::leaderOf(scene_.sites[i], c, scene_.markerRadius);
  }

  Candidate candidate(std::size_t i, std::size_t k) const { return candidates_.at(scene_.sites[i], k); }

  /// Free of everything placed so far: inside, on no taken pixel, and a leader through no box.
  bool free(const Candidate& c, std::size_t i) const {
    if (!index_.inside(c.box) || !index_.boxFree(c.box)) return false;
    return !c.leader || index_.leaderFree(leaderOf(i, c));
  }
  bool free(std::size_t i, std::size_t k) const { return free(candidate(i, k), i); }

  bool crossesLeader(const Segment& s) const {
    for (const auto& p : placed_)
      if (p && p->leader && crosses(s, *p->leader)) return true;
    return false;
  }

  /// The first free candidate of site i from number `from` on, passing over boxes on a line
  /// and leaders that cross another leader unless nothing else turns up within CROSSING_DETOUR.
  std::optional<std::size_t> firstFree(std::size_t i, std::size_t from) const {
    std::optional<std::size_t> crossing;
    double detourEnd = 0;
    for (std::size_t k = from; k < candidates_.size(); ++k) {
      Candidate c = candidate(i, k);
      if (crossing && c.gap > detourEnd) break;
      if (!free(c, i)) continue;
      bool onLine = !index_.lineFree(c.box);
      if (onLine || (c.leader && crossesLeader(leaderOf(i, c)))) {
        if (!crossing) {
          crossing = k;
          detourEnd = onLine ? std::max(c.gap, scene_.markerRadius) + LINE_DETOUR : c.gap + CROSSING_DETOUR;
        }
        continue;
      }
      return k;
    }
    return crossing;
  }

  /// What keeps candidate c of site i out: nullopt when a fixed item or two placed labels
  /// do, else the one placed label that does, if any.
  std::optional<std::optional<std::size_t>> soleBlocker(std::size_t i, const Candidate& c) const {
    if (!index_.inside(c.box) || !index_.fixedFree(c.box)) return std::nullopt;
    // Cheapest tests first; each may find a second blocker or one that cannot move.
    int sole = index_.labelIn(c.box);
    auto merge = [&sole](int owner) {
      if (owner == Occupancy::NONE || owner == sole) return;
      sole = sole == Occupancy::NONE ? owner : Occupancy::MANY;
    };
    auto hopeless = [&] { return sole == Occupancy::MANY || (sole >= 0 && stuck(std::size_t(sole))); };
    if (hopeless()) return std::nullopt;
    if (index_.leadersIn(c.box)) {
      for (std::size_t j = 0; j < placed_.size() && !hopeless(); ++j)
        if (placed_[j] && placed_[j]->leader && crosses(*placed_[j]->leader, c.box)) merge(static_cast<int>(j));
      if (hopeless()) return std::nullopt;
    }
    if (c.leader) {
      Segment leader = leaderOf(i, c);
      if (!index_.leaderClearOfObstacles(leader)) return std::nullopt;
      merge(index_.labelAlong(leader));
      if (hopeless()) return std::nullopt;
    }
    if (sole == Occupancy::NONE) return std::optional<std::size_t>{};
    return std::optional<std::size_t>{static_cast<std::size_t>(sole)};
  }

  void place(std::size_t i, std::size_t k) {
    Candidate c = candidate(i, k);
    std::optional<Segment> leader;
    index_.addLabel(c.box, static_cast<int>(i));
    if (c.leader) {
      leader = leaderOf(i, c);
      index_.addLeader(*leader);
    }
    placed_[i] = Placed{k, c, leader};
    if (std::isnan(firstGap_[i])) firstGap_[i] = c.gap;
  }

  void unplace(std::size_t i) {
    index_.removeLabel(static_cast<int>(i));
    if (placed_[i]->leader) index_.removeLeader(*placed_[i]->leader);
    placed_[i].reset();
  }

  /// The other places label b could take were it lifted: free candidates past its own
  /// (those before it were taken when it was placed). Kept until a move frees room near b.
  const std::vector<std::size_t>& elsewhere(std::size_t b) {
    Elsewhere& memo = elsewhere_[b];
    if (memo.known) return memo.slots;
    memo = {true, {}};
    std::size_t old = placed_[b]->slot;
    unplace(b);
    for (std::size_t k = old + 1; k < candidates_.size(); ++k)
      if (free(b, k)) memo.slots.push_back(k);
    place(b, old);
    return memo.slots;
  }

  /// True when b is known to have nowhere else to go.
  bool stuck(std::size_t b) const { return elsewhere_[b].known && elsewhere_[b].slots.empty(); }

  /// Forgets what labels whose candidates can reach the box know about their other places.
  void freed(const Box& box) {
    for (std::size_t j = 0; j < placed_.size(); ++j) {
      if (!placed_[j]) continue;
      const Site& site = scene_.sites[j];
      double reach = candidates_.longest() + site.width + site.height;
      if (site.at.x > box.x0 - reach && site.at.x < box.x1 + reach && site.at.y > box.y0 - reach &&
          site.at.y < box.y1 + reach)
        elsewhere_[j].known = false;
    }
  }

  /// The bounds of what label b at candidate c takes: its box and its leader.
  Box reachOf(std::size_t b, const Candidate& c) const {
    Point p = scene_.sites[b].at;
    return {std::min(double(c.box.x0), p.x), std::min(double(c.box.y0), p.y), std::max(double(c.box.x1), p.x),
            std::max(double(c.box.y1), p.y)};
  }

  /// True when b at candidate `at` and i at candidate c would collide.
  bool collide(std::size_t b, const Candidate& at, std::size_t i, const Candidate& c) const {
    if (overlaps(Box(at.box), Box(c.box))) return true;
    if (at.leader && crosses(leaderOf(b, at), c.box)) return true;
    return c.leader && crosses(leaderOf(i, c), at.box);
  }

  /// Places i at its candidate k in place of b if b can move elsewhere; otherwise changes
  /// nothing. A label more important than i moves by a little at most.
  bool evict(std::size_t b, std::size_t i, std::size_t k) {
    Candidate c = candidate(i, k);
    std::size_t old = placed_[b]->slot;
    std::size_t end =
        b < i ? candidates_.within(std::max(firstGap_[b], scene_.markerRadius) + LONGER_LEADER) : candidates_.size();
    for (std::size_t slot : elsewhere(b)) {
      if (slot >= end) break;
      if (collide(b, candidate(b, slot), i, c)) continue;
      unplace(b);
      if (free(i, k)) {
        place(i, k);
        if (free(b, slot)) {  // the traced pixels may still touch
          place(b, slot);
          freed(reachOf(b, candidate(b, old)));
          return true;
        }
        unplace(i);
      }
      place(b, old);
    }
    return false;
  }

  Scene scene_;
  labels::Candidates candidates_;
  Occupancy index_;
  std::vector<std::optional<Placed>> placed_;
  struct Elsewhere {
    bool known = false;
    std::vector<std::size_t> slots;
  };
  std::vector<Elsewhere> elsewhere_;  // by label
  std::vector<double> firstGap_;      // by label: the gap of the place it took first
  std::vector<std::optional<std::string>> texts_;  // by label: its shortened text
};


double hundredths(double v) { return std::round(v * 100) / 100; }

std::string_view xAnchor(int side) { return side > 0 ? "left" : side < 0 ? "right" : "center"; }
std::string_view yAnchor(int side) { return side > 0 ? "bottom" : side < 0 ? "top" : "middle"; }

/// The annotation drawing `label` at candidate `c` of `site`. The shifts and offsets are
/// taken from the head position as plotly rounds it (1/100 px), so the box lands on the
/// candidate's whole pixels.
figure::Object annotation(const LabelRecord& label, const std::string& text, const Site& site, const Candidate& c,
                          const Scene& scene, double fontPx) {
  figure::Object a{{"x", site.data[0]},
                   {"y", site.data[1]},
                   {"xref", "x"},
                   {"yref", "y"},
                   {"text", theme::escape(text)},
                   {"showarrow", c.leader},
                   {"font", figure::Object{{"size", fontPx}, {"color", label.color.value_or(std::string(theme::TEXT_COLOR))}}},
                   {"borderwidth", labels::BORDER_WIDTH},
                   {"borderpad", labels::BORDER_PAD}};
  // The point of the box the annotation is anchored at: an edge or corner beside the point,
  // the centre at the end of a leader.
  double anchorX = c.box.x0 + site.width * (1 - c.sideX) / 2.0;
  double anchorY = c.box.y0 + site.height * (1 - c.sideY) / 2.0;
  double dx = anchorX - hundredths(site.at.x);
  double dy = anchorY - (scene.height - hundredths(scene.height - site.at.y));  // plotly measures y from the top
  if (c.leader) {
    a.set("xanchor", "center");
    a.set("yanchor", "middle");
    a.set("ax", hundredths(dx));
    a.set("ay", hundredths(-dy));  // plotly's pixel offsets point down
    a.set("axref", "pixel");
    a.set("ayref", "pixel");
    a.set("arrowhead", 0);
    a.set("arrowwidth", LEADER_WIDTH);
    a.set("arrowcolor", LEADER_COLOR);
    a.set("standoff", scene.markerRadius);
  } else {
    a.set("xanchor", xAnchor(c.sideX));
    a.set("yanchor", yAnchor(c.sideY));
    a.set("xshift", hundredths(dx));
    a.set("yshift", hundredths(dy));
  }
  return a;
}

}  // namespace

figure::Array pointLabels(std::span<const LabelRecord> labels, std::array<double, 2> xRange,
                          std::array<double, 2> yRange, double plotWidth, double plotHeight,
                          const PointLabelOptions& options) {
  Placer placer(labels::scene(labels, xRange, yRange, plotWidth, plotHeight, options));
  placer.greedy();
  placer.repair();
  placer.shorten(labels);
  const Scene& scene = placer.scene();
  figure::Array out;
  for (std::size_t i = 0; i < scene.sites.size(); ++i) {
    const auto& p = placer.placed()[i];
    if (!p) continue;
    const LabelRecord& label = labels[scene.sites[i].record];
    out.push_back(annotation(label, placer.shortened(i).value_or(label.text), scene.sites[i], p->at, scene, options.fontPx));
  }
  return out;
}

}  // namespace tess::layout
