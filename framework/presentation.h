// The control's presentation: its default extent, its drawing with the caller's DC left as it
// was, and the formats it renders as data (a metafile picture and an enhanced metafile of the
// extent). It knows only the extent and a draw callback, nothing of the control behind them.
#pragma once

#include <windows.h>
#include <objidl.h>

namespace fw {

// The drawing the presentation is made of: called with a DC and the bounds to fill; it may
// throw std::bad_alloc.
struct DrawCallback {
    void (*draw)(void* context, HDC hdc, const RECT& bounds);
    void* context;
};

// A new control's extent in HIMETRIC: 100 x 50 pixels at 96 dpi (2646 x 1323).
SIZEL DefaultExtent();

// Runs the drawing into hdc within bounds and restores the DC's state (selected objects,
// mapping) afterwards, also when the drawing throws.
void DrawInto(const DrawCallback& draw, HDC hdc, const RECT& bounds);

// Whether format asks for one of the rendered formats: S_OK, E_POINTER for none, else
// DV_E_FORMATETC, DV_E_DVASPECT, DV_E_LINDEX or DV_E_TYMED.
[[nodiscard]] HRESULT QueryDataFormat(const FORMATETC* format);

// IDataObject::GetData for a non-null medium: clears it, then fills it with the format drawn at
// the extent (the caller owns it then); on failure the medium is left empty (TYMED_NULL) and out
// of memory answers E_OUTOFMEMORY.
[[nodiscard]] HRESULT RenderDataFormat(const FORMATETC* format, const SIZEL& extent,
                                       const DrawCallback& draw, STGMEDIUM* medium);

// A new enumerator of the rendered formats in *e (non-null); E_OUTOFMEMORY when none is made.
[[nodiscard]] HRESULT EnumDataFormats(IEnumFORMATETC** e);

}  // namespace fw
