"""A small deterministic rasteriser for skin artwork: a canvas of 8-bit RGB
pixels and shapes filled with hard edges (one sample at the pixel centre, for
outlines against the key colour) or smooth edges (4 x 4 samples per pixel,
for details over a known background). Pure Python, so the same data gives
the same bytes on every machine."""
import math

KEY = (255, 0, 255)
SAMPLES = 4
_OFFSETS = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]


class Canvas:
    def __init__(self, width, height, colour=KEY):
        self.width = width
        self.height = height
        self.px = bytearray(bytes(colour) * (width * height))

    def get(self, x, y):
        i = (y * self.width + x) * 3
        return (self.px[i], self.px[i + 1], self.px[i + 2])

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = (y * self.width + x) * 3
            self.px[i:i + 3] = bytes(colour)

    def blend(self, x, y, colour, alpha):
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        if alpha >= 1:
            self.set(x, y, colour)
            return
        i = (y * self.width + x) * 3
        for k in range(3):
            self.px[i + k] = int(self.px[i + k] * (1 - alpha) + colour[k] * alpha + 0.5)

    def fill_rect(self, rect, colour):
        x0, y0, x1, y1 = clip(rect, self.width, self.height)
        row = bytes(colour) * (x1 - x0)
        for y in range(y0, y1):
            i = (y * self.width + x0) * 3
            self.px[i:i + len(row)] = row

    def crop(self, rect):
        x0, y0, x1, y1 = rect
        out = Canvas(x1 - x0, y1 - y0)
        for y in range(y0, y1):
            for x in range(x0, x1):
                if 0 <= x < self.width and 0 <= y < self.height:
                    out.set(x - x0, y - y0, self.get(x, y))
        return out

    def paste(self, other, x, y):
        for sy in range(other.height):
            ty = y + sy
            if not 0 <= ty < self.height:
                continue
            for sx in range(other.width):
                self.set(x + sx, ty, other.get(sx, sy))

    def paint(self, shape, colour, smooth=True, clip_rect=None):
        """Fills a shape; colour is an RGB triple or a function (x, y) -> RGB."""
        colour_at = colour if callable(colour) else (lambda x, y, c=colour: c)
        bx0, by0, bx1, by1 = shape.bounds()
        area = (int(math.floor(bx0)), int(math.floor(by0)), int(math.ceil(bx1)), int(math.ceil(by1)))
        if clip_rect:
            area = intersect(area, clip_rect)
        x0, y0, x1, y1 = clip(area, self.width, self.height)
        for y in range(y0, y1):
            for x in range(x0, x1):
                if smooth:
                    a = coverage(shape, x, y)
                else:
                    a = 1.0 if shape.inside(x + 0.5, y + 0.5) else 0.0
                if a > 0:
                    self.blend(x, y, colour_at(x, y), a)


def clip(rect, width, height):
    x0, y0, x1, y1 = rect
    return (max(0, x0), max(0, y0), min(width, x1), min(height, y1))


def intersect(a, b):
    return (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))


def coverage(shape, x, y):
    quick = shape.classify(x, y)
    if quick is not None:
        return quick
    hits = 0
    for oy in _OFFSETS:
        for ox in _OFFSETS:
            if shape.inside(x + ox, y + oy):
                hits += 1
    return hits / (SAMPLES * SAMPLES)


# --- shapes: inside(px, py) for a point, bounds(), and classify(x, y) for a
# whole pixel: 1 or 0 when certain, None when it must be sampled ---

class Shape:
    def classify(self, x, y):
        return None

    def __or__(self, other):
        return Union([self, other])

    def __sub__(self, other):
        return Difference(self, other)


class Rect(Shape):
    def __init__(self, x0, y0, x1, y1):
        self.r = (x0, y0, x1, y1)

    def inside(self, px, py):
        x0, y0, x1, y1 = self.r
        return x0 <= px < x1 and y0 <= py < y1

    def bounds(self):
        return self.r

    def classify(self, x, y):
        x0, y0, x1, y1 = self.r
        if x >= x0 and x + 1 <= x1 and y >= y0 and y + 1 <= y1:
            return 1.0
        if x + 1 <= x0 or x >= x1 or y + 1 <= y0 or y >= y1:
            return 0.0
        return None


class RoundRect(Shape):
    """A rectangle with quarter-circle corners of radius r."""

    def __init__(self, x0, y0, x1, y1, r):
        self.r = (x0, y0, x1, y1)
        self.radius = max(0.0, min(r, (x1 - x0) / 2.0, (y1 - y0) / 2.0))

    def inside(self, px, py):
        x0, y0, x1, y1 = self.r
        if not (x0 <= px < x1 and y0 <= py < y1):
            return False
        r = self.radius
        cx = min(max(px, x0 + r), x1 - r)
        cy = min(max(py, y0 + r), y1 - r)
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r

    def bounds(self):
        return self.r

    def classify(self, x, y):
        x0, y0, x1, y1 = self.r
        r = self.radius
        if x + 1 <= x0 or x >= x1 or y + 1 <= y0 or y >= y1:
            return 0.0
        inner_x = x >= x0 + r and x + 1 <= x1 - r
        inner_y = y >= y0 + r and y + 1 <= y1 - r
        if (inner_x and y >= y0 and y + 1 <= y1) or (inner_y and x >= x0 and x + 1 <= x1):
            return 1.0
        return None


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.c = (cx, cy, r)

    def inside(self, px, py):
        cx, cy, r = self.c
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r

    def bounds(self):
        cx, cy, r = self.c
        return (cx - r, cy - r, cx + r, cy + r)

    def classify(self, x, y):
        cx, cy, r = self.c
        d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
        if d <= r - 0.71:
            return 1.0
        if d >= r + 0.71:
            return 0.0
        return None


class Polygon(Shape):
    def __init__(self, points):
        self.points = list(points)

    def inside(self, px, py):
        result = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result

    def bounds(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return (min(xs), min(ys), max(xs), max(ys))


class Union(Shape):
    def __init__(self, parts):
        self.parts = list(parts)

    def inside(self, px, py):
        return any(p.inside(px, py) for p in self.parts)

    def bounds(self):
        b = [p.bounds() for p in self.parts]
        return (min(x[0] for x in b), min(x[1] for x in b), max(x[2] for x in b), max(x[3] for x in b))

    def classify(self, x, y):
        known = [p.classify(x, y) for p in self.parts]
        if any(k == 1.0 for k in known):
            return 1.0
        if all(k == 0.0 for k in known):
            return 0.0
        return None


class Difference(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b

    def inside(self, px, py):
        return self.a.inside(px, py) and not self.b.inside(px, py)

    def bounds(self):
        return self.a.bounds()

    def classify(self, x, y):
        a = self.a.classify(x, y)
        b = self.b.classify(x, y)
        if a == 0.0 or b == 1.0:
            return 0.0
        if a == 1.0 and b == 0.0:
            return 1.0
        return None


class Transformed(Shape):
    """A shape in unit coordinates placed into a box: (u, v) in [0, 1]
    becomes (x0 + u * w, y0 + v * h)."""

    def __init__(self, shape, box):
        self.shape = shape
        self.box = box

    def inside(self, px, py):
        x0, y0, x1, y1 = self.box
        return self.shape.inside((px - x0) / (x1 - x0), (py - y0) / (y1 - y0))

    def bounds(self):
        x0, y0, x1, y1 = self.box
        u0, v0, u1, v1 = self.shape.bounds()
        return (x0 + u0 * (x1 - x0), y0 + v0 * (y1 - y0), x0 + u1 * (x1 - x0), y0 + v1 * (y1 - y0))


def rotated_bar(x0, y0, x1, y1, thickness):
    """A bar of the thickness from one point to another, as a polygon."""
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy) or 1.0
    nx, ny = -dy / length * thickness / 2, dx / length * thickness / 2
    return Polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])


# --- colours ---

def mix(a, b, t):
    """a blended toward b by t (0 gives a, 1 gives b)."""
    return tuple(int(a[i] + (b[i] - a[i]) * t + 0.5) for i in range(3))


def lighten(c, t):
    return mix(c, (255, 255, 255), t)


def darken(c, t):
    return mix(c, (0, 0, 0), t)


def vertical_gradient(y0, c0, y1, c1):
    span = max(1.0, float(y1 - y0 - 1))

    def colour(x, y):
        t = min(1.0, max(0.0, (y - y0) / span))
        return mix(c0, c1, t)
    return colour


def luminance(c):
    def channel(v):
        v /= 255.0
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(v) for v in c)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    hi, lo = max(la, lb), min(la, lb)
    return (hi + 0.05) / (lo + 0.05)


def parse_colour(text):
    text = text.strip().lstrip("#")
    if len(text) != 6:
        raise ValueError("colour %r is not #RRGGBB" % text)
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16))


class Intersection(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b

    def inside(self, px, py):
        return self.a.inside(px, py) and self.b.inside(px, py)

    def bounds(self):
        a, b = self.a.bounds(), self.b.bounds()
        return (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))

    def classify(self, x, y):
        a = self.a.classify(x, y)
        b = self.b.classify(x, y)
        if a == 0.0 or b == 0.0:
            return 0.0
        if a == 1.0 and b == 1.0:
            return 1.0
        return None
