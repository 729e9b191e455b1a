// The display-wide picture setup shared by every viewer: colour class, the
// standard palette, substitute pictures, the viewer's cursors and the stream
// that says "later".
#pragma once
#include <windows.h>

#include "html/images/bitmap.h"
#include "html/images/memory_stream.h"

namespace velmora::images {

// Made on first use (or by InitializeDisplay); FinalizeDisplay frees it all.
void InitializeDisplay();
void FinalizeDisplay();

// 4, 8 or 24: the screen's bits per pixel times its planes.
int ScreenBits();
// The one 256-entry palette every picture is brought to; none unless ScreenBits is 8.
HPALETTE SharedPalette();
const Palette& SharedPaletteColors();
// The colours pictures are reduced to on palette displays: the shared palette,
// or the system's 20 static colours on 16-colour displays.
Palette TargetPalette();
// The system's default palette (its static colours).
Palette SystemStaticColors();

// Substitute pictures from our resources.
TBitmap* PendingImage();
TBitmap* BrokenImage();
TBitmap* BrokenImageMask();
// The viewer's numbered cursors (1 to 5); the arrow for other numbers.
HCURSOR ViewerCursor(int number);
// Returned by an image request handler to say that the picture comes later.
TMemoryStream* WaitImageStream();

// Tests: runs the picture code as if the screen had this colour class
// (0 goes back to the real one). Remakes the shared palette.
void OverrideScreenBits(int bits);

} // namespace velmora::images
