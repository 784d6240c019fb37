#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "drawing/canvas.h"

// GDI+ for the program's lifetime: started by the first Gdiplus object made,
// shut down when it is destroyed. Make one before any image or canvas.
class GdiplusLibrary {
  public:
    GdiplusLibrary();
    ~GdiplusLibrary();
    GdiplusLibrary(const GdiplusLibrary&) = delete;
    GdiplusLibrary& operator=(const GdiplusLibrary&) = delete;
    bool started() const { return token_ != 0; }

  private:
    unsigned long long token_ = 0;
};

// A decoded image kept for the program's life (the sprite sheet), read from a
// resource of the module through a stream over a global memory block.
class GdiplusImage {
  public:
    GdiplusImage() = default;
    ~GdiplusImage();
    GdiplusImage(GdiplusImage&& other) noexcept;
    GdiplusImage& operator=(GdiplusImage&& other) noexcept;
    GdiplusImage(const GdiplusImage&) = delete;
    GdiplusImage& operator=(const GdiplusImage&) = delete;

    // The PNG (or any GDI+ codec's image) at resource (name, type) of `module`
    // (an HMODULE; null = the program). Empty when missing or undecodable.
    static GdiplusImage fromResource(void* module, int name, int type);
    // The same from bytes in memory (tests).
    static GdiplusImage fromBytes(const void* data, std::size_t size);

    bool valid() const { return bitmap_ != nullptr; }
    void* bitmap() const { return bitmap_; }  // the GpBitmap
    int width() const;
    int height() const;
    // The pixels as premultiplied 0xAARRGGBB rows, converted on first use
    // (empty when they cannot be read): copies at 1:1 blend from them.
    const std::vector<std::uint32_t>& premultipliedPixels() const;

  private:
    void* bitmap_ = nullptr;  // GpBitmap
    void* memory_ = nullptr;  // HGLOBAL the decoded image may still read from
    mutable std::vector<std::uint32_t> pixels_;
    mutable bool pixelsRead_ = false;
};

// A Canvas on an off-screen GDI+ bitmap. The bitmap is a 32-bit DIB section
// in the layout the display takes as it is (premultiplied BGRA, top-down), so
// showing it is a plain BitBlt of the rectangle that needs it.
//
// Coordinates are logical pixels (96 per inch); `scale` (dpi / 96) maps them
// to the device pixels the bitmap is made of, so a high-dpi panel is drawn at
// its full resolution. Sprites come from `sheet`, whose pixels are
// `sheetScale` times the logical cell sizes (1, or 2 for the 2x sheet).
class GdiplusCanvas final : public Canvas {
  public:
    // A canvas of deviceWidth x deviceHeight pixels, width() x height() logical
    // pixels. Zero or negative sizes give a canvas on which every call does nothing.
    GdiplusCanvas(int deviceWidth, int deviceHeight, float scale = 1.0f,
                  const GdiplusImage* sheet = nullptr, int sheetScale = 1);
    ~GdiplusCanvas() override;
    GdiplusCanvas(const GdiplusCanvas&) = delete;
    GdiplusCanvas& operator=(const GdiplusCanvas&) = delete;

    int width() const override { return logicalWidth_; }
    int height() const override { return logicalHeight_; }
    int deviceWidth() const { return deviceWidth_; }
    int deviceHeight() const { return deviceHeight_; }
    float scale() const { return scale_; }
    bool usable() const { return graphics_ != nullptr; }

    void clear(Argb colour) override;
    void fillRect(int x, int y, int w, int h, Argb colour) override;
    void fillRectF(float x, float y, float w, float h, Argb colour) override;
    void drawSprite(int dx, int dy, int w, int h, int sx, int sy) override;
    void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) override;
    void drawPolyline(std::span<const PointF> points, const Pen& pen) override;
    void drawText(float x, float y, std::u16string_view text, float size, Argb colour) override;
    void keepBackground(const BackgroundKey& key) override;
    bool restoreBackground(const BackgroundKey& key) override;

    // Draws only within the device-pixel rectangle [left, right) x [top,
    // bottom) until clipped again; the rest of the picture stays as it is.
    void clipTo(int left, int top, int right, int bottom);
    // Draws on the whole picture again.
    void unclip() { clipTo(0, 0, deviceWidth_, deviceHeight_); }

    // Copies the device-pixel rectangle [left, right) x [top, bottom) of the
    // picture to the same place of `hdc` (an HDC).
    void copyTo(void* hdc, int left, int top, int right, int bottom) const;
    // One device pixel as 0xAARRGGBB (premultiplied), for tests; 0 outside.
    std::uint32_t pixel(int x, int y) const;

  private:
    void* fontOfSize(float size);
    // Whole device pixels for logical ones, when the scale maps them exactly.
    bool exactPixels() const { return integralScale_ != 0; }
    void blendRect(int x, int y, int w, int h, std::uint32_t premultiplied);
    void flush() const;

    int logicalWidth_ = 0;
    int logicalHeight_ = 0;
    int deviceWidth_ = 0;
    int deviceHeight_ = 0;
    float scale_ = 1.0f;
    const GdiplusImage* sheet_ = nullptr;
    int sheetScale_ = 1;
    bool exactSprites_ = true;  // sheet pixels land 1:1 on device pixels
    int integralScale_ = 1;     // the scale when it is a whole number, else 0
    // Where drawing reaches, in device pixels: the whole picture unless clipped.
    int clipLeft_ = 0;
    int clipTop_ = 0;
    int clipRight_ = 0;
    int clipBottom_ = 0;

    void* dib_ = nullptr;       // HBITMAP
    void* memoryDc_ = nullptr;  // HDC holding the DIB for copies
    void* oldBitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    void* bitmap_ = nullptr;    // GpBitmap on the DIB's bits
    void* graphics_ = nullptr;  // GpGraphics
    // Kept for the canvas's life: the face redraws often with the same few of them.
    void* brush_ = nullptr;   // GpSolidFill, its colour set per call
    void* pen_ = nullptr;     // GpPen, colour and dash set per call
    void* format_ = nullptr;  // GpStringFormat
    void* family_ = nullptr;  // GpFontFamily
    struct SizedFont {
        float size;
        void* font;  // GpFont
    };
    std::vector<SizedFont> fonts_;
    std::vector<float> polyline_;            // reused point buffer
    std::vector<std::uint32_t> background_;  // the kept picture's device pixels
    BackgroundKey backgroundKey_;
};
