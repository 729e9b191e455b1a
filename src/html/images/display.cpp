#include "html/images/display.h"

#include <memory>

#include "base/resource_ids.h"
#include "html/images/color_reduction.h"

namespace velmora::images {

namespace {

struct Display {
    int screenBits = 24;
    PaletteHandle sharedPalette;
    Palette sharedColors;
    std::unique_ptr<TBitmap> pending, broken, brokenMask;
    HCURSOR cursors[6] = {};
    TMemoryStream waitStream;
};

std::unique_ptr<Display>& Current() {
    static std::unique_ptr<Display> display;
    return display;
}

int override_ = 0;

int MeasureScreenBits() {
    ScreenDC dc;
    int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    return bits <= 4 ? 4 : bits > 8 ? 24 : 8;
}

void MakeSharedPalette(Display& d) {
    d.sharedPalette.reset();
    d.sharedColors.clear();
    if (d.screenBits != 8) return;
    Palette system(256);
    PALETTEENTRY entries[256] = {};
    ScreenDC dc;
    if (GetSystemPaletteEntries(dc, 0, 256, entries) == 256) {
        for (int i = 0; i < 256; ++i)
            system[size_t(i)] = Rgb{entries[i].peRed, entries[i].peGreen, entries[i].peBlue};
    } else {
        // Not a palette device (only when tests pretend): the static colours at both ends.
        Palette statics = SystemStaticColors();
        for (size_t i = 0; i < 10 && i < statics.size(); ++i)
            system[i] = statics[i];
        for (size_t i = 10; i < statics.size(); ++i)
            system[236 + i] = statics[i];
    }
    d.sharedColors = velmora::images::MakeSharedPalette(system);
    d.sharedPalette.reset(CreatePaletteFrom(d.sharedColors));
}

Display& Get() {
    if (!Current()) InitializeDisplay();
    return *Current();
}

std::unique_ptr<TBitmap> LoadBitmapResource(HINSTANCE instance, int id) {
    HBITMAP h = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return h ? std::make_unique<TBitmap>(h) : nullptr;
}

} // namespace

void InitializeDisplay() {
    if (Current()) return;
    auto d = std::make_unique<Display>();
    d->screenBits = override_ ? override_ : MeasureScreenBits();
    MakeSharedPalette(*d);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    d->broken = LoadBitmapResource(instance, VR_HTML_BROKEN);
    d->pending = LoadBitmapResource(instance, VR_HTML_PENDING);
    d->brokenMask = LoadBitmapResource(instance, VR_HTML_BROKEN_MASK);
    const char* names[6] = {nullptr,        MAKEINTRESOURCEA(VR_HTML_LINK_CURSOR), MAKEINTRESOURCEA(VR_HTML_IBEAM_CURSOR),
                            "UPDOWNCURSOR", "UPONLYCURSOR",         "DOWNONLYCURSOR"};
    for (int i = 1; i <= 5; ++i)
        d->cursors[i] = LoadCursorA(instance, names[i]);
    Current() = std::move(d);
}

void FinalizeDisplay() {
    Current().reset(); // resource cursors are shared: nothing to destroy
}

int ScreenBits() {
    return Get().screenBits;
}
HPALETTE SharedPalette() {
    return Get().sharedPalette.get();
}
const Palette& SharedPaletteColors() {
    return Get().sharedColors;
}

Palette SystemStaticColors() {
    Palette out = PaletteColors(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
    return out.empty() ? DefaultStaticColors() : out;
}

Palette TargetPalette() {
    return ScreenBits() < 8 ? SystemStaticColors() : SharedPaletteColors();
}

TBitmap* PendingImage() {
    return Get().pending.get();
}
TBitmap* BrokenImage() {
    return Get().broken.get();
}
TBitmap* BrokenImageMask() {
    return Get().brokenMask.get();
}

HCURSOR ViewerCursor(int number) {
    HCURSOR c = number >= 1 && number <= 5 ? Get().cursors[number] : nullptr;
    return c ? c : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
}

TMemoryStream* WaitImageStream() {
    return &Get().waitStream;
}

void OverrideScreenBits(int bits) {
    override_ = bits;
    Display& d = Get();
    d.screenBits = bits ? bits : MeasureScreenBits();
    MakeSharedPalette(d);
}

} // namespace velmora::images
