#!/usr/bin/env python3
"""Prints the backup folder's tree with sizes and checks every copied file against its
source. usage: demo_check.py BACKUP_FOLDER MANIFEST; exits 1 when a copy differs or is missing."""
import filecmp
import json
import os
import sys


def main():
    backup, manifest = sys.argv[1], json.load(open(sys.argv[2]))
    print(f"Backup folder: {backup}")
    for root, dirs, files in os.walk(backup):
        dirs.sort()
        depth = os.path.relpath(root, backup).count(os.sep) + (root != backup)
        if root != backup:
            print("  " * (depth - 1) + os.path.basename(root) + "/")
        for name in sorted(files):
            size = os.path.getsize(os.path.join(root, name))
            print("  " * depth + f"{name}  ({size:,} bytes)")
    problems = []
    checked = 0
    wab = manifest["wab"]
    wab_name = os.path.basename(wab)
    targets = [os.path.join(backup, wab_name)]
    for identity, store in manifest["stores"].items():
        for name in sorted(os.listdir(store)):
            if name.lower().endswith(".dbx"):
                copy = os.path.join(backup, identity, name)
                checked += 1
                if not os.path.exists(copy):
                    problems.append(f"missing: {identity}/{name}")
                elif not filecmp.cmp(os.path.join(store, name), copy, shallow=False):
                    problems.append(f"differs: {identity}/{name}")
        targets.append(os.path.join(backup, identity, wab_name))
    for t in targets:
        checked += 1
        if not os.path.exists(t) or not filecmp.cmp(wab, t, shallow=False):
            problems.append(f"address book copy missing or different: {os.path.relpath(t, backup)}")
    exports = 0
    for reg in ("AllIdentities.reg", "IAM.reg", "AddressBook.reg"):
        path = os.path.join(backup, reg)
        if os.path.exists(path) and os.path.getsize(path) > 0:
            exports += 1
        else:
            problems.append(f"registry export missing or empty: {reg}")
    print()
    for p in problems:
        print("PROBLEM:", p)
    copies_ok = checked - sum(1 for p in problems if not p.startswith("registry"))
    print(f"{copies_ok} of {checked} copied files identical to their source; "
          f"{exports} of 3 registry exports written")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
