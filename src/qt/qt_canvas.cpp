#include "qt/qt_canvas.h"

#include <QFont>
#include <QPen>
#include <QPointF>
#include <QString>
#include <QVarLengthArray>
#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "qt/raster_strips.h"

namespace {

QColor toColor(Argb colour) {
    return QColor::fromRgba(colour);
}

QPen toPen(const Pen& pen) {
    QPen out(toColor(pen.colour));
    out.setWidth(1);
    if (pen.dashed) {
        out.setDashPattern({static_cast<qreal>(canvas_rules::kDashOn),
                            static_cast<qreal>(canvas_rules::kDashOff)});
    }
    return out;
}

constexpr qreal kPixelCentre = canvas_rules::kPixelCentre;

QFont faceFont(int pixelSize) {
    QFont font;
    // Arial where present; Liberation Sans has the same metrics; then any sans-serif.
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace

// Opaque 32-bit pixels: what the display's backing store holds, so showing the
// surface is a plain copy, with no blending of an alpha channel.
QtCanvas::QtCanvas(int width, int height, const QImage* spriteSheet)
    : image_(width > 0 && height > 0 ? QImage(width, height, QImage::Format_RGB32) : QImage()),
      sheet_(spriteSheet != nullptr && !spriteSheet->isNull() ? spriteSheet : nullptr) {
    if (image_.isNull()) return;
    image_.fill(Qt::black);
    painter_.begin(&image_);
    painter_.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
}

void QtCanvas::clipTo(const QRegion& area) {
    if (!usable()) return;
    clip_ = area;
    painter_.setClipRegion(area);
    painter_.setClipping(!area.isEmpty());
}

void QtCanvas::clear(Argb colour) {
    if (!usable()) return;
    drawnOver(image_.rect());
    // An opaque colour replaces the pixels: they are written straight into the
    // image, under a clip (the face's changed bands) only within its parts.
    // Filled through the clip, the painter would walk the region row by row.
    if (qAlpha(colour) == 0xFF) {
        const QRegion area = clip_.isEmpty() ? QRegion(image_.rect()) : clip_ & image_.rect();
        for (const QRect& part : area) fillPixels(part, colour);
        return;
    }
    const QRect area = painter_.hasClipping()
                           ? painter_.clipBoundingRect().toAlignedRect() & image_.rect()
                           : image_.rect();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    const QColor fill = toColor(colour);
    forEachRasterStrip(area, [&](const QRect& strip) { painter_.fillRect(strip, fill); });
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void QtCanvas::fillRect(int x, int y, int w, int h, Argb colour) {
    if (!usable() || hidden(QRect(x, y, w, h))) return;
    drawnOver(QRect(x, y, w, h));
    const QColor fill = toColor(colour);
    forEachRasterStrip(QRect(x, y, w, h),
                       [&](const QRect& strip) { painter_.fillRect(strip, fill); });
}

void QtCanvas::fillRectF(float x, float y, float w, float h, Argb colour) {
    const QRect area = QRectF(x, y, w, h).toAlignedRect();
    if (!usable() || hidden(area)) return;
    drawnOver(area);
    painter_.fillRect(QRectF(x, y, w, h), toColor(colour));
}

void QtCanvas::drawSprite(int dx, int dy, int w, int h, int sx, int sy) {
    if (!usable() || sheet_ == nullptr || hidden(QRect(dx, dy, w, h))) return;
    drawnOver(QRect(dx, dy, w, h));
    painter_.drawImage(QPoint(dx, dy), *sheet_, QRect(sx, sy, w, h));
}

void QtCanvas::drawLine(int x1, int y1, int x2, int y2, const Pen& pen) {
    // A smoothed one-pixel line reaches a pixel past its ends' centres.
    const QRect area = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized().adjusted(-1, -1, 1, 1);
    if (!usable() || hidden(area)) return;
    drawnOver(area);
    if ((x1 == x2) != (y1 == y2)) {
        drawAxisLine(x1, y1, x2, y2, pen);
        return;
    }
    painter_.setPen(toPen(pen));
    painter_.drawLine(QPointF(x1 + kPixelCentre, y1 + kPixelCentre),
                      QPointF(x2 + kPixelCentre, y2 + kPixelCentre));
}

// The raster engine strokes a one-pixel line along a row or a column as the
// pixels the drawing rules name. Filling those pixels gives the same picture
// without the stroker, which hands a dashed grid line (a hundred dashes) or
// a tall mark line to its thread pool and cost most of a chart repaint.
void QtCanvas::drawAxisLine(int x1, int y1, int x2, int y2, const Pen& pen) {
    const bool alongRow = y1 == y2;
    const QColor colour = toColor(pen.colour);
    // An opaque dash replaces its pixels: they are written straight into the
    // image (the painter keeps no copy of them); a see-through one is blended,
    // and under a clip the painter draws it.
    const bool opaque = qAlpha(pen.colour) == 0xFF && !painter_.hasClipping();
    const QRect bounds = image_.rect();
    canvas_rules::forEachAxisLineRun(
        alongRow ? x1 : y1, alongRow ? x2 : y2, pen.dashed, [&](canvas_rules::PixelRun run) {
            const QRect dash =
                alongRow ? QRect(run.first, y1, run.count, 1) : QRect(x1, run.first, 1, run.count);
            if (!opaque) {
                forEachRasterStrip(dash,
                                   [&](const QRect& strip) { painter_.fillRect(strip, colour); });
                return;
            }
            fillPixels(dash.intersected(bounds), pen.colour);
        });
}

void QtCanvas::fillPixels(const QRect& area, Argb colour) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::fill(row + area.left(), row + area.right() + 1, colour);
    }
}

void QtCanvas::drawPolyline(std::span<const PointF> points, const Pen& pen) {
    if (!usable() || points.size() < 2) return;
    auto [left, right] = std::ranges::minmax(points, {}, &PointF::x);
    auto [top, bottom] = std::ranges::minmax(points, {}, &PointF::y);
    const QRect area =
        QRectF(QPointF(left.x, top.y), QPointF(right.x + 1.0, bottom.y + 1.0)).toAlignedRect();
    if (hidden(area.adjusted(-1, -1, 1, 1))) return;
    QVarLengthArray<QPointF, 512> shifted;
    shifted.reserve(static_cast<qsizetype>(points.size()));
    for (const PointF& p : points) shifted.append(QPointF(p.x + kPixelCentre, p.y + kPixelCentre));
    drawnOverPolyline(points);
    painter_.setPen(toPen(pen));
    // Under a rectangle clip the raster engine cuts each segment to it first
    // and draws the trace in about half the time it takes clipping each span;
    // the pixels are the same.
    const bool unclipped = clip_.isEmpty();
    if (unclipped) painter_.setClipRect(image_.rect());
    painter_.drawPolyline(shifted.constData(), static_cast<int>(shifted.size()));
    if (unclipped) painter_.setClipping(false);
}

void QtCanvas::drawText(float x, float y, std::u16string_view text, float size, Argb colour) {
    if (!usable() || text.empty() || hidden(textReach(x, y, text.size(), size))) return;
    const SizedFont& sized = fontOfSize(size);
    const QString s = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    // A laid-out text is placed by the top-left corner of its box (advance
    // width by line height): the baseline sits one ascent below y.
    const QStaticText& laidOut = layoutOf(s, sized);
    drawnOver(QRectF(QPointF(x, y), laidOut.size()).toAlignedRect());
    painter_.setFont(sized.font);
    painter_.setPen(toColor(colour));
    painter_.drawStaticText(QPointF(x, y), laidOut);
}

// Where a text can reach, known before it is laid out: no glyph of a face font
// (or of a fallback) is wider than 1.25 em, nor is a line taller than 1.5 em.
QRect QtCanvas::textReach(float x, float y, std::size_t length, float size) {
    constexpr float kBleed = 2.0f;
    const auto em = static_cast<float>(qMax(1, qRound(size)));
    return QRectF(x - kBleed, y - kBleed, static_cast<float>(length) * em * 1.25f + 2 * kBleed,
                  em * 1.5f + 2 * kBleed)
        .toAlignedRect();
}

void QtCanvas::drawnOver(const QRect& area) {
    noteDrawn(reachOf(area));
}

// A smoothed edge or a glyph's overhang reaches a little past the area.
QRect QtCanvas::reachOf(const QRect& area) {
    constexpr int kBleed = 2;
    return area.adjusted(-kBleed, -kBleed, kBleed, kBleed);
}

namespace {

// The union of many boxes, joined in pairs: each join is as dear as the boxes
// both sides hold, so halves cost far less than adding one box at a time.
QRegion unionOf(std::span<const QRect> boxes) {
    if (boxes.size() == 1) return boxes.front();
    const std::size_t half = boxes.size() / 2;
    return unionOf(boxes.first(half)) | unionOf(boxes.subspan(half));
}

}  // namespace

// A trace across the chart reaches only a band around itself, not its whole
// bounding box: it is noted as the boxes of runs of its segments, each run at
// most kRunWidth pixels wide, so that the next frame restores and shows only
// those boxes.
void QtCanvas::drawnOverPolyline(std::span<const PointF> points) {
    constexpr float kRunWidth = 32.0f;
    // A run's bounds; a segment covers its ends' pixels, one past the larger.
    struct Bounds {
        float left, top, right, bottom;
        QRect reach() const {
            return reachOf(QRectF(QPointF(left, top), QPointF(right, bottom)).toAlignedRect());
        }
    };
    QVarLengthArray<QRect, 64> boxes;
    std::optional<Bounds> run;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const PointF& from = points[i - 1];
        const PointF& to = points[i];
        const auto [left, right] = std::minmax(from.x, to.x);
        const auto [top, bottom] = std::minmax(from.y, to.y);
        const Bounds segment{left, top, right + 1.0f, bottom + 1.0f};
        if (run &&
            std::max(run->right, segment.right) - std::min(run->left, segment.left) > kRunWidth) {
            boxes.append(run->reach());
            run.reset();
        }
        if (!run) {
            run = segment;
            continue;
        }
        run->left = std::min(run->left, segment.left);
        run->top = std::min(run->top, segment.top);
        run->right = std::max(run->right, segment.right);
        run->bottom = std::max(run->bottom, segment.bottom);
    }
    if (run) boxes.append(run->reach());
    if (!boxes.isEmpty())
        noteDrawn(unionOf({boxes.constData(), static_cast<std::size_t>(boxes.size())}));
}

QRegion QtCanvas::takeChanges() {
    if (!changes_) {
        changes_.emplace();
        return image_.rect();
    }
    return std::exchange(*changes_, QRegion()).intersected(image_.rect());
}

void QtCanvas::keepBackground(const BackgroundKey& key) {
    if (!usable()) return;
    background_ = image_.copy();
    backgroundKey_ = key;
    changedSinceKept_ = QRegion();
}

bool QtCanvas::restoreBackground(const BackgroundKey& key) {
    if (!usable() || background_.isNull() || key != backgroundKey_) return false;
    const QRegion changed = std::exchange(changedSinceKept_, QRegion()).intersected(image_.rect());
    if (changes_) *changes_ += painter_.hasClipping() ? QRegion(image_.rect()) : changed;
    if (painter_.hasClipping()) {
        painter_.setCompositionMode(QPainter::CompositionMode_Source);
        painter_.drawImage(0, 0, background_);
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return true;
    }
    // Only what was drawn since differs from the kept picture: the rest stays
    // as it is. The two images share size and layout, row for row.
    uchar* to = image_.bits();
    const uchar* from = background_.constBits();
    const auto rowBytes = static_cast<std::size_t>(image_.bytesPerLine());
    for (const QRect& area : changed) {
        const auto left = static_cast<std::size_t>(area.left()) * sizeof(QRgb);
        const auto bytes = static_cast<std::size_t>(area.width()) * sizeof(QRgb);
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const std::size_t start = static_cast<std::size_t>(y) * rowBytes + left;
            std::memcpy(to + start, from + start, bytes);
        }
    }
    return true;
}

const QtCanvas::SizedFont& QtCanvas::fontOfSize(float size) {
    const int pixelSize = qMax(1, qRound(size));
    for (const SizedFont& f : fonts_)
        if (f.pixelSize == pixelSize) return f;
    fonts_.push_back({pixelSize, faceFont(pixelSize)});
    return fonts_.back();
}

const QStaticText& QtCanvas::layoutOf(const QString& text, const SizedFont& font) {
    for (const LaidOutText& t : texts_)
        if (t.pixelSize == font.pixelSize && t.text == text) return t.layout;
    if (texts_.size() >= kMaxLaidOutTexts) texts_.clear();
    QStaticText layout(text);
    layout.setTextFormat(Qt::PlainText);
    layout.setPerformanceHint(QStaticText::AggressiveCaching);
    layout.prepare(QTransform(), font.font);
    texts_.push_back({font.pixelSize, text, std::move(layout)});
    return texts_.back().layout;
}
