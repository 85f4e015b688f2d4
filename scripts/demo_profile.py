#!/usr/bin/env python3
"""Writes a demo Outlook Express profile of our own making into a Wine prefix:
three identities (one of them empty, with no mail-client key), message stores of
varied sizes (one of a few tens of MB), mail accounts whose values hold backslashes,
signatures, and an address book. Prints the .reg file to import with regedit.

usage: demo_profile.py PREFIX_DRIVE_C WINDOWS_USER MANIFEST > profile.reg
The manifest (JSON) tells the demo where each identity's store and the address book are,
so that it can check the backup against them.
"""
import json
import os
import random
import struct
import sys

IDENTITIES = [
    ("{3F2504E0-4F89-11D3-9A0C-0305E82C3301}", "Main Identity", True),
    ("{7C9E6679-7425-40DE-944B-E07FC1F90AE7}", "Work", True),
    ("{9A8B7C6D-1234-4E5F-8A9B-0C1D2E3F4A5B}", "Guest", False),  # never used Outlook Express
]
STORES = {
    "Main Identity": [("Inbox.dbx", 24 << 20), ("Sent Items.dbx", 3 << 20), ("Folders.dbx", 40 << 10),
                      ("Deleted Items.dbx", 600 << 10), ("Pop3uidl.dbx", 12 << 10), ("Offline.dbx", 12 << 10)],
    "Work": [("Inbox.dbx", 5 << 20), ("Outbox.dbx", 12 << 10), ("Folders.dbx", 30 << 10),
             ("Projects.dbx", 9 << 20)],
}
# The fixed header of a store, as the published description of the format gives it: the kind
# of store at 0x04, the used length at 0x7C, a message folder's count at 0xC4 and the offset of
# its index root at 0xE4, where the root begins with its own offset.
HEADER_SIZE = 0x24BC
KINDS = {"Folders.dbx": 0x6F74FDC6, "Pop3uidl.dbx": 0x6F74FDC7, "Offline.dbx": 0x26FE9D30}
MESSAGE_FOLDER = 0x6F74FDC5


def store_header(name, size):
    kind = KINDS.get(name, MESSAGE_FOLDER)
    h = bytearray(HEADER_SIZE)
    struct.pack_into("<II", h, 0, 0xFE12ADCF, kind)
    h[8:16] = bytes.fromhex("66E3D1119A4E00C0")
    struct.pack_into("<I", h, 0x1C, 0x108 if name == "Folders.dbx" else 0x618)
    struct.pack_into("<I", h, 0x7C, size)
    if kind == MESSAGE_FOLDER:
        struct.pack_into("<II", h, 0xC4, max(1, size // 20000), 0)
        struct.pack_into("<I", h, 0xE4, HEADER_SIZE)
    return bytes(h) + struct.pack("<I", HEADER_SIZE)


def hex_expand(text):
    """A REG_EXPAND_SZ in a single-byte .reg file: its ANSI bytes with the NUL."""
    data = (text + "\0").encode("cp1252")
    return "hex(2):" + ",".join("%02x" % b for b in data)


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_store(folder, name, size, rng):
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    head = store_header(name, size)
    if os.path.exists(path) and os.path.getsize(path) == size:
        with open(path, "rb") as f:
            if f.read(len(head)) == head:
                return
    with open(path, "wb") as f:
        f.write(head)
        left = size - len(head)
        block = rng.randbytes(1 << 16)
        while left > 0:
            n = min(left, len(block))
            f.write(block[:n])
            left -= n
            block = block[1:] + block[:1]


def main():
    drive_c, user, manifest_path = sys.argv[1], sys.argv[2], sys.argv[3]
    manifest = {"stores": {}, "wab": ""}
    rng = random.Random(20261206)
    profile = f"C:\\users\\{user}"
    unix_profile = os.path.join(drive_c, "users", user)
    out = ["REGEDIT4", ""]
    out += ["[HKEY_CURRENT_USER\\Identities]",
            '"Default User ID"=' + reg_string(IDENTITIES[0][0]),
            '"Last User ID"=' + reg_string(IDENTITIES[0][0]),
            '"Last Username"=' + reg_string(IDENTITIES[0][1]), ""]
    for guid, name, has_mail in IDENTITIES:
        key = f"HKEY_CURRENT_USER\\Identities\\{guid}"
        out += [f"[{key}]", '"Username"=' + reg_string(name), '"User ID"=' + reg_string(guid), ""]
        if not has_mail:
            continue
        store = f"%UserProfile%\\Local Settings\\Application Data\\Identities\\{guid}\\Microsoft\\Outlook Express"
        oe = f"{key}\\Software\\Microsoft\\Outlook Express\\5.0"
        out += [f"[{oe}]", '"Store Root"=' + hex_expand(store), '"Signature Flags"=dword:00000003', ""]
        out += [f"[{oe}\\Signatures]", '"Default Signature"="00000000"', ""]
        out += [f"[{oe}\\Signatures\\00000000]", '"name"=' + reg_string(name + " signature"),
                '"text"=' + reg_string(f"-- {name} | files: \\\\fileserver\\share\\{name}\\"),
                '"type"=dword:00000001', ""]
        folder = os.path.join(unix_profile, "Local Settings", "Application Data", "Identities", guid,
                              "Microsoft", "Outlook Express")
        for fname, size in STORES[name]:
            write_store(folder, fname, size, rng)
        manifest["stores"][name] = folder
    accounts = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager"
    out += [f"[{accounts}]", '"Default Mail Account"="00000001"', ""]
    out += [f"[{accounts}\\Accounts]", ""]
    out += [f"[{accounts}\\Accounts\\00000001]", '"Account Name"="Home mail"',
            '"POP3 Server"="pop.example.org"', '"SMTP Server"="smtp.example.org"',
            '"POP3 User Name"="main.identity"',
            '"Signature Folder"=' + reg_string("\\\\fileserver\\mail\\signatures\\"),
            '"Notes"=' + reg_string("C:\\new\\tmp\\readme.txt"), '"POP3 Port"=dword:0000006e', ""]
    out += [f"[{accounts}\\Accounts\\00000002]", '"Account Name"="Work mail"',
            '"IMAP Server"="imap.example.org"', '"IMAP Root Folder"=' + reg_string("INBOX\\Projects\\"),
            '"IMAP Port"=dword:0000008f', ""]
    wab_dir = os.path.join(unix_profile, "Application Data", "Microsoft", "Address Book")
    os.makedirs(wab_dir, exist_ok=True)
    with open(os.path.join(wab_dir, f"{user}.wab"), "wb") as f:
        f.write(b"\x9c\xcb\xcb\x8d\x13\x75\xd2\x11\x91\x58\x00\xc0\x4f\x79\x56\xa4")
        f.write(rng.randbytes(300 << 10))
    wab = f"{profile}\\Application Data\\Microsoft\\Address Book\\{user}.wab"
    manifest["wab"] = os.path.join(wab_dir, f"{user}.wab")
    with open(manifest_path, "w") as f:
        json.dump(manifest, f, indent=1)
    out += ["[HKEY_CURRENT_USER\\Software\\Microsoft\\WAB\\WAB4\\Wab File Name]", "@=" + reg_string(wab), ""]
    out += ["[HKEY_CURRENT_USER\\Software\\Microsoft\\WAB\\WAB4]", '"FirstRun"=hex:01,00,00,00', ""]
    sys.stdout.write("\r\n".join(out) + "\r\n")


if __name__ == "__main__":
    main()
