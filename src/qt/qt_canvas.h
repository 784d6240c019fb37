#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QStaticText>
#include <optional>
#include <vector>

#include "drawing/canvas.h"

// A Canvas over an off-screen ARGB32 image, drawn with an anti-aliasing
// QPainter that stays open for the canvas's life. Sprites come from a shared
// sheet; without one (null or failed to load) sprite copies do nothing.
class QtCanvas final : public Canvas {
  public:
    // A zero-sized canvas has no image; every drawing call on it does nothing.
    QtCanvas(int width, int height, const QImage* spriteSheet = nullptr);
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }

    void clear(Argb colour) override;
    void fillRect(int x, int y, int w, int h, Argb colour) override;
    void fillRectF(float x, float y, float w, float h, Argb colour) override;
    void drawSprite(int dx, int dy, int w, int h, int sx, int sy) override;
    void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) override;
    void drawPolyline(std::span<const PointF> points, const Pen& pen) override;
    void drawText(float x, float y, std::u16string_view text, float size, Argb colour) override;
    void keepBackground(const BackgroundKey& key) override;
    bool restoreBackground(const BackgroundKey& key) override;

    // Limits drawing to `area` until the next call; an empty area lifts the limit.
    void clipTo(const QRegion& area);

    // The picture drawn so far; draw it (do not keep a copy: painting goes on in place).
    const QImage& image() const { return image_; }
    // Where the picture may differ from what it was at the last call: what
    // was drawn since, and what a kept background was restored over. The
    // first call answers the whole picture and starts the count.
    QRegion takeChanges();

  private:
    bool usable() const { return painter_.isActive(); }
    // Whether drawing within `area` cannot show: it lies wholly outside the
    // clip. A paint of the face's clock line then skips the other parts'
    // texts and sprites instead of handing each to the painter to clip away.
    bool hidden(const QRect& area) const { return !clip_.isEmpty() && !clip_.intersects(area); }
    // Notes that drawing reached into `area`, while a background is kept.
    void drawnOver(const QRect& area);
    static QRect reachOf(const QRect& area);
    // A rectangle or a region drawn over: what the next frame restores, and
    // what the window shows again.
    template <typename Reach>
    void noteDrawn(const Reach& reach) {
        if (!background_.isNull()) changedSinceKept_ += reach;
        if (changes_) *changes_ += reach;
    }
    void drawnOverPolyline(std::span<const PointF> points);
    static QRect textReach(float x, float y, std::size_t length, float size);
    void drawAxisLine(int x1, int y1, int x2, int y2, const Pen& pen);
    // Writes an opaque colour over `area`, which lies within the image.
    void fillPixels(const QRect& area, Argb colour);

    // A face font, made once per pixel size: the face redraws twenty times a
    // second with the same two or three sizes.
    struct SizedFont {
        int pixelSize;
        QFont font;
    };
    const SizedFont& fontOfSize(float size);

    // Laid-out texts, so that the legends redrawn on every tick are shaped once.
    // Texts that keep changing (the clock) push old entries out.
    struct LaidOutText {
        int pixelSize;
        QString text;
        QStaticText layout;
    };
    static constexpr std::size_t kMaxLaidOutTexts = 64;
    const QStaticText& layoutOf(const QString& text, const SizedFont& font);

    QImage image_;
    QPainter painter_;
    QRegion clip_;       // empty: no clip
    QImage background_;  // the kept picture, under backgroundKey_
    BackgroundKey backgroundKey_;
    QRegion changedSinceKept_;        // where the picture may differ from the kept one
    std::optional<QRegion> changes_;  // counted once asked for: see takeChanges
    const QImage* sheet_;
    std::vector<SizedFont> fonts_;
    std::vector<LaidOutText> texts_;
};
