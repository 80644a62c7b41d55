// The percentage a gauge prints: of its range, truncated, with the progress held inside it.
#include "shell/widgets/TGauge.h"
#include "window_fixture.h"

namespace {

TEST(GaugeTest, PrintsTheWholePercentOfItsRange) {
  nv::test::ScriptedDialogs dialogs;
  nv::test::TestApplication(dialogs);
  struct Case {
    int min, max, progress;
    const char* text;
  };
  const Case cases[] = {
      {0, 100, 50, "50%"},   {0, 1536, 768, "50%"}, {0, 3, 1, "33%"},     {10, 20, 15, "50%"},
      {0, 100, 150, "100%"}, {0, 100, -5, "0%"},    {0, 0, 5, "0%"},      {5, 1, 3, "0%"},
      {0, 2000000000, 1999999999, "99%"},  // no overflow on the way
  };
  for (const Case& c : cases) {
    TGauge g(TGauge::Kind::Horizontal, Qt::blue, Qt::gray);
    g.setMinValue(c.min);
    g.setMaxValue(c.max);
    g.setProgress(c.progress);
    EXPECT_EQ(g.text(), c.text) << c.min << ".." << c.max << " at " << c.progress;
    EXPECT_EQ(g.progress(), c.progress);  // kept as given; only the display holds it in range
  }
}

}  // namespace
