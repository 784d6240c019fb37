#include "drawing/recording_canvas.h"

#include <algorithm>

const RecordingCanvas::Text* RecordingCanvas::findText(std::u16string_view text) const {
    for (const Call& c : calls) {
        if (const Text* t = std::get_if<Text>(&c); t != nullptr && t->text == text) return t;
    }
    return nullptr;
}

bool RecordingCanvas::hasSprite(const Sprite& s) const {
    return std::ranges::any_of(calls, [&](const Call& c) {
        const Sprite* p = std::get_if<Sprite>(&c);
        return p != nullptr && *p == s;
    });
}

bool RecordingCanvas::hasRect(int x, int y, int w, int h) const {
    return std::ranges::any_of(calls, [&](const Call& c) {
        const FillRect* p = std::get_if<FillRect>(&c);
        return p != nullptr && p->x == x && p->y == y && p->w == w && p->h == h;
    });
}
