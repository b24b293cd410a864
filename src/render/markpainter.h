#pragma once
// The marks of a record (coloured squares, arrows, circles) as shapes over
// its board, drawn with Cairo or written as SVG elements. They follow the
// board's orientation.
#include <array>
#include <string>
#include <vector>

#include "convert/marks.h"
#include "render/cairoptr.h"

namespace bq {

// Where the 64 squares of a board stand on a surface: the top left corner
// of the square drawn first and the size of a square.
struct TSquareGrid {
  double X = 0, Y = 0, Width = 0, Height = 0;
  bool FromBlack = false;
};

struct TMarkShapes {
  struct TRect {
    double X, Y, Width, Height;
    TMarkColour Colour;
  };
  struct TPolygon {
    std::vector<std::array<double, 2>> Points;
    TMarkColour Colour;
  };
  struct TRing {
    double X, Y, Radius, Line;
    TMarkColour Colour;
  };
  std::vector<TRect> Squares;
  std::vector<TPolygon> Arrows;
  std::vector<TRing> Circles;
};

TMarkShapes MarkShapes(const TMarks& marks, const TSquareGrid& grid);
void DrawMarks(cairo_t* cr, const TMarkShapes& shapes);
void AppendSvgMarks(std::string& svg, const TMarkShapes& shapes);

}  // namespace bq
