#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "drawing/canvas.h"

// One Canvas implementation as the contract suite drives and reads it.
class CanvasUnderTest {
  public:
    virtual ~CanvasUnderTest() = default;
    virtual Canvas& canvas() = 0;
    // A pixel of the picture as ARGB; the suite draws only on opaque grounds.
    virtual Argb pixel(int x, int y) const = 0;
    // A pixel of the sprite sheet, premultiplied ARGB.
    virtual Argb sheetPixel(int x, int y) const = 0;
};

struct CanvasFactory {
    const char* name;
    // A width x height canvas, with the program's sprite sheet or with none.
    std::unique_ptr<CanvasUnderTest> (*make)(int width, int height, bool withSheet);
};

inline void PrintTo(const CanvasFactory& factory, std::ostream* os) {
    *os << factory.name;
}

// The suite every canvas passes: instantiate it with a factory per implementation.
class CanvasContract : public ::testing::TestWithParam<CanvasFactory> {
  protected:
    static std::unique_ptr<CanvasUnderTest> make(int width, int height, bool withSheet = false) {
        return GetParam().make(width, height, withSheet);
    }
};

std::string canvasName(const ::testing::TestParamInfo<CanvasFactory>& info);
