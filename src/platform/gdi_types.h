// Plain Windows-style drawing records and constants: bitmap info, logical
// palettes, pens, stretch modes, device-capability indices and the system error
// codes a device context reports. Laid out as the Windows structures, so a
// packed DIB block can be handed to the blits as it is.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace orlim {

#pragma pack(push, 1)
// A header followed by its colour table (or, for BI_BITFIELDS, its three masks).
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};

// A logical palette: palNumEntries entries follow the version word and count.
struct LOGPALETTE {
  WORD palVersion;
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
};
#pragma pack(pop)

static_assert(sizeof(PALETTEENTRY) == 4, "PALETTEENTRY must be 4 bytes");
static_assert(sizeof(LOGPALETTE) == 8, "LOGPALETTE must be 8 bytes");

constexpr WORD kLogPaletteVersion = 0x300;

// Opaque handles of drawing objects; a device context makes and deletes them.
struct HPALETTE__;
struct HPEN__;
using HPALETTE = HPALETTE__*;
using HPEN = HPEN__*;

// How the colour table of a DIB is to be read.
constexpr UINT DIB_RGB_COLORS = 0;  // RGBQUAD colours
constexpr UINT DIB_PAL_COLORS = 1;  // 16-bit indices into the selected logical palette

// Raster operation of the blits.
constexpr DWORD SRCCOPY = 0x00CC0020;

// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;
constexpr int PS_STYLE_MASK = 0x0000000F;

// Background modes (the gaps of styled lines).
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Device-capability indices.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int NUMRESERVED = 106;
constexpr int RC_PALETTE = 0x0100;
constexpr int RC_STRETCHDIB = 0x2000;
constexpr int RC_DIBTODEV = 0x0200;

constexpr int GDI_ERROR = -1;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Colour references that name a palette entry instead of a colour.
constexpr COLORREF PALETTEINDEX(WORD index) { return 0x01000000u | index; }
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) { return 0x02000000u | RGB(r, g, b); }

// System error codes the drawing calls leave behind.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;

// The system's text for an error code (as the message table words it, without
// the trailing line break).
inline const char* systemErrorText(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return "The operation completed successfully.";
    case ERROR_INVALID_HANDLE: return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY: return "Not enough memory resources are available to process this command.";
    case ERROR_NOT_SUPPORTED: return "The request is not supported.";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect.";
    default: return "Unknown error.";
  }
}

}  // namespace orlim
