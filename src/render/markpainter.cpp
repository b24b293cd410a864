#include "render/markpainter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "render/svgoutlines.h"

namespace bq {

namespace {

// Parts of a square: the arrow's shaft and head width, the head's length,
// the ring's radius and line.
constexpr double kShaft = 0.2, kHead = 0.6, kHeadLength = 0.45, kRing = 0.42, kRingLine = 0.08;

// The top left corner of a cell's square as drawn.
std::array<double, 2> Corner(const TSquareGrid& g, std::uint8_t cell) {
  const int file = cell / 8, rank = cell % 8;  // from 0
  const int column = g.FromBlack ? 7 - file : file, row = g.FromBlack ? rank : 7 - rank;
  return {g.X + column * g.Width, g.Y + row * g.Height};
}

std::array<double, 2> Centre(const TSquareGrid& g, std::uint8_t cell) {
  const auto [x, y] = Corner(g, cell);
  return {x + g.Width / 2, y + g.Height / 2};
}

// An arrow from centre to centre: a shaft, then a head whose point is the
// second centre.
std::vector<std::array<double, 2>> ArrowOutline(std::array<double, 2> a, std::array<double, 2> b,
                                                double square) {
  const double dx = b[0] - a[0], dy = b[1] - a[1], length = std::hypot(dx, dy);
  const double ux = dx / length, uy = dy / length, nx = -uy, ny = ux;
  const double head = std::min(kHeadLength * square, length), shaft = kShaft * square / 2,
               wing = kHead * square / 2;
  const double sx = b[0] - ux * head, sy = b[1] - uy * head;
  return {{a[0] + nx * shaft, a[1] + ny * shaft}, {sx + nx * shaft, sy + ny * shaft},
          {sx + nx * wing, sy + ny * wing},       {b[0], b[1]},
          {sx - nx * wing, sy - ny * wing},       {sx - nx * shaft, sy - ny * shaft},
          {a[0] - nx * shaft, a[1] - ny * shaft}};
}

void SetColour(cairo_t* cr, TMarkColour colour, std::uint8_t alpha) {
  const std::uint32_t rgb = kMarkPaints[static_cast<std::size_t>(colour)].Rgb;
  cairo_set_source_rgba(cr, (rgb >> 16) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0,
                        alpha / 255.0);
}

std::string SvgPaint(const char* what, TMarkColour colour, std::uint8_t alpha) {
  char text[64];
  std::snprintf(text, sizeof text, "%s=\"#%06X\" %s-opacity=\"%.3f\"", what,
                static_cast<unsigned>(kMarkPaints[static_cast<std::size_t>(colour)].Rgb), what,
                alpha / 255.0);
  return text;
}

std::uint8_t SquareAlpha(TMarkColour colour) {
  return kMarkPaints[static_cast<std::size_t>(colour)].Alpha;
}

}  // namespace

TMarkShapes MarkShapes(const TMarks& marks, const TSquareGrid& grid) {
  TMarkShapes shapes;
  for (const TSquareMark& m : marks.Squares) {
    const auto [x, y] = Corner(grid, m.Cell);
    shapes.Squares.push_back({x, y, grid.Width, grid.Height, m.Colour});
  }
  const double square = std::min(grid.Width, grid.Height);
  for (const TArrowMark& m : marks.Arrows) {
    const auto [x, y] = Centre(grid, m.From);
    if (m.From == m.To)
      shapes.Circles.push_back({x, y, kRing * square, kRingLine * square, m.Colour});
    else
      shapes.Arrows.push_back({ArrowOutline({x, y}, Centre(grid, m.To), square), m.Colour});
  }
  return shapes;
}

void DrawMarks(cairo_t* cr, const TMarkShapes& shapes) {
  cairo_save(cr);
  for (const TMarkShapes::TRect& r : shapes.Squares) {
    SetColour(cr, r.Colour, SquareAlpha(r.Colour));
    cairo_rectangle(cr, r.X, r.Y, r.Width, r.Height);
    cairo_fill(cr);
  }
  for (const TMarkShapes::TRing& c : shapes.Circles) {
    SetColour(cr, c.Colour, kArrowAlpha);
    cairo_new_sub_path(cr);
    cairo_arc(cr, c.X, c.Y, c.Radius, 0, 2 * M_PI);
    cairo_set_line_width(cr, c.Line);
    cairo_stroke(cr);
  }
  for (const TMarkShapes::TPolygon& a : shapes.Arrows) {
    SetColour(cr, a.Colour, kArrowAlpha);
    for (const auto& [x, y] : a.Points) cairo_line_to(cr, x, y);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

void AppendSvgMarks(std::string& svg, const TMarkShapes& shapes) {
  // ` name="value"` for each pair.
  const auto attributes = [&svg](std::initializer_list<std::pair<const char*, double>> pairs) {
    for (const auto& [name, value] : pairs) {
      svg += ' ';
      svg += name;
      svg += "=\"";
      AppendSvgNumber(svg, value);
      svg += '"';
    }
  };
  for (const TMarkShapes::TRect& r : shapes.Squares) {
    svg += "<rect";
    attributes({{"x", r.X}, {"y", r.Y}, {"width", r.Width}, {"height", r.Height}});
    svg += ' ';
    svg += SvgPaint("fill", r.Colour, SquareAlpha(r.Colour)) + "/>\n";
  }
  for (const TMarkShapes::TRing& c : shapes.Circles) {
    svg += "<circle";
    attributes({{"cx", c.X}, {"cy", c.Y}, {"r", c.Radius}});
    svg += " fill=\"none\"";
    attributes({{"stroke-width", c.Line}});
    svg += ' ';
    svg += SvgPaint("stroke", c.Colour, kArrowAlpha) + "/>\n";
  }
  for (const TMarkShapes::TPolygon& a : shapes.Arrows) {
    svg += "<polygon points=\"";
    for (std::size_t k = 0; k < a.Points.size(); ++k) {
      if (k > 0) svg += ' ';
      AppendSvgNumber(svg, a.Points[k][0]);
      svg += ',';
      AppendSvgNumber(svg, a.Points[k][1]);
    }
    svg += "\" ";
    svg += SvgPaint("fill", a.Colour, kArrowAlpha) + "/>\n";
  }
}

}  // namespace bq
