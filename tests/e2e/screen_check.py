#!/usr/bin/env python3
"""Pixel checks of screenshots of the program's window (binary PPM, as
ImageMagick's `import -window ID shot.ppm` writes them).

  screen_check.py face SHOT.ppm positive|negative
      The meter face shows DC volts, range 3, count 12345: five inked digit
      cells, bar segments 0-12 lit and 13-40 dark, and the big minus bar only
      for a negative reading.
  screen_check.py markers SHOT.ppm X...
      The chart shows a selection marker line at each window x given, and no
      other one. With no X: no marker line at all. An X written LO:HI is a
      line anywhere from LO to HI (a line that moves with new readings).

  screen_check.py layout SHOT.ppm [SCALE]
      The controls stand where the dialog template puts them (at SCALE times
      96 dpi, default 1): the face panel, the chart below it, the empty
      reading list, the Hold and Clear buttons with their labels.
  screen_check.py sharp SHOT.ppm SCALE
      The face's big digits, drawn at SCALE times 96 dpi, have ink and crisp
      edges (not a stretched bitmap).
  screen_check.py dateline SHOT.ppm SCALE [SIGNATURE]
      The face's date line lies whole inside the clock line (14 to 2 logical
      pixels above the face's bottom), nothing of it below; prints its
      signature, which must differ from SIGNATURE when given.
  screen_check.py zoom SHOT.ppm [SCALE]
      Both zoom buttons, "+" and "-", are painted at the client area's
      bottom right corner, framed, with their labels.
  screen_check.py hastrace SHOT.ppm
      The chart shows a trace (the default trace colour, green).
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
  screen_check.py tabs SHOT.ppm
      A picture of the statistics tooltip: its lines after the first put
      their values in one column, apart from the labels (the tabs expanded).

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
# A marker line spans the chart's height; nothing else draws that much of its
# colour in one column. A dense trace and the MIN/MAX lines cross it, so the
# column's pixels are counted, not one unbroken run.
MARKER_MIN_PIXELS = 60
# Sharp digits have at most this many half-tone edge pixels per ink pixel
# (measured: 0.11 for a sheet drawn at twice the size shown at 1.5, 0.24 for
# the plain sheet stretched to 1.5).
SHARP_EDGE_RATIO = 0.16


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
    """Centres of the vertical lines of the selection colour, adjacent columns merged."""
    columns = [x for x in range(image.width)
               if sum(is_marker_colour(image.at(x, y)) for y in range(image.height))
               >= MARKER_MIN_PIXELS]
    groups = []
    for x in columns:
        if groups and x - groups[-1][-1] <= 1:
            groups[-1].append(x)
        else:
            groups.append([x])
    return [(g[0] + g[-1]) / 2 for g in groups]


def check_markers(image, expected):
    """`expected` holds (lo, hi) spans of x, one per line."""
    found = marker_columns(image)
    problems = []
    near = lambda span, f: span[0] - 1 <= f <= span[1] + 1
    for span in expected:
        if not any(near(span, f) for f in found):
            problems.append(f"no marker line at x={span[0]}..{span[1]} (found {found})")
    for f in found:
        if not any(near(span, f) for span in expected):
            problems.append(f"unexpected marker line at x={f}")
    if not problems and len(found) != len(expected):
        problems.append(f"{len(found)} marker lines instead of {len(expected)} (found {found})")
    return problems


def mul_div(units, num, den):
    """Rounded like the platform's MulDiv: halves away from zero."""
    return (units * num + den // 2) // den


def check_layout(image, scale):
    """Places of the template's controls: dialog units to pixels at 96 dpi
    with base units 6 x 13, then scaled to the display once."""
    dpi = int(96 * scale)

    def dlu(x, y, w, h):
        return (mul_div(mul_div(x, 6, 4), dpi, 96), mul_div(mul_div(y, 13, 8), dpi, 96),
                mul_div(mul_div(w, 6, 4), dpi, 96), mul_div(mul_div(h, 13, 8), dpi, 96))

    def at(v):
        return int(v * scale)
    problems = []
    fx, fy, fw, fh = dlu(2, 0, 233, 146)
    for x, y in ((fx, fy), (fx + fw - 1, fy + fh - 1), (fx, fy + fh - 1), (fx + fw - 1, fy)):
        if image.at(x, y) != FACE_BACKGROUND:
            problems.append(f"no face background at {(x, y)}: {image.at(x, y)}")
    if fx > 0 and image.at(fx - 1, at(100)) == FACE_BACKGROUND:
        problems.append("the face panel starts left of its place")
    if image.at(fx + fw + 1, at(100)) == FACE_BACKGROUND:
        problems.append("the face panel reaches past its width")
    if image.at(fx + fw // 2, fy + fh) == FACE_BACKGROUND:
        problems.append(f"the face panel reaches past its height {fh}")
    chart_top = dlu(1, 146, 0, 0)[1]
    for x in (at(4), image.width - at(20)):
        if image.at(x, chart_top + at(3)) != (0, 0, 0):
            problems.append(f"no chart at {(x, chart_top + at(3))}")
    if image.at(at(4), chart_top - at(3)) == (0, 0, 0):
        problems.append("the chart starts above its place")
    lx, ly, _, _ = dlu(238, 17, 159, 127)
    for x, y in ((lx + at(5), ly + at(5)), (lx + at(5), ly + at(195))):
        if not is_light(image.at(x, y)) or min(image.at(x, y)) < 0xF0:
            problems.append(f"no empty list at {(x, y)}: {image.at(x, y)}")

    for name, left in (("Hold", 288), ("Clear", 343)):
        problems += button_problems(image, name, *dlu(left, 2, 53, 14))
    return problems


def button_problems(image, name, x0, y0, w, h, beside_dialog=True, min_ink=10):
    """A painted button: a frame darker than the dialog along its edges, a
    light face inside with its label's ink; with `beside_dialog`, the dialog's
    light ground just outside its left and top edges."""
    def framed(x, y):
        return max(image.at(x, y)) <= 0xD0
    x1, y1 = x0 + w - 1, y0 + h - 1
    mx, my = (x0 + x1) // 2, (y0 + y1) // 2
    edges = framed(x0, my) and framed(x1, my) and framed(mx, y0) and framed(mx, y1)
    outside = not beside_dialog or (not framed(x0 - 2, my) and not framed(mx, y0 - 2))
    inside = [image.at(x, y) for x in range(x0 + 3, x1 - 2) for y in range(y0 + 3, y1 - 2)]
    ink = sum(1 for rgb in inside if is_dark(rgb))
    face = sum(1 for rgb in inside if is_light(rgb)) >= len(inside) // 2
    if not (edges and outside and face) or ink < min_ink:
        return [f"no {name} button at x={x0}..{x1}, y={y0}..{y1} (frame {edges}, "
                f"outside {outside}, face {face}, {ink} ink pixels)"]
    return []


def check_date_line(image, scale, previous):
    """The face's date line (drawn at logical (220, 223)) lies whole inside
    the clock line the tick redraws, 14 to 2 logical pixels above the face's
    bottom: below it, where a second change would leave the old digits, the
    face is bare. Prints the line's ink as a signature; with `previous`, the
    line must differ from that one (a second has passed)."""
    dpi = int(96 * scale)
    ox = mul_div(mul_div(2, 6, 4), dpi, 96)
    height = mul_div(mul_div(146, 13, 8), dpi, 96)
    logical = round(height / scale)
    # Rounded outwards to device pixels, as the window invalidates it.
    top, bottom = (logical - 14) * dpi // 96, -(-(logical - 2) * dpi // 96)
    xs = range(ox + int(220 * scale), ox + mul_div(mul_div(233, 6, 4), dpi, 96))

    def inked(x, y):
        return max(abs(c - b) for c, b in zip(image.at(x, y), FACE_BACKGROUND)) > 0x30
    ink = [(x, y) for y in range(top, bottom) for x in xs if inked(x, y)]
    below = sum(1 for y in range(bottom, height) for x in xs if inked(x, y))
    problems = []
    if len(ink) < 30 * scale * scale:
        problems.append(f"the clock line rows {top}..{bottom - 1} hold {len(ink)} ink pixels")
    if below:
        problems.append(f"{below} ink pixels below the clock line (rows {bottom}..{height - 1})")
    signature = f"{len(ink)}:{hash(tuple(ink)) & 0xFFFFFFFF:08x}"
    if previous is not None and signature == previous:
        problems.append("the date line did not change")
    if not problems:
        print(signature)
    return problems


def check_zoom(image, scale):
    """The two zoom buttons at the client area's bottom right corner (the
    picture is the client area), each painted with its label."""
    dpi = int(96 * scale)

    def px(v):
        return mul_div(v, dpi, 96)
    y = image.height - px(16)
    problems = []
    for name, right in (("+", 35), ("-", 18)):
        problems += button_problems(image, name, image.width - px(right), y, px(17), px(16),
                                    beside_dialog=False, min_ink=2)
    return problems


def check_sharp(image, scale):
    """Every big digit cell of the face (drawn at SCALE) has ink, and the
    glyphs' edges are crisp: few pixels between ink and background, as a
    sheet drawn for the resolution gives and a stretched one does not."""
    ox = mul_div(2, mul_div(6, int(96 * scale), 96), 4)
    problems = []
    soft = solid = 0
    for slot in range(DIGIT_SLOTS):
        x0, x1 = ox + int((62 * slot + 37) * scale), ox + int((62 * slot + 37 + 57) * scale)
        ink = 0
        for y in range(int(72 * scale), int(172 * scale)):
            for x in range(x0, x1):
                rgb = image.at(x, y)
                if is_dark(rgb):
                    ink += 1
                elif max(abs(c - b) for c, b in zip(rgb, FACE_BACKGROUND)) > 0x18:
                    soft += 1
        solid += ink
        if not 40 * scale * scale <= ink <= 0.6 * (x1 - x0) * 100 * scale:
            problems.append(f"digit cell {slot} is not a digit ({ink} dark pixels)")
    ratio = soft / max(1, solid)
    print(f"edge pixels per ink pixel: {ratio:.3f}")
    if ratio > SHARP_EDGE_RATIO:
        problems.append(f"the digits are soft: {ratio:.3f} edge pixels per ink pixel")
    return problems


def check_has_trace(image):
    top = int(image.height * 0.55)
    green = sum(1 for y in range(top, image.height) for x in range(image.width)
                if image.at(x, y)[1] >= 0xC0 and image.at(x, y)[0] <= 0x40
                and image.at(x, y)[2] <= 0x40)
    return [] if green >= 20 else [f"no trace on the chart ({green} trace pixels)"]


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


# The list's top edge: 17 dialog units at 96 dpi.
LIST_TOP = 28


def is_selection_colour(rgb):
    r, g, b = rgb
    return max(rgb) - min(rgb) >= 0x40 and b >= r


def check_editor(image):
    # The selected row: a long run of the highlight colour right of the face,
    # below the buttons (Hold shows that colour while pressed).
    for y in range(LIST_TOP, FACE_SIZE[1]):
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
    # Wine's list shows no highlight under the editor: look for the editor
    # itself, a white box in a grey frame right of the reading text.
    if framed_editor_width(image) >= 190:
        return []
    return ["no selected row in the list"]


def framed_editor_width(image):
    """Width of the widest white box in a grey frame in the list's area that
    starts well right of the list's left edge (the list's own frame does not)."""
    widest = 0
    for y in range(1, FACE_SIZE[1]):
        x = FACE_SIZE[0] + 40
        while x < image.width:
            start = x
            while x < image.width and 0x80 <= min(image.at(x, y)) <= 0xC0 and \
                    max(image.at(x, y)) - min(image.at(x, y)) <= 8:
                x += 1
            frame = x - start
            if frame >= 190 and all(min(image.at(i, y - 1)) >= 0xF0
                                    for i in range(start + 1, start + frame - 1)):
                widest = max(widest, frame)
            x += 1
    return widest


# A gap this wide (pixels) in a line of the tooltip's text is a tab's, not
# one between letters.
TAB_GAP = 6


def check_tabs(image):
    """Where the second column of each text line after the first starts,
    inside the tooltip's frame."""
    xs, ys = range(3, image.width - 3), range(3, image.height - 3)
    inked = [y for y in ys if any(is_dark(image.at(x, y)) for x in xs)]
    lines = []
    for y in inked:
        if lines and lines[-1][-1] == y - 1:
            lines[-1].append(y)
        else:
            lines.append([y])
    if len(lines) != 4:
        return [f"{len(lines)} lines of text, not 4"]
    starts = []
    for line in lines[1:]:
        cols = [x for x in xs if any(is_dark(image.at(x, y)) for y in line)]
        starts.append(next((b for a, b in zip(cols, cols[1:]) if b - a > TAB_GAP), None))
    if None in starts or max(starts) - min(starts) > 1:
        return [f"the values of lines 2-4 start at x = {starts}, not in one column"]
    return []


def main(argv):
    if len(argv) >= 3 and argv[1] in ("layout", "hastrace", "sharp", "zoom", "dateline"):
        try:
            with open(argv[2], "rb") as f:
                image = read_ppm(f.read())
        except (OSError, ValueError) as error:
            print(f"{argv[2]}: {error}")
            return 2
        scale = float(argv[3]) if len(argv) > 3 else 1.0
        if argv[1] == "layout":
            problems = check_layout(image, scale)
        elif argv[1] == "sharp":
            problems = check_sharp(image, scale)
        elif argv[1] == "zoom":
            problems = check_zoom(image, scale)
        elif argv[1] == "dateline":
            problems = check_date_line(image, scale, argv[4] if len(argv) > 4 else None)
        else:
            problems = check_has_trace(image)
        for p in problems:
            print(p)
        return 1 if problems else 0
    commands = ("face", "markers", "trace", "timemarks", "editor", "tabs")
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
    elif argv[1] == "tabs":
        problems = check_tabs(image)
    else:
        try:
            expected = [tuple(int(v) for v in (x.split(":") * 2)[:2]) for x in argv[3:]]
        except ValueError:
            print(__doc__)
            return 2
        problems = check_markers(image, expected)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
