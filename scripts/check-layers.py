#!/usr/bin/env python3
"""Checks that no layer of src/ reaches one above it.

Layers, lowest first, are the folders named in LAYERS. A file under
src/<layer>/ may include only headers of its own layer or of a lower one, and
a target defined under src/<layer>/ may link only targets of its own layer or
of a lower one. Prints every offending include and link and exits 1 when there
is any.

    check-layers.py [SOURCE_DIR]    (default: the folder above this script)
"""
import pathlib
import re
import sys

LAYERS = ["platform", "protocol", "visa", "link", "scpi", "sim", "functions",
          "views", "panel", "app", "tools"]
RANK = {layer: i for i, layer in enumerate(LAYERS)}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]*"', re.MULTILINE)
DEFINE = re.compile(r'^\s*add_(?:library|executable)\(\s*([\w.-]+)', re.MULTILINE)
LINK = re.compile(r'target_link_libraries\(\s*([\w.-]+)([^)]*)\)', re.DOTALL)


def layer_of(path, src):
    parts = path.relative_to(src).parts
    return parts[0] if len(parts) > 1 else None


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    src = root / "src"
    problems = []

    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        layer = layer_of(path, src)
        if layer not in RANK:
            problems.append(f"{path.relative_to(root)}: folder src/{layer} is no known layer")
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        for match in INCLUDE.finditer(text):
            target = match.group(1)
            if target in RANK and RANK[target] > RANK[layer]:
                line = text.count("\n", 0, match.start()) + 1
                problems.append(f"{path.relative_to(root)}:{line}: {layer} includes "
                                f"\"{target}/...\", a layer above it")

    lists = sorted(src.rglob("CMakeLists.txt"))
    owner = {}
    for path in lists:
        layer = layer_of(path, src)
        for match in DEFINE.finditer(path.read_text(encoding="utf-8")):
            owner[match.group(1)] = layer
    for path in lists:
        text = path.read_text(encoding="utf-8")
        for match in LINK.finditer(text):
            target = match.group(1)
            layer = owner.get(target, layer_of(path, src))
            for item in match.group(2).split():
                dependency = owner.get(item)
                if dependency in RANK and layer in RANK and RANK[dependency] > RANK[layer]:
                    problems.append(f"{path.relative_to(root)}: {target} ({layer}) links "
                                    f"{item} ({dependency}), a layer above it")

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
