// Saves what a window shows as a 24-bit BMP, for looking at a control by eye
// (the tests call it only when VELMORA_HEX_SHOT names a file).
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstdlib>

inline void SaveWindowShot(HWND hwnd, const char* suffix) {
    const char* base = std::getenv("VELMORA_HEX_SHOT");
    if (!base) return;
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s%s.bmp", base, suffix);
    RECT r;
    GetClientRect(hwnd, &r);
    HDC window = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(window);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = r.right;
    bi.bmiHeader.biHeight = r.bottom;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(window, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, r.right, r.bottom, window, 0, 0, SRCCOPY);
    GdiFlush();
    const int stride = (r.right * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * r.bottom;
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        std::fwrite(bits, stride * r.bottom, 1, f);
        std::fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(hwnd, window);
}
