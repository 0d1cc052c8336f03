"""Pixel art for the smallest parts of a skin: icons and legends a few pixels
high, drawn pixel for pixel (no smoothing), so that they stay crisp where a
shape would blur. Each entry is a list of rows, "#" lit and "." unlit.

Legends are the short Latin labels of a player's display (units such as kHz
and kbps, the source labels MP3 and CD, EQ): the windows draw every other
text, in Korean, with the system's fonts."""

# Icons 7 pixels wide and 5 high, for the 20 x 9 indicator chips.
ICONS = {
    "note": ["...##..",
             "...#.#.",
             "...#...",
             ".###...",
             ".###..."],
    "antenna": [".#...#.",
             "#..#..#",
             "#.###.#",
             "#..#..#",
             ".#.#.#."],
    "repeat": [".####..",
             "#....#.",
             "#...###",
             "#....#.",
             ".###..."],
    "once": ["...#...",
             "....#..",
             "######.",
             "....#..",
             "...#..."],
    "shuffle": ["#....##",
             ".#..#.#",
             "..##...",
             ".#..#.#",
             "#....##"],
    # A small arrow pointing down (a drop-down box's button).
    "down": ["#####",
             ".###.",
             "..#.."],
    # A speaker cone, and the cross that marks it muted (drawn beside it).
    "speaker": ["...#",
                "..##",
                "####",
                "####",
                "..##",
                "...#"],
    # The cross that marks the speaker muted, right of it in a 9 x 7 box.
    "muted_cross": [".........",
                    "....#...#",
                    ".....#.#.",
                    "......#..",
                    ".....#.#.",
                    "....#...#",
                    "........."],
}

# A 3 x 5 font for legends (M, N and W are 5 wide).
FONT = {
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "3": ["###", "..#", ".##", "..#", "###"],
    "C": [".##", "#..", "#..", "#..", ".##"],
    "D": ["##.", "#.#", "#.#", "#.#", "##."],
    "E": ["###", "#..", "##.", "#..", "###"],
    "H": ["#.#", "#.#", "###", "#.#", "#.#"],
    "L": ["#..", "#..", "#..", "#..", "###"],
    "M": ["#...#", "##.##", "#.#.#", "#...#", "#...#"],
    "N": ["#..#", "##.#", "#.##", "#..#", "#..#"],
    "O": [".#.", "#.#", "#.#", "#.#", ".#."],
    "P": ["##.", "#.#", "##.", "#..", "#.."],
    "Q": [".##.", "#..#", "#..#", "#.#.", ".#.#"],
    "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "Z": ["###", "..#", ".#.", "#..", "###"],
    "b": ["#..", "#..", "##.", "#.#", "##."],
    "k": ["#..", "#.#", "##.", "##.", "#.#"],
    "p": ["...", "##.", "#.#", "##.", "#.."],
    "s": ["...", ".##", ".#.", "..#", "##."],
    "z": ["...", "###", ".#.", "#..", "###"],
}

# Small digits for the number displays: 4 x 5 cells, and a 2-wide one.
DIGITS_4 = {
    "0": ["####", "#..#", "#..#", "#..#", "####"],
    "1": ["..#.", ".##.", "..#.", "..#.", ".###"],
    "2": ["####", "...#", "####", "#...", "####"],
    "3": ["####", "...#", ".###", "...#", "####"],
    "4": ["#..#", "#..#", "####", "...#", "...#"],
    "5": ["####", "#...", "####", "...#", "####"],
    "6": ["####", "#...", "####", "#..#", "####"],
    "7": ["####", "...#", "..#.", ".#..", ".#.."],
    "8": ["####", "#..#", "####", "#..#", "####"],
    "9": ["####", "#..#", "####", "...#", "####"],
}
DIGITS_2 = {"1": [".#", "##", ".#", ".#", ".#"]}


def icon(name):
    if name not in ICONS:
        raise KeyError("unknown pixel icon %r (known: %s)" % (name, ", ".join(sorted(ICONS))))
    return ICONS[name]


def text_rows(text):
    """The rows of a legend: its characters one pixel apart."""
    rows = [""] * 5
    for i, ch in enumerate(text):
        if ch not in FONT:
            raise KeyError("no pixel letter %r" % ch)
        for r in range(5):
            rows[r] += ("." if i else "") + FONT[ch][r]
    return rows


def content_rows(name=None, text=None):
    """The rows of an icon, or of a legend, or of several icons (names
    joined by "+", one pixel apart)."""
    if text:
        return text_rows(text)
    parts = [icon(n) for n in name.split("+")]
    height = max(len(p) for p in parts)
    rows = [""] * height
    for i, p in enumerate(parts):
        pad = (height - len(p)) // 2
        for r in range(height):
            line = p[r - pad] if 0 <= r - pad < len(p) else "." * len(p[0])
            rows[r] += ("." if i else "") + line
    return rows


def draw(canvas, rows, x0, y0, colour):
    for r, line in enumerate(rows):
        for c, ch in enumerate(line):
            if ch == "#":
                canvas.set(x0 + c, y0 + r, colour)


def size(rows):
    return (max(len(r) for r in rows), len(rows))


def draw_centred(canvas, rows, rect, colour):
    w, h = size(rows)
    x0 = rect[0] + (rect[2] - rect[0] - w) // 2
    y0 = rect[1] + (rect[3] - rect[1] - h + 1) // 2
    draw(canvas, rows, x0, y0, colour)
