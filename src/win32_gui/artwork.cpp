#include "win32_gui/artwork.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "win32_gui/fonts.h"

namespace vk2::win32 {

namespace {

// A top-down 32-bit bitmap selected into a memory DC while painting.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    SetBkMode(dc_, TRANSPARENT);
  }
  ~Canvas() {
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  uint32_t* bits() const { return bits_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The finished bitmap, no longer owned by the canvas.
  HBITMAP release() {
    GdiFlush();
    SelectObject(dc_, old_);
    old_ = nullptr;
    HBITMAP done = bitmap_;
    bitmap_ = nullptr;
    return done;
  }

  void fill(const RECT& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc_, &r, brush);
    DeleteObject(brush);
  }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// Selects a pen and a brush (either may be absent) for one drawing call.
class Tools {
 public:
  Tools(HDC dc, int penWidth, COLORREF penColor, COLORREF brushColor, bool withPen = true, bool withBrush = true)
      : dc_(dc),
        pen_(withPen ? CreatePen(PS_SOLID, penWidth, penColor) : nullptr),
        brush_(withBrush ? CreateSolidBrush(brushColor) : nullptr) {
    oldPen_ = SelectObject(dc_, pen_ ? static_cast<HGDIOBJ>(pen_) : GetStockObject(NULL_PEN));
    oldBrush_ = SelectObject(dc_, brush_ ? static_cast<HGDIOBJ>(brush_) : GetStockObject(NULL_BRUSH));
  }
  ~Tools() {
    SelectObject(dc_, oldPen_);
    SelectObject(dc_, oldBrush_);
    if (pen_) DeleteObject(pen_);
    if (brush_) DeleteObject(brush_);
  }
  Tools(const Tools&) = delete;
  Tools& operator=(const Tools&) = delete;

 private:
  HDC dc_;
  HPEN pen_;
  HBRUSH brush_;
  HGDIOBJ oldPen_, oldBrush_;
};

COLORREF mix(COLORREF a, COLORREF b, double t) {
  auto channel = [t](int x, int y) { return static_cast<BYTE>(std::lround(x + (y - x) * t)); };
  return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
             channel(GetBValue(a), GetBValue(b)));
}

void text(HDC dc, const char* s, RECT r, HFONT font, COLORREF color, UINT format) {
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, color);
  DrawTextA(dc, s, -1, &r, format | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
}

int textWidth(HDC dc, const char* s, HFONT font) {
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, s, static_cast<int>(std::strlen(s)), &size);
  SelectObject(dc, old);
  return size.cx;
}

// A dark sky over a road, a lens as the logo and the product's name.
void paintBanner(Canvas& c) {
  HDC dc = c.dc();
  const int w = c.width(), h = c.height();
  const COLORREF top = RGB(0x2b, 0x31, 0x3b), bottom = RGB(0x0d, 0x10, 0x15);
  for (int y = 0; y < h; ++y) c.fill(RECT{0, y, w, y + 1}, mix(top, bottom, h > 1 ? double(y) / (h - 1) : 0));

  {
    // The road's yellow lines, a third opaque over the sky.
    Tools lines(dc, 1, RGB(105, 90, 34), 0, true, false);
    for (int i = 0; i < 6; ++i) {
      MoveToEx(dc, static_cast<int>(w * 0.55) + i * 30, h, nullptr);
      LineTo(dc, w - 10, static_cast<int>(h * 0.35));
    }
  }

  // The lens: a radial gradient from bright blue through deep blue to black.
  const double r = h * 0.36, cx = h * 0.55, cy = h / 2.0;
  const COLORREF inner = RGB(0x4f, 0xa8, 0xff), middle = RGB(0x16, 0x4a, 0x8c), outer = RGB(0x05, 0x0a, 0x14);
  for (int step = static_cast<int>(r); step > 0; --step) {
    const double t = step / r;
    const COLORREF color = t < 0.55 ? mix(inner, middle, t / 0.55) : mix(middle, outer, (t - 0.55) / 0.45);
    Tools ring(dc, 1, color, color, false, true);
    Ellipse(dc, static_cast<int>(cx - step), static_cast<int>(cy - step), static_cast<int>(cx + step) + 1,
            static_cast<int>(cy + step) + 1);
  }
  {
    Tools rim(dc, 2, RGB(0xd8, 0xdd, 0xe3), 0, true, false);
    Ellipse(dc, static_cast<int>(cx - r), static_cast<int>(cy - r), static_cast<int>(cx + r) + 1,
            static_cast<int>(cy + r) + 1);
  }
  {
    const double hx = cx - r * 0.35, hy = cy - r * 0.35, hr = std::max(1.5, r * 0.18);
    Tools glint(dc, 1, 0, RGB(0xc8, 0xd8, 0xea), false, true);
    Ellipse(dc, static_cast<int>(hx - hr), static_cast<int>(hy - hr), static_cast<int>(hx + hr) + 1,
            static_cast<int>(hy + hr) + 1);
  }

  const int textLeft = static_cast<int>(cx + r + 8);
  HFONT title = tahomaPixels(std::max(10, h * 2 / 5), true);
  text(dc, "VK2", RECT{textLeft, 0, w, h * 3 / 5 + 2}, title, RGB(0xf5, 0xc5, 0x18), DT_LEFT | DT_BOTTOM);
  const int subLeft = textLeft + textWidth(dc, "VK2 ", title);
  text(dc, "MP4 Conversion Tool", RECT{subLeft, 0, w, h * 3 / 5}, tahomaPixels(std::max(8, h / 4)),
       RGB(0xe6, 0xe9, 0xee), DT_LEFT | DT_BOTTOM);
}

void paintOpenFolder(HDC dc) {
  const COLORREF line = RGB(0x5a, 0x5e, 0x66);
  {
    // The back of the folder with its tab.
    const POINT back[] = {{6, 40}, {6, 8}, {20, 8}, {24, 13}, {46, 13}, {46, 19}};
    Tools fill(dc, 2, line, RGB(0xdc, 0xde, 0xe2), false, true);
    Polygon(dc, back, 6);
    Tools stroke(dc, 2, line, 0, true, false);
    Polyline(dc, back, 6);
  }
  {
    // A sheet peeking out.
    Tools sheet(dc, 2, line, RGB(0xff, 0xff, 0xff));
    Rectangle(dc, 13, 16, 39, 30);
  }
  // The open front flap.
  const POINT front[] = {{6, 40}, {15, 21}, {55, 21}, {46, 40}};
  Tools flap(dc, 2, line, RGB(0xb8, 0xbc, 0xc3));
  Polygon(dc, front, 4);
}

void paintFilmStrip(HDC dc) {
  {
    Tools strip(dc, 1, RGB(0x23, 0x26, 0x2b), RGB(0x33, 0x37, 0x3e));
    RoundRect(dc, 4, 6, 49, 41, 6, 6);
  }
  {
    // Sprocket holes along both edges.
    Tools holes(dc, 1, 0, RGB(0xf2, 0xf2, 0xf2), false, true);
    for (int i = 0; i < 6; ++i) {
      Rectangle(dc, 7 + i * 7, 8, 12 + i * 7, 13);
      Rectangle(dc, 7 + i * 7, 35, 12 + i * 7, 40);
    }
  }
  {
    Tools frame(dc, 1, 0, RGB(0x4f, 0x9c, 0xe8), false, true);
    Rectangle(dc, 6, 14, 48, 34);
  }
  const POINT play[] = {{22, 17}, {34, 23}, {22, 30}};
  Tools triangle(dc, 1, 0, RGB(0xff, 0xff, 0xff), false, true);
  Polygon(dc, play, 3);
}

void paintMemoryCard(HDC dc) {
  {
    const POINT card[] = {{12, 4}, {40, 4}, {44, 8}, {44, 42}, {40, 46}, {11, 46}, {7, 42}, {7, 12}};
    Tools body(dc, 1, RGB(0x23, 0x26, 0x2b), RGB(0x3b, 0x41, 0x4a));
    Polygon(dc, card, 8);
  }
  {
    // Gold contacts.
    Tools gold(dc, 1, 0, RGB(0xe0, 0xb0, 0x2c), false, true);
    for (int i = 0; i < 5; ++i) {
      const int left = 15 + static_cast<int>(i * 5.5);
      Rectangle(dc, left, 7, left + 5, 17);
    }
  }
  {
    Tools label(dc, 1, 0, RGB(0xf0, 0xf1, 0xf3), false, true);
    RoundRect(dc, 12, 24, 40, 41, 4, 4);
  }
  text(dc, "SD", RECT{12, 24, 39, 40}, tahomaPixels(9, true), RGB(0x23, 0x26, 0x2b), DT_CENTER | DT_VCENTER);
}

SIZE naturalSize(ui::Picture picture, int width, int height) {
  switch (picture) {
    case ui::Picture::OpenFolder:
      return {60, 46};
    case ui::Picture::FilmStrip:
      return {53, 47};
    case ui::Picture::MemoryCard:
      return {51, 49};
    default:
      return {width, height};
  }
}

}  // namespace

HBITMAP paintPicture(ui::Picture picture, int width, int height, COLORREF background) {
  const SIZE size = naturalSize(picture, width, height);
  Canvas c(static_cast<int>(size.cx), static_cast<int>(size.cy));
  c.fill(RECT{0, 0, c.width(), c.height()}, background);
  switch (picture) {
    case ui::Picture::Banner:
      paintBanner(c);
      break;
    case ui::Picture::OpenFolder:
      paintOpenFolder(c.dc());
      break;
    case ui::Picture::FilmStrip:
      paintFilmStrip(c.dc());
      break;
    case ui::Picture::MemoryCard:
      paintMemoryCard(c.dc());
      break;
    case ui::Picture::None:
      break;
  }
  return c.release();
}

HBITMAP fadedCopy(HBITMAP bitmap, COLORREF background) {
  BITMAP info{};
  GetObject(bitmap, sizeof info, &info);
  Canvas c(info.bmWidth, info.bmHeight);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, bitmap);
  BitBlt(c.dc(), 0, 0, c.width(), c.height(), source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  GdiFlush();
  const int count = c.width() * c.height();
  for (int i = 0; i < count; ++i) {
    const uint32_t p = c.bits()[i];  // 0x00RRGGBB
    const int grey = (((p >> 16) & 0xff) * 30 + ((p >> 8) & 0xff) * 59 + (p & 0xff) * 11) / 100;
    const COLORREF faded = mix(RGB(grey, grey, grey), background, 0.55);
    c.bits()[i] = (uint32_t(GetRValue(faded)) << 16) | (uint32_t(GetGValue(faded)) << 8) | GetBValue(faded);
  }
  return c.release();
}

}  // namespace vk2::win32
