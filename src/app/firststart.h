#pragma once
// What the window must hold at its first start: one whole diagram in the
// preview, measured as the preview lays it out.
#include <QSize>

#include "convert/driver.h"
#include "fonts/catalogue.h"

class QTextEdit;

namespace bq {

// The size of the preview's document for one diagram with its operations
// above it, framed with coordinates when the font has them, in the chosen
// font or, when that is not catalogued, the first catalogued font with
// coordinates.
QSize OneDiagramSize(const QTextEdit& preview, const TConvertSettings& settings,
                     const TChessFontInfoMan& fonts);

}  // namespace bq
