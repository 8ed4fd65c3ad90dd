#!/usr/bin/env python3
"""Mutation sites of the core library, for scripts/mutants.sh.

  mutants.py sites ROOT                  every candidate site, in a stable order
  mutants.py sample ROOT SEED COUNT      COUNT sites chosen by SEED
  mutants.py apply FILE LINE COL OLD NEW one site applied to FILE in place
  mutants.py tests BUILD ROOT FOLDER RE  the CTest tests of a core folder, with their targets

Sites are found in the core's .cpp files under src/ (never tests/): the text
is first masked (comments, string and character literals blanked, #-lines
dropped), then matched with regular expressions. A site's key is its file,
its kind, the text of its line and which same line of the file it is, never
the line number, so the choice of a seed stays the same when unrelated code
moves, and a change in one file moves only that file's choices.

Output rows are tab-separated: file, line, column (1-based), kind, old text,
new text.
"""
import hashlib
import os
import re
import sys

FOLDERS = ["app", "link", "ecu", "mapfile", "interp", "autotune", "config", "datalog", "i18n"]

# Binary operators are written with a space on each side here, which tells
# them from template brackets, pointers-to-member and declarators (T &&x).
RELATIONAL = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
RE_RELATIONAL = re.compile(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)")
RE_LOGICAL = re.compile(r"(?<=\s)(&&|\|\|)(?=\s)")
RE_ARITH = re.compile(r"(?<=\s)(\+=|-=|\+|-)(?=\s)")
ARITH = {"+": "-", "-": "+", "+=": "-=", "-=": "+="}
# A preprocessing number: only plain integers are changed, never parts of
# floating literals (1.5, 1e-3) or of names (qint32).
RE_NUMBER = re.compile(r"(?<![\w.])(?:\d|\.\d)(?:[eEpP][+-]|[\w.'])*")
RE_INTEGER = re.compile(r"^(0[xX][0-9A-Fa-f]+|\d+)([uUlL]*)$")
# Waits, timers and capacities: one more millisecond or slot changes nothing
# a test could see, so their constants would only add equivalent mutants.
RE_WAIT_LINE = re.compile(r"(?i)(waitfor\w*|sleep|singleshot|setinterval|timeout|attesa\w*|reserve|start)\s*\(")
# Text is joined with + too: on lines that build text a swapped + would
# mostly not compile, so their + and - are left out.
RE_TEXT_LINE = re.compile(r'"|QString|QLatin1|QByteArray|QChar|CrLf|Testo\(|reserve\(')
RE_RETURN_BOOL = re.compile(r"\breturn\s+(true|false)\s*;")
# A whole statement on one line: an assignment to an lvalue, ++/--, or a call.
LVALUE = r"\*?[A-Za-z_]\w*(?:(?:\.|->|::)[A-Za-z_]\w*|\[[^\]]*\])*"
RE_ASSIGN = re.compile(r"^" + LVALUE + r"\s*(?:[-+*/%|&^]|<<|>>)?=(?!=)")
RE_INCDEC = re.compile(r"^(?:(?:\+\+|--)" + LVALUE + r"|" + LVALUE + r"(?:\+\+|--))\s*;$")
RE_CALL = re.compile(r"^(?:emit\s+)?([A-Za-z_]\w*(?:(?:\.|->|::)[A-Za-z_]\w*)*)\s*\(")
NOT_CALLS = {"if", "for", "while", "switch", "return", "sizeof", "static_assert", "assert",
             "delete", "throw", "catch", "decltype", "alignof", "co_return", "co_await"}
RE_CONTROL_HEAD = re.compile(r"^(?:\}\s*)?(?:if|else\s+if|for|while)\s*\(")


def mask(text):
    """The text with comments and the insides of literals blanked, same length
    and lines; string literals keep their quotes so that they can be seen."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                out[i] = " "
                i += 1
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            for k in range(i, end):
                if text[k] != "\n":
                    out[k] = " "
            i = end
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            open_paren = text.find("(", i + 2)
            delim = text[i + 2:open_paren]
            end = text.find(")" + delim + '"', open_paren)
            end = n if end < 0 else end + len(delim) + 2
            for k in range(i + 2, end - 1):
                if text[k] != "\n":
                    out[k] = " "
            i = end
        elif c in "\"'":
            # A digit separator (1'000) is not a character literal.
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum() \
                    and re.match(r"[0-9A-Fa-fxX']", text[i - 1]):
                i += 1
                continue
            k = i + 1
            while k < n and text[k] != c and text[k] != "\n":
                if text[k] == "\\":
                    out[k] = " "
                    k += 1
                out[k] = " "
                k += 1
            i = k + 1
        else:
            i += 1
    return "".join(out)


def core_files(root):
    files = []
    for folder in FOLDERS:
        d = os.path.join(root, "src", folder)
        if not os.path.isdir(d):
            continue
        for name in sorted(os.listdir(d)):
            if name.endswith(".cpp") and not name.startswith("Frm") and name != "main.cpp":
                files.append(f"src/{folder}/{name}")
    return files


def balanced(s):
    depth = 0
    for ch in s:
        if ch in "([{":
            depth += 1
        elif ch in ")]}":
            depth -= 1
            if depth < 0:
                return False
    return depth == 0


def starts_statement(prev):
    """Whether the line after the significant line PREV begins a statement."""
    if prev is None:
        return False
    if prev.endswith((";", "{", "}")) or (prev.endswith(":") and not prev.endswith("::")):
        return True
    if prev in ("else", "} else", "do"):
        return True
    return prev.endswith(")") and bool(RE_CONTROL_HEAD.match(prev)) and balanced(prev.split("(", 1)[1][:-1])


def statement_site(code, prev):
    """The statement on masked line CODE that can be dropped, if any."""
    stripped = code.strip()
    if not stripped.endswith(";") or not starts_statement(prev) or not balanced(stripped):
        return None
    if stripped.count(";") != 1:
        return None
    if RE_ASSIGN.match(stripped) or RE_INCDEC.match(stripped):
        return stripped
    m = RE_CALL.match(stripped)
    if m:
        name = m.group(1)
        last = re.split(r"\.|->|::", name)[-1]
        if name in NOT_CALLS or last.isupper() or last.startswith("Q_"):
            return None
        return stripped
    return None


def file_sites(root, path):
    with open(os.path.join(root, path), encoding="utf-8") as f:
        text = f.read()
    lines = text.split("\n")
    masked = mask(text).split("\n")
    sites = []
    seen = {}
    prev = None
    continued = False
    for number, (line, code) in enumerate(zip(lines, masked), start=1):
        stripped = code.strip()
        directive = continued or stripped.startswith("#")
        continued = directive and line.rstrip().endswith("\\")
        if directive or not stripped:
            continue
        same = seen.get(line.strip(), 0)
        seen[line.strip()] = same + 1
        found = []
        for m in RE_RELATIONAL.finditer(code):
            found.append((m.start(), "relational", m.group(1), RELATIONAL[m.group(1)]))
        for m in RE_LOGICAL.finditer(code):
            found.append((m.start(), "logical", m.group(1), "||" if m.group(1) == "&&" else "&&"))
        for m in RE_ARITH.finditer(code if not RE_TEXT_LINE.search(code) else ""):
            before = code[:m.start()].rstrip()
            # A space before and after, but unary: "= -1", "(a, - b)".
            if not before or before[-1] in "=(,?:[{<>!&|+-*/%":
                continue
            found.append((m.start(), "arithmetic", m.group(1), ARITH[m.group(1)]))
        if not RE_WAIT_LINE.search(code):
            for m in RE_NUMBER.finditer(code):
                im = RE_INTEGER.match(m.group(0))
                if not im:
                    continue
                digits, suffix = im.group(1), im.group(2)
                if digits.lower().startswith("0x"):
                    value = int(digits, 16) + 1
                    new = ("0x" if digits[1] == "x" else "0X") + format(value, "X" if any(
                        ch.isupper() for ch in digits[2:]) else "x").zfill(len(digits) - 2)
                elif len(digits) > 1 and digits.startswith("0"):
                    continue  # octal: none in this code, left alone
                else:
                    new = str(int(digits) + 1)
                found.append((m.start(), "constant", m.group(0), new + suffix))
        for m in RE_RETURN_BOOL.finditer(code):
            word = m.group(1)
            col = m.start(1)
            found.append((col, "return", word, "false" if word == "true" else "true"))
        statement = statement_site(code, prev)
        if statement:
            found.append((code.index(statement), "statement", line[code.index(statement):code.index(statement) + len(statement)], ";"))
        found.sort()
        for index, (col, kind, old, new) in enumerate(found):
            key = f"{path}|{kind}|{line.strip()}|{same}|{index}"
            sites.append({"file": path, "line": number, "col": col + 1, "kind": kind,
                          "old": old, "new": new, "key": key})
        prev = stripped
    return sites


def all_sites(root):
    sites = []
    for path in core_files(root):
        sites.extend(file_sites(root, path))
    return sites


def sample(root, seed, count):
    def rank(site):
        return hashlib.sha256(f"{seed}|{site['key']}".encode()).hexdigest()
    chosen = sorted(all_sites(root), key=rank)[:count]
    return sorted(chosen, key=lambda s: (s["file"], s["line"], s["col"]))


def row(site):
    return "\t".join([site["file"], str(site["line"]), str(site["col"]), site["kind"], site["old"], site["new"]])


def apply(path, line, col, old, new):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    text = lines[line - 1]
    start = col - 1
    if text[start:start + len(old)] != old:
        sys.exit(f"{path}:{line}:{col}: expected '{old}', found '{text[start:start + len(old)]}'")
    lines[line - 1] = text[:start] + new + text[start + len(old):]
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


RE_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def test_source(root, name):
    """The source file of CTest test NAME: `<folder>.<file>[.variant]` is
    tests/<folder>/<file>.cpp; a name without a folder is looked for in every
    folder of tests/."""
    parts = name.split(".")
    if len(parts) >= 2:
        path = os.path.join(root, "tests", parts[0], parts[1] + ".cpp")
        if os.path.isfile(path):
            return [path]
    found = []
    for dirpath, _, names in os.walk(os.path.join(root, "tests")):
        if parts[0] + ".cpp" in names:
            found.append(os.path.join(dirpath, parts[0] + ".cpp"))
    return found


def includes(root, name):
    """The quoted includes of test NAME's source, with those of the headers
    beside it (one level: the shared harness is not followed)."""
    result = set()
    for source in test_source(root, name):
        with open(source, encoding="utf-8", errors="replace") as f:
            own = RE_INCLUDE.findall(f.read())
        result.update(own)
        for header in own:
            beside = os.path.join(os.path.dirname(source), header)
            if os.path.isfile(beside):
                with open(beside, encoding="utf-8", errors="replace") as f:
                    result.update(RE_INCLUDE.findall(f.read()))
    return result


RE_ADD_TEST = re.compile(r'^add_test\(\[(=*)\[(.*?)\]\1\] "([^"]+)"', re.M)


def ctest_tests(build):
    """Name and program of every CTest test of the build folder."""
    # The test files CMake writes name each test's program even before it is built.
    seen = set()
    for dirpath, dirs, names in os.walk(build):
        dirs[:] = sorted(d for d in dirs if d != "CMakeFiles" and not d.endswith("_autogen"))
        if "CTestTestfile.cmake" not in names:
            continue
        with open(os.path.join(dirpath, "CTestTestfile.cmake"), encoding="utf-8") as f:
            listed = RE_ADD_TEST.findall(f.read())
        for _, name, program in listed:
            if name in seen:
                continue
            seen.add(name)
            yield name, program


def tests(build, root, folder, regex):
    """Name and target of each CTest test that exercises FOLDER of the core:
    its source includes a header of the folder, or its name matches REGEX."""
    pattern = re.compile(regex)
    build = os.path.realpath(build)
    for name, program in ctest_tests(build):
        program = os.path.realpath(program)
        # Only programs that the build makes: their name is their target.
        if not program.startswith(build + os.sep):
            continue
        # Several tests may run one program (one per folder): its name is the target.
        target = os.path.basename(program)
        if pattern.search(name) or any(i.startswith(folder + "/") for i in includes(root, name)):
            print(f"{name}\t{target}")


def main(argv):
    if len(argv) >= 2 and argv[0] == "sites":
        for site in all_sites(argv[1]):
            print(row(site))
    elif len(argv) == 4 and argv[0] == "sample":
        for site in sample(argv[1], int(argv[2]), int(argv[3])):
            print(row(site))
    elif len(argv) == 6 and argv[0] == "apply":
        apply(argv[1], int(argv[2]), int(argv[3]), argv[4], argv[5])
    elif len(argv) == 5 and argv[0] == "tests":
        tests(argv[1], argv[2], argv[3], argv[4])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
