#include "drawing/svg_canvas.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace {

// Each call as the element it writes: pixel centres for lines, the text's
// baseline one ascent below its top, opacity only where the colour has some.
TEST(SvgCanvas, EachCallIsOneElement) {
    const std::array<PointF, 2> two{{{1.0f, 2.0f}, {3.25f, 4.0f}}};
    struct Case {
        std::function<void(SvgCanvas&)> draw;
        std::string element;
    };
    const Case cases[] = {
        {[](SvgCanvas& c) { c.fillRect(1, 2, 3, 4, 0xFF0A0B0C); },
         R"(<rect x="1" y="2" width="3" height="4" fill="#0a0b0c"/>)"},
        {[](SvgCanvas& c) { c.fillRectF(1.5f, 2, 3, 4.25f, 0x80FFFFFF); },
         R"(<rect x="1.5" y="2" width="3" height="4.25" fill="#ffffff" fill-opacity="0.502"/>)"},
        {[](SvgCanvas& c) {
             c.drawLine(36, 385, 1199, 385, Pen{0x60FFFFFF, true});
         },
         R"(<line x1="36.5" y1="385.5" x2="1199.5" y2="385.5" stroke="#ffffff" )"
         R"(stroke-opacity="0.376" stroke-width="1" stroke-linecap="square" )"
         R"(stroke-dasharray="3 3"/>)"},
        {[](SvgCanvas& c) {
             c.drawLine(5, 7, 5, 186, Pen{0xFFEB00EB, false});
         },
         R"(<line x1="5.5" y1="7.5" x2="5.5" y2="186.5" stroke="#eb00eb" stroke-width="1" )"
         R"(stroke-linecap="square"/>)"},
        {[&](SvgCanvas& c) {
             c.drawPolyline(two, Pen{0xFF00FF00, false});
         },
         R"(<polyline points="1.5,2.5 3.75,4.5" fill="none" stroke="#00ff00" stroke-width="1" )"
         R"(stroke-linejoin="round"/>)"},
        {[&](SvgCanvas& c) { c.drawPolyline(std::span(two).first(1), Pen{}); }, ""},
        {[](SvgCanvas& c) {
             c.drawText(4, 10, u"  <R12> & \u00b5A \u03a9\U0001F50B\x01", 10, 0xFFD0D0D0);
         },
         "<text x=\"4\" y=\"19.05\" font-size=\"10\" fill=\"#d0d0d0\">  &lt;R12&gt; &amp; "
         "\xC2\xB5"
         "A \xCE\xA9\xF0\x9F\x94\x8B\xEF\xBF\xBD</text>"},
        {[](SvgCanvas& c) { c.drawText(4, 10, u"", 10, 0xFFD0D0D0); }, ""},
        {[](SvgCanvas& c) { c.drawSprite(1, 2, 3, 4, 5, 6); }, ""},
        // A clear wipes what was drawn before.
        {[](SvgCanvas& c) {
             c.fillRect(1, 2, 3, 4, 0xFF0A0B0C);
             c.clear(0xFF000000);
         },
         R"(<rect x="0" y="0" width="300" height="100" fill="#000000"/>)"},
    };
    for (const Case& c : cases) {
        SvgCanvas canvas(300, 100);
        c.draw(canvas);
        const std::string document = canvas.document();
        const std::size_t body = document.find("preserve\">\n") + 11;
        const std::string expected = c.element.empty() ? "" : c.element + "\n";
        EXPECT_EQ(document.substr(body, document.size() - body - 12), expected);
        EXPECT_TRUE(document.ends_with("</g>\n</svg>\n"));
        EXPECT_NE(document.find(R"(width="300" height="100" viewBox="0 0 300 100")"),
                  std::string::npos);
    }
}

}  // namespace
