// Ranked: what each group's state carries (escaping and the browser's view: tests/python/test_ranked*.py).
#include "render/families/ranked.hpp"

#include <gtest/gtest.h>

#include "errors.hpp"
#include "render/controls/builders.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Object;
using figure::Value;
using frame::Buffer;
using frame::Column;

frame::Frame table(std::vector<std::optional<std::string>> items, std::vector<std::optional<std::string>> kinds) {
  std::vector<double> values(items.size(), 1.0);
  return frame::Frame({"value", "kind"}, {Column::numbers(Buffer::of(std::move(values))), Column::strings(kinds)},
                      Column::strings(items));
}

TEST(RankedTest, EachGroupsStateShowsItsTraceAndPutsItsOwnItemsOnTheAxis) {
  RankedSpec s;
  s.groups = {{"T", table({"CD3E", "<b>X</b>"}, {"tf", "none"})}, {"B", table({"MS4A1"}, {"tf"})}};
  s.colorBy = frame::Name("kind");
  s.colors = {{"tf", "#B07AA1"}};
  s.horizontal = true;
  figure::Figure fig = ranked(s);
  EXPECT_EQ(fig.data.at(0).asObject().at("marker").asObject().at("color"), Value(Array{"#B07AA1", "#5B7FA6"}));
  const Array& buttons = fig.layout.at("updatemenus").asArray().at(0).asObject().at("buttons").asArray();
  const Array& args = buttons.at(1).asObject().at("args").asArray();
  EXPECT_EQ(args.at(0).asObject().at("visible"), Value(Array{false, true}));
  EXPECT_EQ(args.at(1).asObject().at("yaxis.categoryarray"), Value(Array{"MS4A1"}));
  const Array& first = buttons.at(0).asObject().at("args").asArray();
  EXPECT_EQ(first.at(1).asObject().at("yaxis.categoryarray"), Value(Array{"CD3E", "&lt;b&gt;X&lt;/b&gt;"}));
}

TEST(RankedTest, StateLayoutsMustMatchTheStates) {
  DropdownOptions options;
  options.stateLayouts = {Object{}};
  std::vector<std::string> labels{"a", "b"};
  std::vector<std::int64_t> groups{1, 1};
  EXPECT_THROW(dropdownControl(labels, groups, options), ValueError);
}

}  // namespace
}  // namespace tess::render
