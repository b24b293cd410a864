#pragma once
// Owning handles for the reference-counted objects of Cairo, Pango and
// fontconfig: each releases its one reference when it goes.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <glib-object.h>
#include <pango/pango.h>

#include <memory>

namespace bq {

template <typename T, void (*Release)(T*)>
struct TReleaser {
  void operator()(T* p) const {
    if (p) Release(p);
  }
};

using TCairo = std::unique_ptr<cairo_t, TReleaser<cairo_t, cairo_destroy>>;
using TCairoSurface =
    std::unique_ptr<cairo_surface_t, TReleaser<cairo_surface_t, cairo_surface_destroy>>;
using TCairoFontFace =
    std::unique_ptr<cairo_font_face_t, TReleaser<cairo_font_face_t, cairo_font_face_destroy>>;
using TCairoScaledFont =
    std::unique_ptr<cairo_scaled_font_t, TReleaser<cairo_scaled_font_t, cairo_scaled_font_destroy>>;
using TCairoFontOptions =
    std::unique_ptr<cairo_font_options_t,
                    TReleaser<cairo_font_options_t, cairo_font_options_destroy>>;
using TFcPattern = std::unique_ptr<FcPattern, TReleaser<FcPattern, FcPatternDestroy>>;
using TFcFontSet = std::unique_ptr<FcFontSet, TReleaser<FcFontSet, FcFontSetDestroy>>;
using TFcObjectSet = std::unique_ptr<FcObjectSet, TReleaser<FcObjectSet, FcObjectSetDestroy>>;
using TPangoFontDescription =
    std::unique_ptr<PangoFontDescription,
                    TReleaser<PangoFontDescription, pango_font_description_free>>;
using TPangoAttrList =
    std::unique_ptr<PangoAttrList, TReleaser<PangoAttrList, pango_attr_list_unref>>;

inline void ReleaseGObject(void* p) {
  g_object_unref(p);
}
// Pango's font maps, contexts and layouts are GObjects.
template <typename T>
using TGObject = std::unique_ptr<T, TReleaser<void, ReleaseGObject>>;

}  // namespace bq
