#include "win32/win32_gdiplus_canvas.h"

// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

using namespace Gdiplus::DllExports;
using Gdiplus::GpBitmap;
using Gdiplus::GpBrush;
using Gdiplus::GpFont;
using Gdiplus::GpFontFamily;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;
using Gdiplus::GpPen;
using Gdiplus::GpPointF;
using Gdiplus::GpSolidFill;
using Gdiplus::GpStatus;
using Gdiplus::GpStringFormat;
using Gdiplus::Ok;
using Gdiplus::REAL;

namespace {

GpGraphics* G(void* p) {
    return static_cast<GpGraphics*>(p);
}

// Pixels span [i, i + 1) with the half-pixel offset mode, so the drawing
// rules' centres are where the library puts them.
constexpr REAL kPixelCentre = canvas_rules::kPixelCentre;

// In pen widths, which are one logical pixel.
constexpr REAL kDashPattern[] = {static_cast<REAL>(canvas_rules::kDashOn),
                                 static_cast<REAL>(canvas_rules::kDashOff)};

// An ARGB colour as the surface keeps it: channels multiplied by alpha.
std::uint32_t premultiply(Argb colour) {
    const std::uint32_t a = colour >> 24;
    if (a == 0xFF) return colour;
    const auto channel = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | channel(colour >> 16 & 0xFF) << 16 | channel(colour >> 8 & 0xFF) << 8 |
           channel(colour & 0xFF);
}

// Source over destination, both premultiplied.
std::uint32_t over(std::uint32_t src, std::uint32_t dst) {
    const std::uint32_t keep = 255 - (src >> 24);
    if (keep == 0) return src;
    if (keep == 255) return dst;
    const auto part = [&](int shift) {
        const std::uint32_t d = dst >> shift & 0xFF;
        return ((src >> shift & 0xFF) + (d * keep + 127) / 255) << shift;
    };
    return part(24) | part(16) | part(8) | part(0);
}

bool whole(float v) {
    return v == std::floor(v);
}

}  // namespace

GdiplusLibrary::GdiplusLibrary() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Ok) token_ = token;
}

GdiplusLibrary::~GdiplusLibrary() {
    if (token_ != 0) Gdiplus::GdiplusShutdown(static_cast<ULONG_PTR>(token_));
}

GdiplusImage::~GdiplusImage() {
    if (bitmap_ != nullptr) GdipDisposeImage(static_cast<GpImage*>(bitmap_));
    if (memory_ != nullptr) GlobalFree(static_cast<HGLOBAL>(memory_));
}

GdiplusImage::GdiplusImage(GdiplusImage&& other) noexcept
    : bitmap_(std::exchange(other.bitmap_, nullptr)),
      memory_(std::exchange(other.memory_, nullptr)) {}

GdiplusImage& GdiplusImage::operator=(GdiplusImage&& other) noexcept {
    if (this != &other) {
        GdiplusImage gone(std::move(*this));
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        memory_ = std::exchange(other.memory_, nullptr);
    }
    return *this;
}

GdiplusImage GdiplusImage::fromResource(void* module, int name, int type) {
    HMODULE from = static_cast<HMODULE>(module);
    HRSRC found = FindResourceW(from, MAKEINTRESOURCEW(name), MAKEINTRESOURCEW(type));
    if (found == nullptr) return {};
    const DWORD size = SizeofResource(from, found);
    HGLOBAL loaded = LoadResource(from, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (size == 0 || bytes == nullptr) return {};
    return fromBytes(bytes, size);
}

GdiplusImage GdiplusImage::fromBytes(const void* data, std::size_t size) {
    GdiplusImage image;
    if (size == 0) return image;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return image;
    void* copy = GlobalLock(block);
    if (copy == nullptr) {
        GlobalFree(block);
        return image;
    }
    std::memcpy(copy, data, size);
    GlobalUnlock(block);
    // The stream leaves the block alone when released: the decoded image may
    // go on reading from it, so it lives as long as the image.
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block, FALSE, &stream) != S_OK) {
        GlobalFree(block);
        return image;
    }
    GpBitmap* bitmap = nullptr;
    const GpStatus status = GdipCreateBitmapFromStream(stream, &bitmap);
    stream->Release();
    if (status != Ok || bitmap == nullptr) {
        if (bitmap != nullptr) GdipDisposeImage(bitmap);
        GlobalFree(block);
        return image;
    }
    image.bitmap_ = bitmap;
    image.memory_ = block;
    return image;
}

const std::vector<std::uint32_t>& GdiplusImage::premultipliedPixels() const {
    if (pixelsRead_ || bitmap_ == nullptr) return pixels_;
    pixelsRead_ = true;
    const int w = width();
    const int h = height();
    Gdiplus::BitmapData data{};
    const Gdiplus::GpRect all(0, 0, w, h);
    if (GdipBitmapLockBits(static_cast<GpBitmap*>(bitmap_), &all, Gdiplus::ImageLockModeRead,
                           PixelFormat32bppPARGB, &data) != Ok)
        return pixels_;
    pixels_.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        std::memcpy(pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w),
                    static_cast<const std::uint8_t*>(data.Scan0) +
                        static_cast<std::ptrdiff_t>(y) * data.Stride,
                    static_cast<std::size_t>(w) * sizeof(std::uint32_t));
    GdipBitmapUnlockBits(static_cast<GpBitmap*>(bitmap_), &data);
    return pixels_;
}

int GdiplusImage::width() const {
    UINT w = 0;
    if (bitmap_ != nullptr) GdipGetImageWidth(static_cast<GpImage*>(bitmap_), &w);
    return static_cast<int>(w);
}

int GdiplusImage::height() const {
    UINT h = 0;
    if (bitmap_ != nullptr) GdipGetImageHeight(static_cast<GpImage*>(bitmap_), &h);
    return static_cast<int>(h);
}

GdiplusCanvas::GdiplusCanvas(int deviceWidth, int deviceHeight, float scale,
                             const GdiplusImage* sheet, int sheetScale)
    : scale_(scale > 0.0f ? scale : 1.0f),
      sheet_(sheet != nullptr && sheet->valid() ? sheet : nullptr),
      sheetScale_(std::max(1, sheetScale)) {
    if (deviceWidth <= 0 || deviceHeight <= 0) return;
    deviceWidth_ = deviceWidth;
    deviceHeight_ = deviceHeight;
    clipRight_ = deviceWidth;
    clipBottom_ = deviceHeight;
    logicalWidth_ = static_cast<int>(std::lround(static_cast<float>(deviceWidth) / scale_));
    logicalHeight_ = static_cast<int>(std::lround(static_cast<float>(deviceHeight) / scale_));

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = deviceWidth;
    info.bmiHeader.biHeight = -deviceHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib == nullptr || bits == nullptr) return;
    dib_ = dib;
    bits_ = static_cast<std::uint32_t*>(bits);
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc != nullptr) {
        memoryDc_ = dc;
        oldBitmap_ = SelectObject(dc, dib);
    }

    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(deviceWidth, deviceHeight, deviceWidth * 4, PixelFormat32bppPARGB,
                                  static_cast<BYTE*>(bits), &bitmap) != Ok)
        return;
    bitmap_ = bitmap;
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(bitmap, &graphics) != Ok) return;
    graphics_ = graphics;
    GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
    GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
    GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAlias);
    GdipSetCompositingQuality(graphics, Gdiplus::CompositingQualityHighSpeed);
    if (scale_ != 1.0f)
        GdipScaleWorldTransform(graphics, scale_, scale_, Gdiplus::MatrixOrderPrepend);
    integralScale_ = whole(scale_) ? static_cast<int>(scale_) : 0;
    // Sprites whose sheet pixels fall 1:1 on device pixels are copied as they
    // are; any other scale is resampled smoothly.
    exactSprites_ = std::fabs(scale_ - static_cast<float>(sheetScale_)) < 0.01f;
    GdipSetInterpolationMode(graphics, exactSprites_
                                           ? Gdiplus::InterpolationModeNearestNeighbor
                                           : Gdiplus::InterpolationModeHighQualityBicubic);

    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(0xFF000000, &brush) == Ok) brush_ = brush;
    GpPen* pen = nullptr;
    if (GdipCreatePen1(0xFF000000, 1.0f, Gdiplus::UnitWorld, &pen) == Ok) pen_ = pen;
    GpStringFormat* format = nullptr;
    if (GdipCreateStringFormat(0, LANG_NEUTRAL, &format) == Ok) format_ = format;
    GpFontFamily* family = nullptr;
    if (GdipCreateFontFamilyFromName(L"Arial", nullptr, &family) != Ok || family == nullptr) {
        family = nullptr;
        GdipGetGenericFontFamilySansSerif(&family);
    }
    family_ = family;
}

GdiplusCanvas::~GdiplusCanvas() {
    for (const SizedFont& f : fonts_) GdipDeleteFont(static_cast<GpFont*>(f.font));
    if (family_ != nullptr) GdipDeleteFontFamily(static_cast<GpFontFamily*>(family_));
    if (format_ != nullptr) GdipDeleteStringFormat(static_cast<GpStringFormat*>(format_));
    if (pen_ != nullptr) GdipDeletePen(static_cast<GpPen*>(pen_));
    if (brush_ != nullptr) GdipDeleteBrush(static_cast<GpBrush*>(brush_));
    if (graphics_ != nullptr) GdipDeleteGraphics(G(graphics_));
    if (bitmap_ != nullptr) GdipDisposeImage(static_cast<GpImage*>(bitmap_));
    if (memoryDc_ != nullptr) {
        SelectObject(static_cast<HDC>(memoryDc_), static_cast<HGDIOBJ>(oldBitmap_));
        DeleteDC(static_cast<HDC>(memoryDc_));
    }
    if (dib_ != nullptr) DeleteObject(static_cast<HBITMAP>(dib_));
}

// Whole-pixel work goes straight to the surface's memory: the same pixels as
// the anti-aliased fills give there, without the library's per-pixel cost.
void GdiplusCanvas::flush() const {
    if (graphics_ != nullptr) GdipFlush(G(graphics_), Gdiplus::FlushIntentionSync);
}

void GdiplusCanvas::clipTo(int left, int top, int right, int bottom) {
    if (!usable()) return;
    clipLeft_ = std::clamp(left, 0, deviceWidth_);
    clipTop_ = std::clamp(top, 0, deviceHeight_);
    clipRight_ = std::clamp(right, clipLeft_, deviceWidth_);
    clipBottom_ = std::clamp(bottom, clipTop_, deviceHeight_);
    // The library takes the clip in the logical pixels its scale maps.
    const auto logical = [this](int device) { return static_cast<REAL>(device) / scale_; };
    GdipSetClipRect(G(graphics_), logical(clipLeft_), logical(clipTop_),
                    logical(clipRight_ - clipLeft_), logical(clipBottom_ - clipTop_),
                    Gdiplus::CombineModeReplace);
}

void GdiplusCanvas::blendRect(int x, int y, int w, int h, std::uint32_t premultiplied) {
    const int s = integralScale_;
    const int left = std::clamp(x * s, clipLeft_, clipRight_);
    const int right = std::clamp((x + w) * s, clipLeft_, clipRight_);
    const int top = std::clamp(y * s, clipTop_, clipBottom_);
    const int bottom = std::clamp((y + h) * s, clipTop_, clipBottom_);
    if (left >= right || top >= bottom) return;
    flush();
    for (int row = top; row < bottom; ++row) {
        std::uint32_t* line =
            bits_ + static_cast<std::size_t>(row) * static_cast<std::size_t>(deviceWidth_);
        if (premultiplied >> 24 == 0xFF) {
            std::fill(line + left, line + right, premultiplied);
        } else {
            for (int i = left; i < right; ++i) line[i] = over(premultiplied, line[i]);
        }
    }
}

void GdiplusCanvas::clear(Argb colour) {
    if (!usable()) return;
    flush();
    const std::uint32_t fill = premultiply(colour);
    for (int row = clipTop_; row < clipBottom_; ++row) {
        std::uint32_t* line =
            bits_ + static_cast<std::size_t>(row) * static_cast<std::size_t>(deviceWidth_);
        std::fill(line + clipLeft_, line + clipRight_, fill);
    }
}

void GdiplusCanvas::fillRect(int x, int y, int w, int h, Argb colour) {
    if (!usable() || brush_ == nullptr) return;
    if (exactPixels()) {
        if (w > 0 && h > 0) blendRect(x, y, w, h, premultiply(colour));
        return;
    }
    GdipSetSolidFillColor(static_cast<GpSolidFill*>(brush_), colour);
    GdipFillRectangleI(G(graphics_), static_cast<GpBrush*>(brush_), x, y, w, h);
}

void GdiplusCanvas::fillRectF(float x, float y, float w, float h, Argb colour) {
    if (!usable() || brush_ == nullptr) return;
    if (exactPixels() && whole(x) && whole(y) && whole(w) && whole(h)) {
        if (w > 0 && h > 0)
            blendRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                      static_cast<int>(h), premultiply(colour));
        return;
    }
    GdipSetSolidFillColor(static_cast<GpSolidFill*>(brush_), colour);
    GdipFillRectangle(G(graphics_), static_cast<GpBrush*>(brush_), x, y, w, h);
}

void GdiplusCanvas::drawSprite(int dx, int dy, int w, int h, int sx, int sy) {
    if (!usable() || sheet_ == nullptr) return;
    const std::vector<std::uint32_t>& sheet = sheet_->premultipliedPixels();
    if (exactSprites_ && exactPixels() && !sheet.empty()) {
        // Sheet pixels fall 1:1 on device pixels: blend them in directly.
        const int k = sheetScale_;
        const int sheetWidth = sheet_->width();
        const int sheetHeight = sheet_->height();
        flush();
        for (int row = 0; row < h * k; ++row) {
            const int ty = dy * k + row;
            const int fy = sy * k + row;
            if (ty < clipTop_ || ty >= clipBottom_ || fy < 0 || fy >= sheetHeight) continue;
            for (int col = 0; col < w * k; ++col) {
                const int tx = dx * k + col;
                const int fx = sx * k + col;
                if (tx < clipLeft_ || tx >= clipRight_ || fx < 0 || fx >= sheetWidth) continue;
                std::uint32_t& to =
                    bits_[static_cast<std::size_t>(ty) * static_cast<std::size_t>(deviceWidth_) +
                          static_cast<std::size_t>(tx)];
                to =
                    over(sheet[static_cast<std::size_t>(fy) * static_cast<std::size_t>(sheetWidth) +
                               static_cast<std::size_t>(fx)],
                         to);
            }
        }
        return;
    }
    const auto s = static_cast<REAL>(sheetScale_);
    GdipDrawImageRectRect(G(graphics_), static_cast<GpImage*>(sheet_->bitmap()),
                          static_cast<REAL>(dx), static_cast<REAL>(dy), static_cast<REAL>(w),
                          static_cast<REAL>(h), s * static_cast<REAL>(sx),
                          s * static_cast<REAL>(sy), s * static_cast<REAL>(w),
                          s * static_cast<REAL>(h), Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
}

namespace {

void preparePen(GpPen* pen, const Pen& style) {
    GdipSetPenColor(pen, style.colour);
    if (style.dashed) {
        GdipSetPenDashArray(pen, kDashPattern, 2);
    } else {
        GdipSetPenDashStyle(pen, Gdiplus::DashStyleSolid);
    }
}

}  // namespace

void GdiplusCanvas::drawLine(int x1, int y1, int x2, int y2, const Pen& pen) {
    if (!usable() || pen_ == nullptr) return;
    // The library's stroke ends half way into the end pixels and blurs a line
    // along a row or a column: such lines are their whole pixels, filled.
    if (exactPixels() && (x1 == x2) != (y1 == y2)) {
        const bool alongRow = y1 == y2;
        const std::uint32_t colour = premultiply(pen.colour);
        canvas_rules::forEachAxisLineRun(alongRow ? x1 : y1, alongRow ? x2 : y2, pen.dashed,
                                         [&](canvas_rules::PixelRun run) {
                                             if (alongRow) {
                                                 blendRect(run.first, y1, run.count, 1, colour);
                                             } else {
                                                 blendRect(x1, run.first, 1, run.count, colour);
                                             }
                                         });
        return;
    }
    preparePen(static_cast<GpPen*>(pen_), pen);
    GdipDrawLine(G(graphics_), static_cast<GpPen*>(pen_), static_cast<REAL>(x1) + kPixelCentre,
                 static_cast<REAL>(y1) + kPixelCentre, static_cast<REAL>(x2) + kPixelCentre,
                 static_cast<REAL>(y2) + kPixelCentre);
}

void GdiplusCanvas::drawPolyline(std::span<const PointF> points, const Pen& pen) {
    if (!usable() || pen_ == nullptr || points.size() < 2) return;
    polyline_.resize(points.size() * 2);
    for (std::size_t i = 0; i < points.size(); ++i) {
        polyline_[2 * i] = points[i].x + kPixelCentre;
        polyline_[2 * i + 1] = points[i].y + kPixelCentre;
    }
    preparePen(static_cast<GpPen*>(pen_), pen);
    static_assert(sizeof(GpPointF) == 2 * sizeof(float));
    GdipDrawLines(G(graphics_), static_cast<GpPen*>(pen_),
                  reinterpret_cast<const GpPointF*>(polyline_.data()),
                  static_cast<INT>(points.size()));
}

void* GdiplusCanvas::fontOfSize(float size) {
    for (const SizedFont& f : fonts_)
        if (f.size == size) return f.font;
    if (family_ == nullptr) return nullptr;
    GpFont* font = nullptr;
    if (GdipCreateFont(static_cast<GpFontFamily*>(family_), size, Gdiplus::FontStyleBold,
                       Gdiplus::UnitPixel, &font) != Ok)
        return nullptr;
    fonts_.push_back({size, font});
    return font;
}

void GdiplusCanvas::drawText(float x, float y, std::u16string_view text, float size, Argb colour) {
    if (!usable() || text.empty() || brush_ == nullptr) return;
    void* font = fontOfSize(size);
    if (font == nullptr) return;
    GdipSetSolidFillColor(static_cast<GpSolidFill*>(brush_), colour);
    // A near-aligned text in an empty layout box starts its measured box
    // (side padding included) at the box's corner: never wrapped or clipped.
    const Gdiplus::RectF box(x, y, 0.0f, 0.0f);
    GdipDrawString(G(graphics_), reinterpret_cast<const WCHAR*>(text.data()),
                   static_cast<INT>(text.size()), static_cast<GpFont*>(font), &box,
                   static_cast<GpStringFormat*>(format_), static_cast<GpBrush*>(brush_));
}

void GdiplusCanvas::keepBackground(const BackgroundKey& key) {
    if (!usable()) return;
    flush();
    background_.assign(bits_, bits_ + static_cast<std::size_t>(deviceWidth_) *
                                          static_cast<std::size_t>(deviceHeight_));
    backgroundKey_ = key;
}

bool GdiplusCanvas::restoreBackground(const BackgroundKey& key) {
    if (!usable() || background_.empty() || key != backgroundKey_) return false;
    flush();
    for (int row = clipTop_; row < clipBottom_; ++row) {
        const std::size_t start =
            static_cast<std::size_t>(row) * static_cast<std::size_t>(deviceWidth_);
        const std::uint32_t* kept = background_.data() + start;
        std::copy(kept + clipLeft_, kept + clipRight_, bits_ + start + clipLeft_);
    }
    return true;
}

void GdiplusCanvas::copyTo(void* hdc, int left, int top, int right, int bottom) const {
    if (memoryDc_ == nullptr || hdc == nullptr) return;
    left = std::clamp(left, 0, deviceWidth_);
    right = std::clamp(right, 0, deviceWidth_);
    top = std::clamp(top, 0, deviceHeight_);
    bottom = std::clamp(bottom, 0, deviceHeight_);
    if (left >= right || top >= bottom) return;
    flush();
    BitBlt(static_cast<HDC>(hdc), left, top, right - left, bottom - top,
           static_cast<HDC>(memoryDc_), left, top, SRCCOPY);
}

std::uint32_t GdiplusCanvas::pixel(int x, int y) const {
    if (bits_ == nullptr || x < 0 || y < 0 || x >= deviceWidth_ || y >= deviceHeight_) return 0;
    flush();
    return bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(deviceWidth_) +
                 static_cast<std::size_t>(x)];
}
