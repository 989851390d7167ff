#include "app/Fonts_win.h"

namespace stowly {

HFONT MessageFont(UINT dpi, int tenthsOfPoint, LONG weight, const wchar_t* face) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    LOGFONTW lf = ncm.lfMessageFont;
    lf.lfHeight = -MulDiv(tenthsOfPoint, static_cast<int>(dpi), 720);
    lf.lfWidth = 0;
    lf.lfWeight = weight;
    if (face) lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

} // namespace stowly
