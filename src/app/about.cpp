#include "app/about.h"

#include <QtGlobal>

namespace bq {

QString AboutText() {
  // The font lines follow scripts/install-fonts.sh: what it unpacks, from
  // which Debian package, under the licence that package states.
  return QStringLiteral(
             "Boardquill %1\n"
             "Turns EPD positions into chess diagrams for documents.\n"
             "Copyright (C) the Boardquill developers. Free to use, copy and share.\n"
             "Built with Qt %2, used under the GNU LGPL version 3.\n"
             "\n"
             "The free diagram fonts that install-fonts.sh installs:\n"
             "- Chess Merida, Chess Adventurer, Chess Cases, Chess Condal, Chess Harlequin, "
             "Chess Kingdom, Chess Leipzig, Chess Line, Chess Lucena, Chess Magnetic, Chess Mark, "
             "Chess Marroquin, Chess Maya, Chess Mediaeval, Chess Millennia-L, Chess Motif, "
             "Chess Usual and Chess (TrueType): from the Debian package pychess "
             "(https://pychess.github.io/), under its licence, the GNU GPL version 3 "
             "or later.\n"
             "- SkakNew-Diagram, SkakNew-DiagramT and Chess Alpha Diagram, by Ulrich Dirr: "
             "from the Debian package texlive-games (the CTAN package skaknew, "
             "https://ctan.org/pkg/skaknew), under the LaTeX Project Public License.")
      .arg(QStringLiteral(BOARDQUILL_VERSION), QString::fromLatin1(qVersion()));
}

}  // namespace bq
