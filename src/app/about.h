#pragma once
// The text of Help > About: the program, its licence, and where the free
// diagram fonts that install-fonts.sh fetches come from, under which
// licences.
#include <QString>

namespace bq {

QString AboutText();

}  // namespace bq
