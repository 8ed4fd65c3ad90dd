#!/usr/bin/env python3
"""Checks of the mutation sites (scripts/mutants.py), run by hand:
   python3 scripts/test_mutants.py"""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mutants  # noqa: E402


def tree(files):
    """A temporary tree with the given files: {"src/app/X.cpp": text}."""
    root = tempfile.mkdtemp()
    for path, text in files.items():
        os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
        with open(os.path.join(root, path), "w", encoding="utf-8") as f:
            f.write(text)
    return root


def kinds(text):
    root = tree({"src/app/A.cpp": text})
    return [(s["kind"], s["old"], s["new"]) for s in mutants.all_sites(root)]


class WhereSitesAre(unittest.TestCase):
    def test_comments_strings_and_directives_hold_none(self):
        text = ('#include <a> // a < b\n'
                '#define X(a) (a + 1)\n'
                '/* if (a == b)\n   return true; */\n'
                'const char *s = "a < b && c == 2"; // x != y\n'
                "const char c = '<';\n")
        self.assertEqual(kinds(text), [])

    def test_templates_pointers_and_shifts_are_not_comparisons(self):
        text = ("QVector<qint32> v = std::clamp<qint64>(a, b, c);\n"
                "p->x = q >> 2;\n"
                "out << a;\n"
                "template <typename T> void f(T &&x);\n")
        found = [k for k in kinds(text) if k[0] in ("relational", "logical", "arithmetic")]
        self.assertEqual(found, [])

    def test_each_kind_and_its_change(self):
        found = kinds("void f()\n{\n"
                      "    if (a < b && c >= 0x1F)\n"
                      "        x = y - 2;\n"
                      "    Chiama(x);\n"
                      "    return true;\n}\n")
        self.assertIn(("relational", "<", "<="), found)
        self.assertIn(("relational", ">=", ">"), found)
        self.assertIn(("logical", "&&", "||"), found)
        self.assertIn(("constant", "0x1F", "0x20"), found)
        self.assertIn(("arithmetic", "-", "+"), found)
        self.assertIn(("constant", "2", "3"), found)
        self.assertIn(("statement", "x = y - 2;", ";"), found)
        self.assertIn(("statement", "Chiama(x);", ";"), found)
        self.assertIn(("return", "true", "false"), found)

    def test_no_floats_names_unary_minus_or_waits(self):
        found = kinds("double d = 1.5 * x + 2e-3;\nqint32 n = -1;\nm_p.waitForFinished(1000);\n")
        constants = [k[1] for k in found if k[0] == "constant"]
        self.assertEqual(constants, ["1"])  # the 1 of -1 only
        self.assertNotIn(("arithmetic", "-", "+"), found)

    def test_only_whole_statements_are_dropped(self):
        found = kinds("void f()\n{\n"
                      "    int n = 0;\n"          # a declaration
                      "    QFile f(nome);\n"      # a declaration too
                      "    Chiama(a,\n"           # a call over two lines
                      "           b);\n"
                      "    if (n)\n"
                      "        ++n;\n"            # a statement after its if
                      "    Q_UNUSED(n);\n}\n")
        self.assertEqual([k[1] for k in found if k[0] == "statement"], ["++n;"])


class TheSample(unittest.TestCase):
    def setUp(self):
        body = "".join(f"int f{i}(int a) {{ return a < {i} ? a + {i} : a - 1; }}\n" for i in range(30))
        self.files = {"src/app/A.cpp": body, "src/link/B.cpp": body, "src/ecu/C.cpp": body}

    def test_a_seed_picks_the_same_sites_and_another_seed_others(self):
        root = tree(self.files)
        first = mutants.sample(root, 1, 20)
        self.assertEqual(first, mutants.sample(root, 1, 20))
        self.assertNotEqual(first, mutants.sample(root, 2, 20))
        self.assertEqual(len(first), 20)

    def test_an_edit_elsewhere_moves_no_choice_of_another_file(self):
        before = [s for s in mutants.sample(tree(self.files), 7, 30) if s["file"] != "src/app/A.cpp"]
        edited = dict(self.files)
        edited["src/app/A.cpp"] = "int nuova(int a) { return a == 3; }\n" + edited["src/app/A.cpp"]
        after = [s for s in mutants.sample(tree(edited), 7, 30) if s["file"] != "src/app/A.cpp"]
        # Sites of the other files keep their rank: the new sites of A.cpp can
        # only push some of them out, never bring others in.
        self.assertLessEqual({s["key"] for s in after}, {s["key"] for s in before})
        self.assertGreaterEqual(len(after), len(before) - 3)

    def test_frm_main_and_tests_are_not_sampled(self):
        files = dict(self.files)
        files["src/app/main.cpp"] = files["src/interp/FrmX.cpp"] = files["tests/core/t.cpp"] = \
            "int g(int a) { return a < 1; }\n"
        self.assertEqual({s["file"] for s in mutants.all_sites(tree(files))},
                         {"src/app/A.cpp", "src/link/B.cpp", "src/ecu/C.cpp"})


class Applying(unittest.TestCase):
    def test_changes_one_site_and_refuses_a_changed_file(self):
        root = tree({"src/app/A.cpp": "int a = b < c;\nint d = b < c;\n"})
        path = os.path.join(root, "src/app/A.cpp")
        mutants.apply(path, 2, 11, "<", "<=")
        with open(path, encoding="utf-8") as f:
            self.assertEqual(f.read(), "int a = b < c;\nint d = b <= c;\n")
        with self.assertRaises(SystemExit):
            mutants.apply(path, 1, 11, ">", ">=")


if __name__ == "__main__":
    unittest.main()
