#include "lcd_artwork.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <array>
#include <initializer_list>

#include "drawing/lcd_glyphs.h"

namespace {

// Segments a-g, in the usual order: top, upper right, lower right, bottom,
// lower left, upper left, middle.
enum Segment { A, B, C, D, E, F, G };

// Lit segments of the big glyphs 0-9 and the L.
constexpr std::array<std::initializer_list<Segment>, 11> kGlyphSegments{{
    {A, B, C, D, E, F},
    {B, C},
    {A, B, G, E, D},
    {A, B, G, C, D},
    {F, G, B, C},
    {A, F, G, C, D},
    {A, F, G, E, D, C},
    {A, B, C},
    {A, B, C, D, E, F, G},
    {A, B, C, D, F, G},
    {F, E, D},
}};

// An upright seven-segment figure, sheared to an italic slant about its bottom.
struct DigitShape {
    double width;      // upright body width
    double height;     // glyph height
    double thickness;  // segment thickness
    double gap;        // space between neighbouring segments
    double slant;      // horizontal shift per pixel of height

    QTransform italic(QPointF bottomLeft) const {
        // x' = x + slant * (height - y): the bottom stays put, the top leans right.
        return QTransform(1, 0, -slant, 1, 0, 0) *
               QTransform::fromTranslate(bottomLeft.x() + slant * height, bottomLeft.y() - height);
    }

    QPolygonF horizontal(double x0, double x1, double yc) const {
        const double h = thickness / 2;
        return QPolygonF({{x0, yc},
                          {x0 + h, yc - h},
                          {x1 - h, yc - h},
                          {x1, yc},
                          {x1 - h, yc + h},
                          {x0 + h, yc + h}});
    }
    QPolygonF vertical(double xc, double y0, double y1) const {
        const double h = thickness / 2;
        return QPolygonF({{xc, y0},
                          {xc + h, y0 + h},
                          {xc + h, y1 - h},
                          {xc, y1},
                          {xc - h, y1 - h},
                          {xc - h, y0 + h}});
    }

    QPolygonF segment(Segment s) const {
        const double h = thickness / 2;
        const double left = h, right = width - h, top = h, mid = height / 2, bottom = height - h;
        switch (s) {
            case A:
                return horizontal(left + gap, right - gap, top);
            case B:
                return vertical(right, top + gap, mid - gap);
            case C:
                return vertical(right, mid + gap, bottom - gap);
            case D:
                return horizontal(left + gap, right - gap, bottom);
            case E:
                return vertical(left, mid + gap, bottom - gap);
            case F:
                return vertical(left, top + gap, mid - gap);
            case G:
                return horizontal(left + gap, right - gap, mid);
        }
        return {};
    }

    void draw(QPainter& p, int glyph, QPointF bottomLeft) const {
        const QTransform t = italic(bottomLeft);
        for (Segment s : kGlyphSegments[static_cast<std::size_t>(glyph)]) {
            p.drawPolygon(t.map(segment(s)));
        }
    }
};

constexpr DigitShape kBig{42.0, 95.0, 9.0, 1.5, 0.1};
constexpr DigitShape kSmall{15.0, 35.0, 3.6, 0.7, 0.1};

QRectF cellRect(const SpriteCell& c) {
    return QRectF(c.x, c.y, c.w, c.h);
}

// A slanted block whose bottom-left corner is at `bottomLeft`.
QPolygonF slantedBlock(QPointF bottomLeft, double w, double h, double slant) {
    const double x = bottomLeft.x(), y = bottomLeft.y(), s = slant * h;
    return QPolygonF({{x, y}, {x + w, y}, {x + w + s, y - h}, {x + s, y - h}});
}

// Arcs opening to the right around `centre`, as radio or sound waves.
void waves(QPainter& p, QPointF centre, std::initializer_list<double> radii, double spanDeg) {
    for (double r : radii) {
        const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        p.drawArc(box, qRound(-spanDeg / 2 * 16), qRound(spanDeg * 16));
    }
}

void drawSymbols(QPainter& p) {
    const QPen line(Qt::black, 2.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    const auto inCell = [&p](const SpriteCell& c) {
        p.save();
        p.setClipRect(cellRect(c));
        p.translate(c.x, c.y);
    };

    inCell(lcd::kDiode);  // a line through a triangle ending at a bar
    p.setPen(line);
    p.drawLine(QPointF(1, 9), QPointF(17, 9));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({{4, 3}, {12, 9}, {4, 15}}));
    p.drawRect(QRectF(12, 3, 2.5, 12));
    p.restore();

    inCell(lcd::kLink);  // antenna mast with waves to its right
    p.setPen(line);
    p.drawLine(QPointF(5, 6), QPointF(5, 17));
    p.drawLine(QPointF(5, 6), QPointF(1.5, 1.5));
    p.drawLine(QPointF(5, 6), QPointF(8.5, 1.5));
    p.setBrush(Qt::NoBrush);
    waves(p, QPointF(6, 8), {6.0, 10.0, 14.0}, 90.0);
    p.setBrush(Qt::black);
    p.restore();

    inCell(lcd::kDelta);  // outlined triangle
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(QPolygonF({{9, 1.5}, {16.5, 12.5}, {1.5, 12.5}}));
    p.setBrush(Qt::black);
    p.restore();

    inCell(lcd::kArrow);  // solid triangle pointing right
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({{1, 1}, {11, 7}, {1, 13}}));
    p.restore();

    inCell(lcd::kContinuity);  // a dot with three sound arcs
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(4, 9), 2.5, 2.5);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    waves(p, QPointF(4, 9), {7.0, 11.0, 15.0}, 100.0);
    p.setBrush(Qt::black);
    p.restore();

    p.setPen(Qt::NoPen);
    // Decimal points, bottoms level with the digits' bottoms when placed.
    inCell(lcd::kSmallPoint);
    p.drawPolygon(slantedBlock(QPointF(2.5, 17.5), 4.0, 6.0, kSmall.slant));
    p.restore();
    inCell(lcd::kBigPoint);
    p.drawPolygon(slantedBlock(QPointF(3.0, 17.5), 8.0, 9.0, kBig.slant));
    p.restore();
}

}  // namespace

QImage drawSpriteSheet(int scale) {
    QImage sheet(lcd::kSheetWidth * scale, lcd::kSheetHeight * scale, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (int g = 0; g < lcd::kBigGlyphCount; ++g) {
        const SpriteCell c = lcd::bigGlyph(g);
        p.save();
        p.setClipRect(cellRect(c));
        kBig.draw(p, g, QPointF(c.x + 2.0, c.y + 97.5));
        p.restore();
    }
    for (int g = 0; g < lcd::kSmallGlyphCount; ++g) {
        const SpriteCell c = lcd::smallGlyph(g);
        p.save();
        p.setClipRect(cellRect(c));
        kSmall.draw(p, g, QPointF(c.x + 1.0, c.y + 36.5));
        p.restore();
    }
    drawSymbols(p);
    return sheet;
}

QImage drawIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);  // drawn on a 256-unit grid

    // Body: dark case in a yellow bumper.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0xB4, 0x00));
    p.drawRoundedRect(QRectF(28, 4, 200, 248), 36, 36);
    p.setBrush(QColor(0x30, 0x34, 0x38));
    p.drawRoundedRect(QRectF(44, 20, 168, 216), 24, 24);

    // LCD window with two italic digits.
    p.setBrush(QColor(0xBF, 0xCF, 0xA8));
    p.drawRoundedRect(QRectF(58, 34, 140, 92), 10, 10);
    p.setBrush(QColor(0x10, 0x14, 0x10));
    constexpr DigitShape kIconDigit{40.0, 70.0, 11.0, 2.0, 0.12};
    kIconDigit.draw(p, 4, QPointF(72, 116));
    kIconDigit.draw(p, 2, QPointF(128, 116));

    // Range dial and two probe sockets.
    p.setBrush(QColor(0x5A, 0x60, 0x66));
    p.drawEllipse(QPointF(128, 172), 34, 34);
    p.setPen(QPen(QColor(0xF2, 0xB4, 0x00), 10, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(128, 172), QPointF(150, 150));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xD0, 0x20, 0x20));
    p.drawEllipse(QPointF(84, 218), 11, 11);
    p.setBrush(QColor(0x10, 0x10, 0x10));
    p.drawEllipse(QPointF(172, 218), 11, 11);
    return icon;
}

namespace {

void put16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

void put32(QByteArray& out, qint64 v) {
    put16(out, static_cast<int>(v & 0xFFFF));
    put16(out, static_cast<int>((v >> 16) & 0xFFFF));
}

// One icon image as Windows stores it: a 32-bit bottom-up DIB of twice the
// height (the colour rows, then a 1-bit AND mask, all clear), or a PNG.
QByteArray iconImage(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QByteArray data;
    if (argb.width() >= 256) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        argb.save(&buffer, "PNG");
        return data;
    }
    const int w = argb.width();
    const int h = argb.height();
    put32(data, 40);
    put32(data, w);
    put32(data, 2 * h);
    put16(data, 1);
    put16(data, 32);
    for (int i = 0; i < 6; ++i) put32(data, 0);
    for (int y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) put32(data, row[x]);
    }
    const int maskStride = ((w + 31) / 32) * 4;
    data.append(QByteArray(maskStride * h, '\0'));
    return data;
}

}  // namespace

QByteArray iconFile(const std::vector<QImage>& images) {
    QByteArray header;
    QByteArray body;
    put16(header, 0);
    put16(header, 1);  // an icon
    put16(header, static_cast<int>(images.size()));
    qint64 offset = 6 + 16 * static_cast<qint64>(images.size());
    for (const QImage& image : images) {
        const QByteArray data = iconImage(image);
        header.append(static_cast<char>(image.width() >= 256 ? 0 : image.width()));
        header.append(static_cast<char>(image.height() >= 256 ? 0 : image.height()));
        header.append('\0');  // no palette
        header.append('\0');
        put16(header, 1);   // planes
        put16(header, 32);  // bits per pixel
        put32(header, data.size());
        put32(header, offset);
        offset += data.size();
        body.append(data);
    }
    return header + body;
}
