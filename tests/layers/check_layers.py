#!/usr/bin/env python3
"""Fails when a file in src/ includes a header of a later layer.

The layers, lowest first, are those of the design: a file may include headers of its own layer
and of earlier ones. The passwords document and view are Qt classes that live in passwords/ but
form a layer of their own above textdoc/.

  check_layers.py SRC_DIR      checks the tree, prints every upward include, exits 1 if any
  check_layers.py --self-test  plants an upward include in a copy of a tiny tree and checks
                               that it is caught (and that the clean tree passes)
"""
import os
import re
import sys
import tempfile

LAYERS = ["platform", "cipher", "markup", "passwords", "framework", "res", "controls", "docs",
          "textdoc", "passwords-gui", "workspace", "shell", "cli", "app"]
PASSWORDS_GUI = {"VaultoraDoc", "VaultoraView"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def layer_of(path):
    parts = path.split("/")
    if len(parts) < 2:
        return None
    folder = parts[0]
    if folder == "passwords" and os.path.splitext(parts[1])[0] in PASSWORDS_GUI:
        folder = "passwords-gui"
    return LAYERS.index(folder) if folder in LAYERS else None


def upward_includes(src):
    found = []
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, src).replace(os.sep, "/")
            own = layer_of(relative)
            if own is None:
                continue
            with open(path, encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = layer_of(match.group(1))
                    if target is not None and target > own:
                        found.append(f"{relative}:{number}: includes {match.group(1)} "
                                     f"({LAYERS[target]} is above {LAYERS[own]})")
    return found


def self_test():
    with tempfile.TemporaryDirectory() as src:
        def write(relative, text):
            os.makedirs(os.path.join(src, os.path.dirname(relative)), exist_ok=True)
            with open(os.path.join(src, relative), "w", encoding="utf-8") as out:
                out.write(text)
        write("framework/View.h", '#include "platform/TickCount.h"\n')
        write("passwords/VaultoraDoc.h", '#include "docs/EncryptedDocument.h"\n')
        write("passwords/Accounts.h", '#include <vector>\n')
        if upward_includes(src):
            print("self-test: a clean tree was refused")
            return 1
        write("passwords/Accounts.h", '#include "passwords/VaultoraDoc.h"\n')
        write("framework/Dialog.h", '  #  include "res/resource.h"\n')
        found = upward_includes(src)
        if len(found) != 2:
            print("self-test: planted upward includes were not both caught:", found)
            return 1
    print("self-test: planted upward includes caught")
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) != 2:
        print(__doc__)
        return 2
    found = upward_includes(argv[1])
    for line in found:
        print(line)
    print(f"{len(found)} upward include(s)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
