#!/usr/bin/env python3
"""Writes the settings fuzzer's seed inputs into corpus/settings.

The bytes follow FuzzedDataProvider's reading in settings_fuzz.cpp: strings come
from the front (a backslash followed by another character ends one), choices and
numbers from the back."""
import pathlib

KEYS = ["Enabled", "AmountInFrontend", "AmountInGameplay", "Fog", "RemoveSkyTextures"]


def encode(module, pad=None, file_matches=True, other_file="", values=None):
    front, back = [], []  # back: bytes in the order they are consumed

    def string(text):
        front.append(text.replace("\\", "\\\\").encode("latin-1") + b"\\;")

    string(module)
    back.append(1 if pad else 0)
    if pad:
        length, at, filler = pad
        back.append(length - 200)
        if length > len(module):
            if len(module) > 255:
                back += [at >> 8, at & 0xFF]
            elif len(module) > 0:
                back.append(at)
            back.append(1 if filler == "d" else 0)
    back.append(1 if file_matches else 0)
    if not file_matches:
        string(other_file)
    for key in KEYS:
        value = (values or {}).get(key)
        back.append(0 if value is None else 1)
        if value is not None:
            string(value)
    return b"".join(front) + bytes(reversed(back))


TYPICAL = {"Enabled": "1", "AmountInFrontend": "0.8", "AmountInGameplay": "1.25",
           "Fog": "0", "RemoveSkyTextures": "0"}
ODD = {"Enabled": "0x1", "AmountInFrontend": "2.5abc", "AmountInGameplay": "0,5",
       "Fog": " +1", "RemoveSkyTextures": "4294967297"}
OFF = {"Enabled": "2", "AmountInFrontend": "", "AmountInGameplay": "nan(1)",
       "Fog": "01", "RemoveSkyTextures": "-1"}
LONG = {"AmountInFrontend": "0." + "0" * 250 + "17", "AmountInGameplay": "1" * 300}
PLUGIN = "C:\\Games\\Host\\scripts\\Lumavale.asi"

SEEDS = {
    "typical": encode(PLUGIN, values=TYPICAL),
    "odd_values": encode(PLUGIN, values=ODD),
    "off_values": encode(PLUGIN, values=OFF),
    "long_values": encode(PLUGIN, values=LONG),
    "no_keys": encode(PLUGIN),
    "other_file": encode(PLUGIN, file_matches=False, other_file="C:\\x.ini", values=TYPICAL),
    "forward_slashes": encode("C:/Games/Host/Lumavale.asi", values=ODD),
    "dotted_folder": encode("C:\\Games\\Host v1.0\\Lumavale", values=TYPICAL),
    "no_separator": encode("Lumavale.asi", values=TYPICAL),
    "empty": encode("", values=TYPICAL),
    "length_259": encode("C:\\\\x.asi", pad=(259, 3, "d"), values=TYPICAL),
    "cut_long_name": encode("C:\\a\\" + "n" * 300 + ".asi", values=TYPICAL),
    "length_260": encode("C:\\\\x.asi", pad=(260, 3, "d"), values=TYPICAL),
    "settings_254": encode("C:\\\\x.asi", pad=(239, 2, "d"), values=TYPICAL),
    "settings_255": encode("C:\\\\x.asi", pad=(240, 2, "."), values=TYPICAL),
}

out = pathlib.Path(__file__).resolve().parent / "corpus" / "settings"
out.mkdir(parents=True, exist_ok=True)
for name, data in SEEDS.items():
    (out / name).write_bytes(data)
