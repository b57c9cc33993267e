#include "win/pictures.h"

namespace quelm::win {

namespace {

constexpr int kBoxWidth = 700;
constexpr int kBoxHeight = 351;

void fill(HDC dc, RECT r, COLORREF colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
}

void roundBox(HDC dc, int l, int t, int r, int b, COLORREF face, COLORREF edge) {
    HBRUSH brush = ::CreateSolidBrush(face);
    HPEN pen = ::CreatePen(PS_SOLID, 2, edge);
    HGDIOBJ oldBrush = ::SelectObject(dc, brush);
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    ::RoundRect(dc, l, t, r, b, 18, 18);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(brush);
    ::DeleteObject(pen);
}

void label(HDC dc, int x, int y, const wchar_t* text, COLORREF colour) {
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    ::TextOutW(dc, x, y, text, static_cast<int>(::wcslen(text)));
}

// Background, table, cable, box with its two channel lights, detector.
void drawBox(HDC dc) {
    fill(dc, {0, 0, kBoxWidth, 300}, RGB(236, 240, 246));
    fill(dc, {0, 300, kBoxWidth, kBoxHeight}, RGB(188, 196, 206));
    HPEN cable = ::CreatePen(PS_SOLID, 9, RGB(40, 40, 45));
    HGDIOBJ old = ::SelectObject(dc, cable);
    const POINT curve[] = {{70, 185}, {20, 190}, {40, 290}, {110, 300}, {150, 305}, {150, 330}, {120, 334}};
    ::PolyBezier(dc, curve, 7);
    ::SelectObject(dc, old);
    ::DeleteObject(cable);
    roundBox(dc, 70, 322, 120, 346, RGB(55, 55, 60), RGB(20, 20, 20));
    roundBox(dc, 70, 120, 330, 300, RGB(42, 82, 140), RGB(20, 40, 80));
    roundBox(dc, 100, 150, 300, 200, RGB(220, 226, 234), RGB(60, 60, 70));
    label(dc, 120, 165, L"BOX", RGB(20, 40, 80));
    roundBox(dc, 110, 240, 140, 270, RGB(60, 200, 90), RGB(20, 80, 30));
    roundBox(dc, 160, 240, 190, 270, RGB(230, 150, 40), RGB(90, 60, 10));
    roundBox(dc, 430, 90, 630, 300, RGB(240, 240, 236), RGB(90, 90, 90));
    roundBox(dc, 480, 130, 580, 200, RGB(120, 130, 140), RGB(50, 50, 60));
    label(dc, 470, 240, L"Quelm", RGB(40, 40, 40));
}

} // namespace

HBITMAP ArrowBitmap() {
    static HBITMAP bitmap = [] {
        HDC screen = ::GetDC(nullptr);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP made = ::CreateCompatibleBitmap(screen, 50, 60);
        HGDIOBJ old = ::SelectObject(dc, made);
        fill(dc, {0, 0, 50, 60}, RGB(192, 192, 192));
        HBRUSH brush = ::CreateSolidBrush(RGB(30, 60, 150));
        HGDIOBJ oldBrush = ::SelectObject(dc, brush);
        const POINT arrow[] = {{4, 22}, {28, 22}, {28, 8}, {46, 30}, {28, 52}, {28, 38}, {4, 38}};
        ::Polygon(dc, arrow, 7);
        ::SelectObject(dc, oldBrush);
        ::DeleteObject(brush);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        ::ReleaseDC(nullptr, screen);
        return made;
    }();
    return bitmap;
}

void DrawBoxPicture(HDC dc, const RECT& area) {
    static HBITMAP picture = nullptr;
    HDC memory = ::CreateCompatibleDC(dc);
    if (picture == nullptr) {
        picture = ::CreateCompatibleBitmap(dc, kBoxWidth, kBoxHeight);
        HGDIOBJ old = ::SelectObject(memory, picture);
        drawBox(memory);
        ::SelectObject(memory, old);
    }
    HGDIOBJ old = ::SelectObject(memory, picture);
    ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, 0, 0, kBoxWidth,
                 kBoxHeight, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

} // namespace quelm::win
