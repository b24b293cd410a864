#pragma once
// Loading documents into the text panes: RTF through our reader, anything
// else as plain text.
#include <QString>
#include <cstddef>
#include <string_view>

#include "app/rtfbuilder.h"

class QPlainTextEdit;
class QTextEdit;

namespace bq {

// Larger texts are not loaded at all: "Failed to Load Stream".
inline constexpr std::size_t kMaxPaneText = std::size_t{256} << 20;

// Replaces the whole content of the rich-text pane by `text`, read as RTF or,
// when it is not readable RTF, as plain text. Throws
// TRunError("Failed to Load Stream") when neither works; the pane then keeps
// its content. With `wrapWidth` (pixels), paragraphs of text wrap at that
// width, as on a page; else only text in table cells wraps.
void LoadRTF(QTextEdit* pane, std::string_view text, std::size_t limit = kMaxPaneText,
             int wrapWidth = 0);

// The text a plain-text pane shows for a file's bytes: an RTF text
// contributes its text only; lines end in LF. Throws TRunError("Failed to
// Load Stream") beyond the limit.
QString PaneText(std::string_view text, std::size_t limit = kMaxPaneText);
// Replaces the content of a plain-text pane by PaneText(text).
void LoadTextPane(QPlainTextEdit* pane, std::string_view text, std::size_t limit = kMaxPaneText);

}  // namespace bq
