"""The few Hangul syllables that skins carry as words: the names of the
playlist window's two tabs, which the window does not write itself. Each
syllable is drawn pixel for pixel, 11 wide and 12 high, in the one-pixel
strokes of the system's 9-point Korean font, so that it reads as the text
around it."""

SYLLABLES = {
    "음": ["...#####...",
          "..#.....#..",
          "..#.....#..",
          "...#####...",
          "...........",
          "###########",
          "...........",
          "..#######..",
          "..#.....#..",
          "..#.....#..",
          "..#.....#..",
          "..#######.."],
    "악": [".###....#..",
          "#...#...#..",
          "#...#...###",
          "#...#...#..",
          ".###....#..",
          "........#..",
          "...........",
          ".########..",
          "........#..",
          "........#..",
          "........#..",
          "........#.."],
    "방": ["#...#...#..",
          "#...#...#..",
          "#####...###",
          "#...#...#..",
          "#####...#..",
          "........#..",
          "...........",
          "...#####...",
          "..#.....#..",
          "..#.....#..",
          "..#.....#..",
          "...#####..."],
    "송": [".....#.....",
          "....#.#....",
          "...#...#...",
          "..#.....#..",
          ".....#.....",
          "###########",
          "...........",
          "...#####...",
          "..#.....#..",
          "..#.....#..",
          "..#.....#..",
          "...#####..."],
    "안": [".###....#..",
          "#...#...#..",
          "#...#...###",
          "#...#...#..",
          ".###....#..",
          "........#..",
          "...........",
          ".#.........",
          ".#.........",
          ".#.........",
          ".#.........",
          ".########.."],
    "내": ["......#..#.",
          "......#..#.",
          "#.....#..#.",
          "#.....#..#.",
          "#.....#..#.",
          "#.....##.#.",
          "#.....#..#.",
          "#.....#..#.",
          "#.....#..#.",
          "#####.#..#.",
          "......#..#.",
          "......#..#."],
}

WIDTH = 11
HEIGHT = 12
GAP = 1    # between syllables of a word
SPACE = 4  # a blank between words


def known(text):
    return all(ch == " " or ch in SYLLABLES for ch in text)


def text_rows(text):
    """The rows of a text of known syllables and blanks."""
    rows = [""] * HEIGHT
    for i, ch in enumerate(text):
        if ch == " ":
            cell = ["." * SPACE] * HEIGHT
        else:
            if ch not in SYLLABLES:
                raise KeyError("no pixel syllable for %r" % ch)
            cell = SYLLABLES[ch]
        sep = "." * GAP if i and text[i - 1] != " " and ch != " " else ""
        rows = [r + sep + c for r, c in zip(rows, cell)]
    return rows
