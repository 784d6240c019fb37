#!/usr/bin/env python3
"""Pixel checks of screenshots of the program's window (binary PPM, as
ImageMagick's `import -window ID shot.ppm` writes them).

  screen_check.py face SHOT.ppm positive|negative
      The meter face shows DC volts, range 3, count 12345: five inked digit
      cells, bar segments 0-12 lit and 13-40 dark, and the big minus bar only
      for a negative reading.
  screen_check.py markers SHOT.ppm X...
      The chart shows a selection marker line at each window x given, and no
      other one. With no X: no marker line at all.

  screen_check.py trace SHOT.ppm [both]
      The chart's trace keeps off the chart's top and bottom edges (a frame
      drawn at a scale that did not hold sticks to an edge); with "both" it
      also runs above and below the chart's middle (negative values moved
      the zero line up).
  screen_check.py timemarks SHOT.ppm N
      The chart shows N time-mark lines, each one line thin: no band of
      marks one pixel apart.
  screen_check.py editor SHOT.ppm
      The list's selected row holds a tag editor at least 200 px wide.

Exit status 0 when the picture passes, 1 with the reasons on stdout when it
does not, 2 for a bad command line or an unreadable file.
"""
import sys

# The face panel's place in the client area, its size and its colours.
FACE_ORIGIN = (3, 0)
FACE_SIZE = (350, 237)
FACE_BACKGROUND = (0xF0, 0xF0, 0xF0)
# Big-digit cells: slot s at x = 62 s + 37, 57 wide, from y = 72 to 172.
DIGIT_SLOTS = 5
# Bar graph: segment i at x = 29 + 7.5 i, 3 wide, from y = 192 (at least 10 high).
BAR_SEGMENTS = 41
BAR_TOP, BAR_BOTTOM = 193, 200
# A marker line spans most of the chart; nothing else draws long runs of it.
MARKER_MIN_RUN = 100


class Image:
    def __init__(self, width, height, pixels):
        self.width = width
        self.height = height
        self.pixels = pixels

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]


def read_ppm(data):
    """A binary (P6) PPM with 8-bit samples; comments are allowed in the header."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while pos < len(data) and data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        start = pos
        while pos < len(data) and not data[pos:pos + 1].isspace():
            pos += 1
        if start == pos:
            raise ValueError("truncated header")
        fields.append(data[start:pos])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        raise ValueError("truncated pixel data")
    return Image(width, height, pixels)


def is_dark(rgb):
    return sum(rgb) < 3 * 0x60


def is_light(rgb):
    return min(rgb) >= 0xD0


def find_face_origin(image):
    """The top-left corner of the face panel: its background colour starts
    there. Falls back to the place the window's layout gives it."""
    ox, oy = FACE_ORIGIN
    for y in range(0, min(8, image.height)):
        for x in range(0, min(16, image.width)):
            if image.at(x, y) != FACE_BACKGROUND:
                continue
            if x > 0 and image.at(x - 1, y) == FACE_BACKGROUND:
                continue
            right, bottom = x + FACE_SIZE[0] - 1, y + FACE_SIZE[1] - 1
            if right < image.width and bottom < image.height and \
                    image.at(right, y) == FACE_BACKGROUND and \
                    image.at(x, bottom) == FACE_BACKGROUND:
                return x, y
    return ox, oy


def bar_segment_column(i):
    """The pixel column fully inside segment i (odd segments start on a half pixel)."""
    return int(29 + 7.5 * i + 1.5)


def check_face(image, negative):
    problems = []
    ox, oy = find_face_origin(image)
    if ox + FACE_SIZE[0] > image.width or oy + FACE_SIZE[1] > image.height:
        return ["the face panel does not fit the picture"]

    def px(x, y):
        return image.at(ox + x, oy + y)

    for slot in range(DIGIT_SLOTS):
        left = 62 * slot + 37
        inked = sum(1 for y in range(72, 172) for x in range(left, left + 57)
                    if is_dark(px(x, y)))
        if inked < 40:
            problems.append(f"digit cell {slot} has no ink ({inked} dark pixels)")

    lit_until = 12
    for i in range(BAR_SEGMENTS):
        x = bar_segment_column(i)
        column = [px(x, y) for y in range(BAR_TOP, BAR_BOTTOM + 1)]
        if i <= lit_until and not all(is_dark(c) for c in column):
            problems.append(f"bar segment {i} at x={x} is not lit")
        if i > lit_until and not all(is_light(c) for c in column):
            problems.append(f"bar segment {i} at x={x} is lit")

    minus = [px(x, y) for y in range(114, 120) for x in range(13, 31)]
    if negative and not all(is_dark(c) for c in minus):
        problems.append("the minus bar is missing")
    if not negative and not all(is_light(c) for c in minus):
        problems.append("a minus bar shows for a positive reading")
    return problems


def is_marker_colour(rgb):
    # The selection colour 0xF0F000 on the black chart, or half of it where
    # anti-aliasing spreads a line over two columns.
    r, g, b = rgb
    return r >= 0x60 and g >= 0x60 and b <= 0x40 and abs(r - g) <= 0x20


def marker_columns(image):
    """Centres of the vertical runs of the selection colour, adjacent columns merged."""
    columns = []
    for x in range(image.width):
        run = longest = 0
        for y in range(image.height):
            run = run + 1 if is_marker_colour(image.at(x, y)) else 0
            longest = max(longest, run)
        if longest >= MARKER_MIN_RUN:
            columns.append(x)
    groups = []
    for x in columns:
        if groups and x - groups[-1][-1] <= 1:
            groups[-1].append(x)
        else:
            groups.append([x])
    return [(g[0] + g[-1]) / 2 for g in groups]


def check_markers(image, expected):
    found = marker_columns(image)
    problems = []
    for x in expected:
        if not any(abs(x - f) <= 1 for f in found):
            problems.append(f"no marker line at x={x} (found {found})")
    for f in found:
        if not any(abs(x - f) <= 1 for x in expected):
            problems.append(f"unexpected marker line at x={f}")
    return problems


def chart_area(image):
    """Left, top, right, bottom (inclusive) of the chart below the face: the
    rows that are mostly dark (its black ground, with grid, trace and labels)."""
    def dark_row(y):
        xs = range(10, image.width - 20, 3)
        return sum(1 for x in xs if not is_light(image.at(x, y))) >= 0.7 * len(xs)

    top = next((y for y in range(200, image.height) if dark_row(y)), None)
    if top is None:
        return None
    bottom = top
    while bottom + 1 < image.height and dark_row(bottom + 1):
        bottom += 1
    row = (top + bottom) // 2
    left = next(x for x in range(image.width) if is_dark(image.at(x, row)))
    right = next(x for x in range(image.width - 1, left, -1) if is_dark(image.at(x, row)))
    return left, top, right, bottom


def is_trace_colour(rgb):
    r, g, b = rgb
    return g >= 0x80 and r <= 0x60 and b <= 0x60


def check_trace(image, both):
    area = chart_area(image)
    if area is None:
        return ["no chart found"]
    left, top, right, bottom = area
    problems = []
    for y in (top, top + 1, bottom - 1, bottom):
        stuck = sum(1 for x in range(left, right + 1) if is_trace_colour(image.at(x, y)))
        if stuck:
            problems.append(f"{stuck} trace pixels on the chart's edge row {y}")
    middle = (top + bottom) // 2
    above = sum(1 for y in range(top, middle) for x in range(left, right + 1)
                if is_trace_colour(image.at(x, y)))
    below = sum(1 for y in range(middle, bottom + 1) for x in range(left, right + 1)
                if is_trace_colour(image.at(x, y)))
    if above + below == 0:
        problems.append("no trace")
    if both and (above == 0 or below == 0):
        problems.append(f"the trace is not on both sides of the middle ({above} / {below})")
    return problems


def is_grid_colour(rgb):
    r, g, b = rgb
    return 0x30 <= r <= 0x90 and abs(r - g) <= 8 and abs(r - b) <= 8


def check_time_marks(image, expected):
    area = chart_area(image)
    if area is None:
        return ["no chart found"]
    left, top, right, bottom = area
    height = bottom - top + 1
    columns = [x for x in range(left + 40, right + 1)
               if sum(1 for y in range(top, bottom + 1) if is_grid_colour(image.at(x, y)))
               >= height // 4]
    groups = []
    for x in columns:
        if groups and x - groups[-1][-1] <= 1:
            groups[-1].append(x)
        else:
            groups.append([x])
    problems = []
    if len(groups) != expected:
        problems.append(f"{len(groups)} time marks, not {expected} (at {[g[0] for g in groups]})")
    for g in groups:
        if len(g) > 2:
            problems.append(f"a band of time marks {len(g)} px wide at x={g[0]}")
    return problems


def is_selection_colour(rgb):
    r, g, b = rgb
    return max(rgb) - min(rgb) >= 0x40 and b >= r


def check_editor(image):
    # The selected row: a long run of the highlight colour right of the face.
    for y in range(0, FACE_SIZE[1]):
        run = longest = 0
        for x in range(FACE_SIZE[0], image.width):
            run = run + 1 if is_selection_colour(image.at(x, y)) else 0
            longest = max(longest, run)
        if longest < 60:
            continue
        # The editor is a light box within the band, a few rows further down.
        for dy in range(0, 8):
            row = y + dy
            run = widest = 0
            for x in range(FACE_SIZE[0], image.width):
                run = run + 1 if min(image.at(x, row)) >= 0xF0 else 0
                widest = max(widest, run)
            if widest >= 190:  # 200 px with the frame
                return []
        return [f"the selected row at y={y} holds no editor 200 px wide"]
    return ["no selected row in the list"]


def main(argv):
    commands = ("face", "markers", "trace", "timemarks", "editor")
    if len(argv) < 3 or argv[1] not in commands:
        print(__doc__)
        return 2
    try:
        with open(argv[2], "rb") as f:
            image = read_ppm(f.read())
    except (OSError, ValueError) as error:
        print(f"{argv[2]}: {error}")
        return 2
    if argv[1] == "face":
        if len(argv) != 4 or argv[3] not in ("positive", "negative"):
            print(__doc__)
            return 2
        problems = check_face(image, argv[3] == "negative")
    elif argv[1] == "trace":
        problems = check_trace(image, argv[3:] == ["both"])
    elif argv[1] == "timemarks":
        if len(argv) != 4 or not argv[3].isdigit():
            print(__doc__)
            return 2
        problems = check_time_marks(image, int(argv[3]))
    elif argv[1] == "editor":
        problems = check_editor(image)
    else:
        try:
            expected = [int(x) for x in argv[3:]]
        except ValueError:
            print(__doc__)
            return 2
        problems = check_markers(image, expected)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
