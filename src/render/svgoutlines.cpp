#include "render/svgoutlines.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "render/rendererror.h"

namespace bq {

void AppendSvgHundredths(std::string& out, long long hundredths) {
  char buf[32];
  char* p = buf;
  long long whole = hundredths / 100, part = hundredths % 100;
  if (hundredths < 0) {
    *p++ = '-';
    whole = -whole;
    part = -part;
  }
  p = std::to_chars(p, buf + sizeof buf, whole).ptr;
  if (part != 0) {
    *p++ = '.';
    *p++ = static_cast<char>('0' + part / 10);
    if (part % 10 != 0) *p++ = static_cast<char>('0' + part % 10);
  }
  out.append(buf, p);
}

void AppendSvgNumber(std::string& out, double v) {
  // Hundredths of a pixel are below what any viewer shows.
  AppendSvgHundredths(out, std::llround(v * 100));
}

TSvgOutlines::TSvgOutlines()
    : scratch_(cairo_recording_surface_create(CAIRO_CONTENT_ALPHA, nullptr)),
      cr_(cairo_create(scratch_.get())) {
  if (cairo_status(cr_.get()) != CAIRO_STATUS_SUCCESS) throw TRenderError("out of memory");
}

const std::string& TSvgOutlines::Glyph(cairo_scaled_font_t* font, unsigned long index) {
  const auto [it, added] = glyphs_.try_emplace(index);
  if (added) {
    cairo_t* cr = cr_.get();
    cairo_set_scaled_font(cr, font);
    cairo_new_path(cr);
    const cairo_glyph_t glyph{index, 0, 0};
    cairo_glyph_path(cr, &glyph, 1);
    AppendPath(it->second);
  }
  return it->second;
}

void TSvgOutlines::AppendText(std::string& out, const TTextBox& text, double x, double y) {
  cairo_new_path(cr_.get());
  text.AddPath(cr_.get(), x, y);
  AppendPath(out);
}

// Path data in relative steps between points rounded to hundredths: about
// a third shorter than absolute coordinates, and rounding cannot drift.
void TSvgOutlines::AppendPath(std::string& out) {
  cairo_path_t* path = cairo_copy_path(cr_.get());
  if (!path || path->status != CAIRO_STATUS_SUCCESS) {
    cairo_path_destroy(path);
    throw TRenderError("cannot trace a glyph");
  }
  long long x = 0, y = 0, startX = 0, startY = 0;  // in hundredths
  const auto number = [&](long long v) {
    if (v >= 0 && !out.empty() && out.back() != ' ' && !std::isalpha(out.back()))
      out.push_back(' ');
    AppendSvgHundredths(out, v);
  };
  // Each point relative to the point where the command starts.
  const auto steps = [&](const cairo_path_data_t* points, int count) {
    long long lastX = x, lastY = y;
    for (int k = 0; k < count; ++k) {
      const long long px = std::llround(points[k].point.x * 100);
      const long long py = std::llround(points[k].point.y * 100);
      number(px - x);
      number(py - y);
      lastX = px;
      lastY = py;
    }
    x = lastX;
    y = lastY;
  };
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t* d = &path->data[i];
    switch (d->header.type) {
      case CAIRO_PATH_MOVE_TO:
        out.push_back('m');
        steps(d + 1, 1);
        startX = x;
        startY = y;
        break;
      case CAIRO_PATH_LINE_TO:
        out.push_back('l');
        steps(d + 1, 1);
        break;
      case CAIRO_PATH_CURVE_TO:
        out.push_back('c');
        steps(d + 1, 3);
        break;
      case CAIRO_PATH_CLOSE_PATH:
        out.push_back('z');
        x = startX;
        y = startY;
        break;
    }
  }
  cairo_path_destroy(path);
}

}  // namespace bq
