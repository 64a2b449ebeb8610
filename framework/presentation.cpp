#include "presentation.h"

#include <iterator>
#include <vector>

#include "enumerator.h"
#include "hresult.h"
#include "raii.h"

namespace fw {

namespace {

// HIMETRIC units per inch, and the logical inch our extent defaults and metafiles are sized in.
constexpr int kHimetricPerInch = 2540;
constexpr int kDefaultDpi = 96;
// A new control is 100 x 50 pixels at 96 dpi: 2646 x 1323 HIMETRIC.
constexpr int kDefaultWidthPx = 100;
constexpr int kDefaultHeightPx = 50;

const FORMATETC kFormats[] = {
    {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT},
    {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF},
};

// Which of our formats a FORMATETC asks for: its index in kFormats, or an error.
HRESULT MatchFormat(const FORMATETC* format, size_t& index) {
    if (!format) return E_POINTER;
    bool formatKnown = false;
    for (size_t i = 0; i < std::size(kFormats); ++i) {
        if (format->cfFormat != kFormats[i].cfFormat) continue;
        formatKnown = true;
        if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (format->lindex != -1) return DV_E_LINDEX;
        if (!(format->tymed & kFormats[i].tymed)) continue;
        index = i;
        return S_OK;
    }
    return formatKnown ? DV_E_TYMED : DV_E_FORMATETC;
}

HRESULT RenderMetafilePict(const SIZEL& extent, const DrawCallback& draw, STGMEDIUM* medium) {
    const int widthPx = MulDiv(extent.cx, kDefaultDpi, kHimetricPerInch);
    const int heightPx = MulDiv(extent.cy, kDefaultDpi, kHimetricPerInch);
    MetaFileDc dc(CreateMetaFileW(nullptr));
    if (!dc) return E_OUTOFMEMORY;
    SetWindowOrgEx(dc.get(), 0, 0, nullptr);
    SetWindowExtEx(dc.get(), widthPx, heightPx, nullptr);
    DrawInto(draw, dc.get(), RECT{0, 0, widthPx, heightPx});
    MetaFile mf(CloseMetaFile(dc.release()));
    if (!mf) return E_OUTOFMEMORY;
    GlobalMem mem(GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, sizeof(METAFILEPICT)));
    if (!mem) return E_OUTOFMEMORY;
    auto* pict = static_cast<METAFILEPICT*>(GlobalLock(mem.get()));
    if (!pict) return E_OUTOFMEMORY;
    pict->mm = MM_ANISOTROPIC;
    pict->xExt = extent.cx;
    pict->yExt = extent.cy;
    pict->hMF = mf.release();
    GlobalUnlock(mem.get());
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = mem.release();
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT RenderEnhMetafile(const SIZEL& extent, const DrawCallback& draw, STGMEDIUM* medium) {
    const RECT frame{0, 0, extent.cx, extent.cy};
    EnhMetaFileDc dc(CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr));
    if (!dc) return E_OUTOFMEMORY;
    // Logical units are the reference device's pixels; size the drawing to fill the frame.
    const int horzRes = GetDeviceCaps(dc.get(), HORZRES);
    const int vertRes = GetDeviceCaps(dc.get(), VERTRES);
    const int horzMm = GetDeviceCaps(dc.get(), HORZSIZE);
    const int vertMm = GetDeviceCaps(dc.get(), VERTSIZE);
    const int widthPx = horzMm > 0 ? MulDiv(extent.cx, horzRes, horzMm * 100)
                                   : MulDiv(extent.cx, kDefaultDpi, kHimetricPerInch);
    const int heightPx = vertMm > 0 ? MulDiv(extent.cy, vertRes, vertMm * 100)
                                    : MulDiv(extent.cy, kDefaultDpi, kHimetricPerInch);
    DrawInto(draw, dc.get(), RECT{0, 0, widthPx, heightPx});
    HENHMETAFILE emf = CloseEnhMetaFile(dc.release());
    if (!emf) return E_OUTOFMEMORY;
    medium->tymed = TYMED_ENHMF;
    medium->hEnhMetaFile = emf;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

}  // namespace

SIZEL DefaultExtent() {
    return SIZEL{MulDiv(kDefaultWidthPx, kHimetricPerInch, kDefaultDpi),
                 MulDiv(kDefaultHeightPx, kHimetricPerInch, kDefaultDpi)};
}

void DrawInto(const DrawCallback& draw, HDC hdc, const RECT& bounds) {
    const int saved = SaveDC(hdc);
    try {
        draw.draw(draw.context, hdc, bounds);
    } catch (...) {
        if (saved) RestoreDC(hdc, saved);
        throw;
    }
    if (saved) RestoreDC(hdc, saved);
}

HRESULT QueryDataFormat(const FORMATETC* format) {
    size_t index = 0;
    return MatchFormat(format, index);
}

HRESULT RenderDataFormat(const FORMATETC* format, const SIZEL& extent, const DrawCallback& draw,
                         STGMEDIUM* medium) {
    medium->tymed = TYMED_NULL;
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
    size_t index = 0;
    FW_RETURN_IF_FAILED(MatchFormat(format, index));
    return OutOfMemoryAsHresult([&]() -> HRESULT {
        if (kFormats[index].cfFormat == CF_METAFILEPICT) {
            return RenderMetafilePict(extent, draw, medium);
        }
        return RenderEnhMetafile(extent, draw, medium);
    });
}

HRESULT EnumDataFormats(IEnumFORMATETC** e) {
    return OutOfMemoryAsHresult([&]() -> HRESULT {
        const std::vector<FORMATETC> formats(std::begin(kFormats), std::end(kFormats));
        return Enumerator<IEnumFORMATETC, FORMATETC, PlainCopy<FORMATETC>>::Create(formats, e);
    });
}

}  // namespace fw
