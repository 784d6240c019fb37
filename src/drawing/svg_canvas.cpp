#include "drawing/svg_canvas.h"

#include <charconv>
#include <cstdio>

namespace {

// Line coordinates sit on pixel centres.
constexpr float kPixelCentre = 0.5f;

void appendNumber(std::string& out, float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

void appendNumber(std::string& out, int value) {
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

void appendAttribute(std::string& out, const char* name, float value) {
    out += ' ';
    out += name;
    out += "=\"";
    appendNumber(out, value);
    out += '"';
}

// `paint`="#rrggbb", and its opacity when the colour lets some through.
void appendPaint(std::string& out, const char* paint, Argb colour) {
    char text[64];
    std::snprintf(text, sizeof text, " %s=\"#%06x\"", paint,
                  static_cast<unsigned>(colour & 0xFFFFFFu));
    out += text;
    const unsigned alpha = colour >> 24;
    if (alpha == 0xFF) return;
    std::snprintf(text, sizeof text, " %s-opacity=\"%.3g\"", paint, alpha / 255.0);
    out += text;
}

// A stroke of one pixel whose square caps reach the outer edges of its end
// pixels; a dash of three then covers four pixels, and a gap of three two.
void appendStroke(std::string& out, const Pen& pen) {
    appendPaint(out, "stroke", pen.colour);
    out += R"( stroke-width="1" stroke-linecap="square")";
    if (pen.dashed) out += R"( stroke-dasharray="3 3")";
}

// UTF-8 of UTF-16 text, escaped for XML character data; characters XML
// cannot hold (control codes, lone surrogates) become U+FFFD.
void appendText(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if ((c >= 0xD800 && c <= 0xDFFF) || (c < 0x20 && c != '\t') || c == 0xFFFE ||
                   c == 0xFFFF) {
            c = 0xFFFD;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            default:
                break;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

}  // namespace

SvgCanvas::SvgCanvas(int width, int height) : width_(width), height_(height) {}

void SvgCanvas::appendRect(float x, float y, float w, float h, Argb colour) {
    body_ += "<rect";
    appendAttribute(body_, "x", x);
    appendAttribute(body_, "y", y);
    appendAttribute(body_, "width", w);
    appendAttribute(body_, "height", h);
    appendPaint(body_, "fill", colour);
    body_ += "/>\n";
}

void SvgCanvas::clear(Argb colour) {
    body_.clear();
    appendRect(0.0f, 0.0f, static_cast<float>(width_), static_cast<float>(height_), colour);
}

void SvgCanvas::fillRect(int x, int y, int w, int h, Argb colour) {
    appendRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w),
               static_cast<float>(h), colour);
}

void SvgCanvas::fillRectF(float x, float y, float w, float h, Argb colour) {
    appendRect(x, y, w, h, colour);
}

void SvgCanvas::drawLine(int x1, int y1, int x2, int y2, const Pen& pen) {
    body_ += "<line";
    appendAttribute(body_, "x1", static_cast<float>(x1) + kPixelCentre);
    appendAttribute(body_, "y1", static_cast<float>(y1) + kPixelCentre);
    appendAttribute(body_, "x2", static_cast<float>(x2) + kPixelCentre);
    appendAttribute(body_, "y2", static_cast<float>(y2) + kPixelCentre);
    appendStroke(body_, pen);
    body_ += "/>\n";
}

void SvgCanvas::drawPolyline(std::span<const PointF> points, const Pen& pen) {
    if (points.size() < 2) return;
    body_ += "<polyline points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) body_ += ' ';
        appendNumber(body_, points[i].x + kPixelCentre);
        body_ += ',';
        appendNumber(body_, points[i].y + kPixelCentre);
    }
    body_ += "\" fill=\"none\"";
    appendPaint(body_, "stroke", pen.colour);
    body_ += R"( stroke-width="1" stroke-linejoin="round"/>)";
    body_ += '\n';
}

void SvgCanvas::drawText(float x, float y, std::u16string_view text, float size, Argb colour) {
    if (text.empty()) return;
    body_ += "<text";
    appendAttribute(body_, "x", x);
    appendAttribute(body_, "y", y + size * kAscent);
    appendAttribute(body_, "font-size", size);
    appendPaint(body_, "fill", colour);
    body_ += '>';
    appendText(body_, text);
    body_ += "</text>\n";
}

std::string SvgCanvas::document() const {
    std::string out = R"(<?xml version="1.0" encoding="UTF-8"?>)";
    out += "\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    appendNumber(out, width_);
    out += "\" height=\"";
    appendNumber(out, height_);
    out += "\" viewBox=\"0 0 ";
    appendNumber(out, width_);
    out += ' ';
    appendNumber(out, height_);
    // Texts keep their spaces ("%6d" pads the zero label) and are never wrapped.
    out +=
        "\">\n<g font-family=\"Arial, 'Liberation Sans', sans-serif\" font-weight=\"bold\" "
        "xml:space=\"preserve\">\n";
    out += body_;
    out += "</g>\n</svg>\n";
    return out;
}
