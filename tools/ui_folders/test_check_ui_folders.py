"""The folder check on small trees: which includes it lets through."""
import os
import tempfile
import unittest

import check_ui_folders


def make_tree(root, files):
    for rel, text in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)


# Headers every case's tree holds.
BASE = {
    "interfaces/main_ui.h": "",
    "options/player_options.h": "",
    "dialogs/progress_dialog.h": "",
    "main_window/player_window.h": "",
    "main_window/main_window_service.h": "",
    "playlist_window/playlist_view.h": "",
    "playlist_window/playlist_services.h": "",
    "start_up/start_up.h": "",
}


class FolderCheck(unittest.TestCase):
    CASES = [
        # (file, text, faults expected)
        ("dialogs/a.cpp", '#include "player_options.h"\n', 0),           # down
        ("options/a.cpp", '#include "main_ui.h"\n', 0),                  # interfaces
        ("options/a.cpp", '#include "interfaces/main_ui.h"\n', 0),       # with its folder
        ("main_window/a.cpp", '#include "player_window.h"\n', 0),        # own folder
        ("start_up/a.cpp", '#include "playlist_view.h"\n', 0),           # start-up above windows
        ("main_window/a.cpp", '#include "playlist_services.h"\n', 0),    # peer seam
        ("main_window/a.cpp", '#include "playlist_view.h"\n', 1),        # peer, not a seam
        ("library/a.cpp", '#include "player_window.h"\n', 1),            # a new window folder
        ("options/a.cpp", '#include "progress_dialog.h"\n', 1),          # up
        ("dialogs/a.cpp", '#include "main_window_service.h"\n', 1),      # up, even a seam
        ("channel/a.rc", '#include "start_up.h"\n', 1),                  # resource scripts too
        ("dialogs/a.cpp", '#include "windows.h"\n#include <vector>\n', 0),  # outside ui
        ("reports/a.cpp", '#include "player_window.h"\n#include "start_up.h"\n', 2),
    ]

    def test_cases(self):
        for rel, text, expected in self.CASES:
            with self.subTest(file=rel, text=text), tempfile.TemporaryDirectory() as root:
                make_tree(root, dict(BASE, **{rel: text}))
                faults = check_ui_folders.check(root)
                self.assertEqual(len(faults), expected, faults)
                for line in faults:
                    self.assertTrue(line.startswith(rel), line)

    def test_exit_status(self):
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, dict(BASE, **{"options/a.cpp": '#include "player_window.h"\n'}))
            self.assertEqual(check_ui_folders.main(["check", root]), 1)
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, BASE)
            self.assertEqual(check_ui_folders.main(["check", root]), 0)


if __name__ == "__main__":
    unittest.main()
