"""The skin lint finds the faults it is there for: each case spoils one
thing of a small skin, in its data or in its image, and expects the lint to
name it. Run by the tests (python3 -m unittest test_skin_lint)."""
import copy
import unittest

import png_io
import render
import skin_lint
import skin_data

BASE = {
    "name": "probe",
    "size": [60, 50],
    "face": [60, 30],
    "corner": 4,
    "variant": [{"png": "probe.png", "palette": "blue", "text": "#98cbf1"}],
    "layer": [{"kind": "display", "rect": [4, 4, 56, 18]}],
    "button": [{"name": "play", "id": 10, "draw": [4, 20, 16, 28], "glyph": "play",
                "normal": [0, 32, 12, 40], "hover": [13, 32, 25, 40]}],
    "slider": [{"name": "seek", "id": 22, "axis": "horizontal", "hit": [20, 20, 56, 28], "thumb": [20, 20, 26, 28],
                "normal": [26, 32, 32, 40]}],
    "static": [{"name": "title", "id": 23, "rect": [6, 6, 54, 16]}],
    "swatch": [{"name": "fill", "rect": [40, 32, 42, 34], "colour": "accent"}],
}


def lint(data, spoil_image=None):
    skin = skin_data.parse(copy.deepcopy(data))
    canvas = render.render(skin, skin.variants[0])
    if spoil_image:
        spoil_image(canvas)
    png = png_io.PngFile(png_io.encode_rgb(canvas.width, canvas.height, canvas.px))
    return skin_lint.check_layout(skin) + skin_lint.check_image(skin, skin.variants[0], png)


def changed(**parts):
    data = copy.deepcopy(BASE)
    for key, value in parts.items():
        data[key] = value
    return data


class SkinLintTest(unittest.TestCase):
    def assert_found(self, errors, words):
        self.assertTrue(any(words in e for e in errors), "%r not in %s" % (words, errors))

    def test_a_clean_skin_passes(self):
        self.assertEqual(lint(BASE), [])

    def test_a_state_of_the_wrong_size(self):
        data = copy.deepcopy(BASE)
        data["button"][0]["hover"] = [13, 32, 26, 40]
        self.assert_found(lint(data), "is not the size of its draw rectangle")

    def test_a_pixel_next_to_the_key_colour(self):
        errors = lint(BASE, lambda c: c.set(50, 45, (250, 4, 251)))
        self.assert_found(errors, "nearly, but not exactly, the key colour")
        self.assert_found(errors, "stale")
        self.assert_found(errors, "are not the key colour")

    def test_key_colour_inside_a_state_image(self):
        self.assert_found(lint(BASE, lambda c: c.set(2, 34, (255, 0, 255))), "holds key-colour pixels")

    def test_a_broken_outline(self):
        self.assert_found(lint(BASE, lambda c: c.set(0, 0, (10, 10, 10))), "outline differs")

    def test_text_without_contrast(self):
        data = copy.deepcopy(BASE)
        data["variant"][0]["text"] = "#101820"
        self.assert_found(lint(data), "contrast")

    def test_overlapping_images_and_a_control_off_the_face(self):
        data = copy.deepcopy(BASE)
        data["slider"][0]["normal"] = [8, 32, 14, 40]
        data["button"][0]["draw"] = [50, 26, 62, 34]
        data["button"][0]["hit"] = [50, 26, 62, 34]
        errors = lint(data)
        self.assert_found(errors, "overlaps")
        self.assert_found(errors, "is not on the face")

    def test_a_thumb_without_travel(self):
        data = copy.deepcopy(BASE)
        data["slider"][0]["hit"] = [20, 20, 26, 28]
        self.assert_found(lint(data), "no travel")

    def test_pieces_that_leave_gaps_and_a_control_on_a_strip(self):
        pieces = [{"kind": 0, "rect": [0, 0, 20, 15]}, {"kind": 1, "rect": [20, 0, 21, 15]},
                  {"kind": 2, "rect": [21, 0, 60, 15]}, {"kind": 6, "rect": [0, 15, 20, 30]},
                  {"kind": 7, "rect": [20, 16, 21, 30]}, {"kind": 8, "rect": [21, 15, 60, 30]}]
        data = changed(piece=pieces)
        data["button"][0]["draw"] = [14, 20, 26, 28]
        data["button"][0]["hit"] = [14, 20, 26, 28]
        errors = lint(data)
        self.assert_found(errors, "uncovered")
        self.assert_found(errors, "lies on the stretching piece")

    def test_pieces_may_reach_one_row_past_the_face_but_not_lie_off_it(self):
        pieces = [{"kind": 0, "rect": [0, 0, 20, 15]}, {"kind": 1, "rect": [20, 0, 21, 15]},
                  {"kind": 2, "rect": [21, 0, 60, 15]}, {"kind": 6, "rect": [0, 15, 20, 31], "grip": [0, 27, 4, 31]},
                  {"kind": 7, "rect": [20, 15, 21, 31]}, {"kind": 8, "rect": [21, 15, 60, 31]}]
        errors = lint(changed(piece=pieces))
        self.assertFalse([e for e in errors if "face" in e or "uncovered" in e or "twice" in e], errors)
        pieces[4] = {"kind": 7, "rect": [20, 30, 21, 40]}
        errors = lint(changed(piece=pieces))
        self.assert_found(errors, "piece 7 (20, 30, 21, 40) is not on the face")
        self.assert_found(errors, "uncovered")

    def test_unknown_keys_are_refused(self):
        data = copy.deepcopy(BASE)
        data["button"][0]["hovr"] = [13, 32, 25, 40]
        with self.assertRaises(skin_data.SkinError):
            skin_data.parse(data)

    def test_other_chunks_are_refused(self):
        skin = skin_data.parse(copy.deepcopy(BASE))
        canvas = render.render(skin, skin.variants[0])
        good = png_io.encode_rgb(canvas.width, canvas.height, canvas.px)
        # A background chunk after the header, as many editors write one.
        extra = good[:33] + png_io._chunk(b"bKGD", b"\0\0\0\0\0\0") + good[33:]
        errors = skin_lint.check_image(skin, skin.variants[0], png_io.PngFile(extra))
        self.assert_found(errors, "only IHDR, IDAT and IEND")

    def test_a_composed_look_and_a_shared_thumb_pass_but_a_stray_sample_does_not(self):
        data = copy.deepcopy(BASE)
        # The button's pressed look is composed by the window: a copy of
        # the face with a patch of one pixel's colour, at the look's place.
        data["button"][0]["pressed"] = [0, 41, 12, 49]
        data["cut"] = [{"name": "play_on", "kind": "copy", "rect": [0, 41, 12, 49], "source": [4, 20, 16, 28],
                        "patch": [2, 2, 5, 5], "sample": [10, 10]}]
        second = dict(data["slider"][0], name="volume", id=21, hit=[20, 20, 56, 28])
        data["slider"].append(second)
        self.assertEqual(lint(data), [])
        data["cut"][0]["sample"] = [90, 10]
        self.assert_found(lint(data), "lies outside the image")

    def test_a_face_stored_away_from_the_origin(self):
        # The window code moves the face from (2, 3) of the file to (0, 0):
        # the file must hold it there, and nothing else may lie where it is
        # kept.
        data = changed(size=[62, 53], stored_at=[2, 3])
        for b in data["button"]:
            b["normal"], b["hover"] = [0, 35, 12, 43], [13, 35, 25, 43]
        data["slider"][0]["normal"] = [26, 35, 32, 43]
        data["swatch"][0]["rect"] = [40, 35, 42, 37]
        skin = skin_data.parse(copy.deepcopy(data))
        drawn = render.render(skin, skin.variants[0])
        kept = render.stored(skin, drawn)
        self.assertEqual(kept.get(0, 0), (255, 0, 255))
        self.assertEqual(kept.get(2 + 30, 3 + 10), drawn.get(30, 10))

        def check(canvas):
            png = png_io.PngFile(png_io.encode_rgb(canvas.width, canvas.height, canvas.px))
            return skin_lint.check_layout(skin) + skin_lint.check_image(skin, skin.variants[0], png)

        self.assertEqual(check(kept), [])
        self.assert_found(check(drawn), "stale")
        data["swatch"][0]["rect"] = [58, 31, 60, 33]
        self.assert_found(skin_lint.check_layout(skin_data.parse(data)), "lies where the file keeps the face")
        with self.assertRaises(skin_data.SkinError):
            skin_data.parse(changed(stored_at=[2, 30]))


if __name__ == "__main__":
    unittest.main()
