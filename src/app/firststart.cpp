#include "app/firststart.h"

#include <QTextDocument>
#include <QTextEdit>
#include <cmath>
#include <string>

#include "app/rtfreader.h"
#include "app/rtfview.h"
#include "support/bytes.h"

namespace bq {

namespace {

constexpr char kStartPosition[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

TConvertSettings SampleSettings(const TConvertSettings& settings, const TChessFontInfoMan& fonts) {
  TConvertSettings s = settings;
  s.ShowCoords = true;
  // A picture diagram is as large as the typed one, which needs no drawing.
  s.DiagramStyle = TDiagramStyle::Font;
  if (fonts.FontIndex(s.DiagFont) >= 0) return s;
  for (int i = 1; i <= fonts.FontCount(); ++i) {
    const ChessFontInfoRec& info = fonts.FontInfoRef(fonts.FontName(i));
    if (info.Diagram && info.CoordinatesPossible) {
      s.DiagFont = info.Name;
      s.DiagFontCharSet = info.Charset;
      break;
    }
  }
  return s;
}

// The start position with every chosen operation, so that each prints.
std::string SampleLine(const std::string& operations) {
  std::string line = kStartPosition;
  for (const std::string& item : SplitList(operations, ',')) {
    const std::string_view opcode = TrimLowBytes(item);
    if (!opcode.empty()) line.append(" ").append(opcode).append(" \"sample\";");
  }
  return line;
}

}  // namespace

QSize OneDiagramSize(const QTextEdit& preview, const TConvertSettings& settings,
                     const TChessFontInfoMan& fonts) {
  const TConvertSettings s = SampleSettings(settings, fonts);
  const TConvertJob job = MakeConvertJob(s, fonts);
  TRtfResult sample = ConvertEPDText(SampleLine(s.Operations), job);
  // An item that is no opcode spoils the line; the diagram alone still counts.
  if (!sample.Ok) sample = ConvertEPDText(kStartPosition, job);
  TRTFDocument rtf;
  if (!ReadRTF(sample.Document, rtf)) return QSize();
  QTextDocument doc;
  doc.setDefaultFont(preview.font());
  doc.setDocumentMargin(preview.document()->documentMargin());
  FillTextDocument(doc, rtf, preview.logicalDpiY());
  return QSize(static_cast<int>(std::ceil(doc.idealWidth() + 2 * doc.documentMargin())),
               static_cast<int>(std::ceil(doc.size().height())));
}

}  // namespace bq
