#pragma once
// Builds the preview's text document from a read RTF document: paragraphs
// as blocks, tables as borderless QTextTables, diagram rows flush.
#include <QString>
#include <string_view>

#include "app/rtfreader.h"

class QTextDocument;

namespace bq {

QString ToQString(std::u16string_view s);

// Replaces the content of `doc` by the read RTF document. Fonts are sized in
// pixels for `dpi`; every paragraph without its own line spacing gets an
// exact line height equal to its largest font size, so diagram rows (1 em
// glyph cells) join without gaps. Exact line spacing (\sl-N) is a line pitch
// of N twips, rounded to whole pixels as the fonts are.
// A character's background colour (shading of a diagram's square) fills
// its cell behind the glyph. A PNG picture is an image of its size on the
// page, drawn from its data (see TPreviewPictures); its line is as tall as
// it is.
// The text of a table cell of known width wraps, inside the cell less the
// row's gap (\trgaph) at each side; with `wrapText`, so does the text of
// paragraphs outside tables (at the width the pane gives the document).
// The document's default text option allows wrapping, every other block
// refuses it; diagram rows never wrap.
void FillTextDocument(QTextDocument& doc, const TRTFDocument& rtf, double dpi,
                      bool wrapText = false);

}  // namespace bq
