#include "qt/qt_canvas.h"

#include <QFont>
#include <QPen>
#include <QPointF>
#include <QString>
#include <QVarLengthArray>
#include <algorithm>
#include <cstdlib>

namespace {

QColor toColor(Argb colour) {
    return QColor::fromRgba(colour);
}

QPen toPen(const Pen& pen) {
    QPen out(toColor(pen.colour));
    out.setWidth(1);
    out.setStyle(pen.dashed ? Qt::DashLine : Qt::SolidLine);
    return out;
}

// Integer coordinates name pixel centres for lines, so a one-pixel line at an
// integer row covers exactly that row.
constexpr qreal kPixelCentre = 0.5;

// Qt's raster engine hands any primitive that covers more than about a
// hundred rows to its thread pool in slices; for a one-pixel vertical line
// (the chart's marker, tag and time lines) waking the pool costs far more than
// the drawing, and made a chart repaint four times slower. Such lines are
// drawn in pieces of at most this many rows.
constexpr int kMaxLineRows = 64;

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

void QtCanvas::clear(Argb colour) {
    if (!usable()) return;
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.fillRect(image_.rect(), toColor(colour));
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void QtCanvas::fillRect(int x, int y, int w, int h, Argb colour) {
    if (usable()) painter_.fillRect(QRect(x, y, w, h), toColor(colour));
}

void QtCanvas::fillRectF(float x, float y, float w, float h, Argb colour) {
    if (usable()) painter_.fillRect(QRectF(x, y, w, h), toColor(colour));
}

void QtCanvas::drawSprite(int dx, int dy, int w, int h, int sx, int sy) {
    if (usable() && sheet_ != nullptr)
        painter_.drawImage(QPoint(dx, dy), *sheet_, QRect(sx, sy, w, h));
}

void QtCanvas::drawLine(int x1, int y1, int x2, int y2, const Pen& pen) {
    if (!usable()) return;
    QPen qpen = toPen(pen);
    const auto at = [](int x, int y) { return QPointF(x + kPixelCentre, y + kPixelCentre); };
    if (x1 != x2 || std::abs(y2 - y1) <= kMaxLineRows) {
        painter_.setPen(qpen);
        painter_.drawLine(at(x1, y1), at(x2, y2));
        return;
    }
    const int top = std::min(y1, y2);
    const int bottom = std::max(y1, y2);
    // Each piece runs from the top edge of its first row to the bottom edge of
    // its last with flat ends, so the pieces neither overlap (a see-through pen
    // is blended once per row) nor leave a row out.
    qpen.setCapStyle(Qt::FlatCap);
    const qreal x = x1 + kPixelCentre;
    for (int y = top; y <= bottom; y += kMaxLineRows) {
        qpen.setDashOffset(y - top);  // the dash pattern runs on across the pieces
        painter_.setPen(qpen);
        painter_.drawLine(QPointF(x, y), QPointF(x, std::min(y + kMaxLineRows - 1, bottom) + 1));
    }
}

void QtCanvas::drawPolyline(std::span<const PointF> points, const Pen& pen) {
    if (!usable() || points.size() < 2) return;
    QVarLengthArray<QPointF, 512> shifted;
    shifted.reserve(static_cast<qsizetype>(points.size()));
    for (const PointF& p : points) shifted.append(QPointF(p.x + kPixelCentre, p.y + kPixelCentre));
    painter_.setPen(toPen(pen));
    painter_.drawPolyline(shifted.constData(), static_cast<int>(shifted.size()));
}

void QtCanvas::drawText(float x, float y, std::u16string_view text, float size, Argb colour) {
    if (!usable() || text.empty()) return;
    const SizedFont& sized = fontOfSize(size);
    const QString s = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    // A laid-out text is placed by the top-left corner of its box (advance
    // width by line height): the baseline sits one ascent below y.
    painter_.setFont(sized.font);
    painter_.setPen(toColor(colour));
    painter_.drawStaticText(QPointF(x, y), layoutOf(s, sized));
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
