// The phasor diagram window against the simulated device: one click opens it
// after a read, its picture is drawn, and pictures of a healthy network and
// of a reversed current transformer go to build/artifacts.

#include <gtest/gtest.h>

#include "app/Messages.h"
#include "display/PhasorDiagram.h"
#include "display/WiringAnalysis.h"
#include "qt/QtAutoRead.h"
#include "qt/QtCanvas.h"
#include "qt/QtProgram.h"
#include "qt/tests/QtTestApp.h"
#include "tests/support/VelaSimProcess.h"

namespace vela {
namespace {

struct TDiagramCase {
  const char* name;
  std::vector<std::string> simArgs;
  size_t findings;
};

class QtWiringTest : public testing::TestWithParam<TDiagramCase> {};

TEST_P(QtWiringTest, OneClickOpensTheDiagramOfTheReading) {
  test::EnsureQtApplication();
  test::VelaSimProcess sim(GetParam().simArgs);
  QtProgramOptions options;
  options.debugConsole = false;
  QtProgram program(options);
  ASSERT_FALSE(program.Failed());
  program.Window().show();
  TForm1& form = program.Form();
  ASSERT_TRUE(form.ChoosePort(sim.ServicePort()));
  form.Button4.Click();
  ASSERT_TRUE(test::RunEventsUntil([&] { return !form.Engine().FBusy; }, 20000));
  form.btnWiring.Click();
  QtWiringWindow& window = program.Window().WiringWindow();
  EXPECT_TRUE(window.isVisible());
  const TWiringResult result = AnalyseWiring(ValuesOf(*form.Engine().FCells));
  EXPECT_EQ(result.findings.size(), GetParam().findings);
  // The voltage arrow of Ua runs right from the centre in phase A's colour.
  auto* canvas = dynamic_cast<QtCanvas*>(form.FWiringView->Image.Canvas());
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(canvas->Image().pixelColor(250, 180), ToQColor(PhaseColor('A')));
  test::RunEventsUntil([] { return false; }, 100);
  EXPECT_TRUE(SaveScreenshot(window, test::ArtifactPath(QString("wiring-") + GetParam().name)));
  window.close();
  EXPECT_FALSE(form.FWiringView->IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Networks, QtWiringTest,
                         testing::Values(TDiagramCase{"healthy", {"--load-angle", "25.84"}, 0},
                                         TDiagramCase{
                                             "ct-reversed-B", {"--wiring", "ct-reversed:B"}, 1}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

}  // namespace
}  // namespace vela
