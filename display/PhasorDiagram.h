#pragma once
// The wiring check drawn: the voltage and current phasors as arrows from the
// centre, each kind to its own scale, labelled; beside them the phasors'
// magnitudes and the angles; under them the findings and the checks not
// made. Drawn on any canvas: the window's image, the report's SVG, a test's
// recording.

#include "display/WiringAnalysis.h"
#include "ui/Canvas.h"

namespace vela {

// The picture's size in the window and the report.
constexpr int kPhasorPictureWidth = 640;
constexpr int kPhasorPictureHeight = 540;

// Phase colours: A yellow, B green, C red, as the conductors are marked.
TColor PhaseColor(char phase);

// The whole picture in width x height, from the top-left corner; without a
// reading (result empty) a line saying so.
void DrawPhasorPicture(TCanvas& canvas, int width, int height, const TWiringResult* result);

}  // namespace vela
