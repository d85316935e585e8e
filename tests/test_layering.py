#!/usr/bin/env python3
"""The layering check finds the includes it must and lets the allowed ones be."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import layering  # noqa: E402


def tree(files):
    root = tempfile.mkdtemp()
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)
    return root


class Layering(unittest.TestCase):
    def test_allowed_includes(self):
        src = tree({
            "core/store/A.cpp": '#include "core/store/A.h"\n#include "core/model/B.h"\n',
            "gui/manual/W.cpp": '#include "gui/widgets/G.h"\n#include "core/formats/P.h"\n',
            "gui/shell/M.cpp": '#include "gui/manual/W.h"\n#include "gui/output/X.h"\n',
            "gui/main.cpp": '#include "gui/shell/M.h"\n',
            "cli/c.cpp": '#include "cli/T.h"\n#include "core/config/C.h"\n#include <QString>\n',
        })
        self.assertEqual(layering.check(src), [])

    def test_upward_sideways_and_unknown(self):
        src = tree({
            "core/rules/R.cpp": '#include "core/rules/R.h"\n  #  include "core/store/S.h"\n',
            "gui/limits/L.cpp": '#include "gui/manual/U.h"\n',
            "gui/widgets/G.cpp": '#include "gui/shell/M.h"\n',
            "cli/c.cpp": '#include "gui/widgets/G.h"\n',
            "core/model/X.h": '#include "core/misc/Y.h"\n',
            "other/Z.cpp": "",
        })
        faults = "\n".join(layering.check(src))
        for expected in ["src/core/rules/R.cpp:2: includes core/store/S.h",
                         "src/gui/limits/L.cpp:1: includes gui/manual/U.h",
                         "src/gui/widgets/G.cpp:1: includes gui/shell/M.h",
                         "src/cli/c.cpp:1: includes gui/widgets/G.h",
                         "src/core/model/X.h:1: includes core/misc/Y.h",
                         "src/other/Z.cpp: lies in no layer"]:
            self.assertIn(expected, faults)
        self.assertEqual(len(faults.splitlines()), 6)


if __name__ == "__main__":
    unittest.main()
