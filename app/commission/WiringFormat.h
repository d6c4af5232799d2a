#pragma once
// The wiring check for the operator and for scripts. Text: the phasors, the
// angles, the unbalance, the findings and the checks not made, a line each.
// JSON: {"network": "4-wire", "phasors": {"Ua": {"magnitude": 230.0,
// "angle": 0.0, "unit": "В"}, ...}, "angles": {"theta_ab": 120.0, "phi_a":
// 25.8, ...}, "unbalance": {"voltage": 0.004, "current": 0.02},
// "findings": [{"code": "ct-reversed", "phases": ["B"], "text": "…"}],
// "not_checked": ["…"]}; an angle not known is null.

#include <string>
#include <vector>

#include "app/commission/ReportDocument.h"
#include "display/WiringAnalysis.h"

namespace vela {

std::vector<std::string> WiringLines(const TWiringResult& result);
std::string WiringJson(const TWiringResult& result);
// "Ua = 230.00 В ∠ 0.0°"; "Ia = 5.0000 А" when the angle is not known.
std::string PhasorText(const TPhasor& phasor);
// The report's section: the diagram (SVG) and a table of the phasors, the
// angles, the findings and the checks not made.
TReportSection WiringReportSection(const TWiringResult& result);

}  // namespace vela
