#!/usr/bin/env python3
"""Writes the demo installation of kelvaro: DEMO.SPG, INIT.SPI and the bitmaps in BMP/.

Run it from anywhere (Python 3, standard library only):

    python3 examples/demo/make_demo.py

It writes next to itself and then checks its own output: every line ends with CR LF, no line is
longer than 255 characters after its leading blank, every referenced bitmap exists, and both
project files, read back with the reading rules of the project file, give the same model and are
written again byte for byte.  A failed check ends the script with status 1 and a message.
"""

from __future__ import annotations

import copy
import math
import os
import struct
import sys
from dataclasses import dataclass, field
from typing import Optional

HERE = os.path.dirname(os.path.abspath(__file__))
BMP_DIR = os.path.join(HERE, "BMP")
ENCODING = "cp1252"
VIEW_W, VIEW_H = 600, 400
ICON = 48

# --------------------------------------------------------------------------------------------
# The model, as far as the project file stores it
# --------------------------------------------------------------------------------------------


@dataclass
class Bitmap:
    name: str
    no_path: int = 1
    object_own: int = 0


@dataclass
class Plan:
    view: str = ""
    left: int = 10
    top: int = 10
    width: int = 80
    height: int = 50


@dataclass
class Obj:
    name: str
    OName: str = ""
    Typ: str = "Undefiniert"
    StartVal: str = ""
    VoiceContr: str = ""
    OKind: str = " "
    Group: str = ""
    HdwTyp: int = 4
    CtZust: int = 0
    ObjTypO: int = 0
    ObjIDNr: int = 0
    Activ: int = 1
    visible: int = 1
    InputExec: int = 1
    AutoSize: int = 1
    Beep: int = 0
    SpecSt: int = 0
    ExtActiv: int = 1
    RckMsg: int = 0
    ExtTrans: int = 0
    Stretch: int = 0
    SndDev: str = ""
    RcvDev: str = ""
    Snd: list = field(default_factory=lambda: [0, 0, 0, 0, 0, 0])  # line, count, 4 address bytes
    Rcv: list = field(default_factory=lambda: [0, 0, 0, 0, 0, 0])
    ACode: int = 254
    state_bitmaps: list = field(default_factory=list)  # [state, Bitmap or None]
    program: list = field(default_factory=list)  # stored lines, with their "-" marker
    var_defs: list = field(default_factory=list)
    ext_trans: list = field(default_factory=list)
    GgeFrom: int = 0
    GgeTo: int = 0
    GgeCol: int = 2
    PanelCh: int = 0
    PanelRo: int = 0
    OutpRB: int = 0
    OutpWrtRB: int = 1
    BSInputRB: int = 0
    NoBitMapRB: int = 2
    GaugeDirRB: int = 0
    plans: list = field(default_factory=lambda: [Plan(), Plan(), Plan()])
    Extern: int = 0


@dataclass
class Slot:
    CDevArt: int = 0
    COfflB: str = "\0"  # a new station holds character code 0 here
    CCon: int = 0
    CFkt: int = 0
    CZAnOn: int = 0
    CAdr: int = 0
    CEIntW1: int = 0
    CEIntW2: int = 0
    CNam: str = ""


@dataclass
class Station:
    CName: str
    CKind: str = ""
    CMPKind: str = ""
    CKindi: int = 0
    CLine: int = 0
    CPArt: int = 0
    CPAdrTyp: int = 0
    CPLeitg: int = 0
    CPAdrA: int = 1  # a station read from a file starts at 1
    CPAdr: list = field(default_factory=lambda: [0, 0, 0, 0])
    slots: list = field(default_factory=lambda: [Slot() for _ in range(8)])
    CPDevAnz: int = 0


@dataclass
class Project:
    views: list = field(default_factory=list)  # [name, Bitmap or None]
    back_color: int = -1
    exe_win_stat: int = 0
    exe_win_pos: list = field(default_factory=lambda: [0, 0, 0, 0])
    extern: int = 0
    types: list = field(default_factory=list)
    type_states: list = field(default_factory=list)  # [entry, Bitmap or None]
    constants: list = field(default_factory=list)
    objects: list = field(default_factory=list)
    stations: list = field(default_factory=list)
    groups: list = field(default_factory=list)
    group_names: list = field(default_factory=list)


# --------------------------------------------------------------------------------------------
# Writer: the layout of the project file, in writing order
# --------------------------------------------------------------------------------------------


def fixed4(a: int, b: int, c: int, d: int) -> str:
    """Four numbers, each right-aligned in 5 characters with every blank turned into "0"."""
    return "".join(str(n).rjust(5).replace(" ", "0") for n in (a, b, c, d))


def write_project(p: Project) -> bytes:
    out: list[str] = []
    w = out.append

    w("@Init")
    for name, bmp in p.views:
        w(" View=" + (name.ljust(48) + bmp.name if bmp else name))
    w(" BackColor=%d" % p.back_color)
    if p.exe_win_stat != 0:
        w(" ExeWinStat=%d" % p.exe_win_stat)
    elif p.exe_win_pos[2] != 0:
        w(" ExeWinPos=" + fixed4(*p.exe_win_pos))
    if p.extern:
        w(" Extern=1")

    w("@Typs")
    for t in p.types:
        w(" " + t)
    w("@TypState")
    for entry, bmp in p.type_states:
        w(" " + (entry.ljust(64) + bmp.name if bmp else entry))
    w("@ConstList")
    for c in p.constants:
        w(" " + c)

    for o in p.objects:
        w("@Object=" + o.name)
        w(" OName=" + o.OName)
        w(" OKind=" + o.OKind)
        w(" VoiceContr=" + o.VoiceContr)
        w(" ObjIDNr=%d" % o.ObjIDNr)
        if o.Group.rstrip(" "):
            w(" Group=" + o.Group)
        w(" SndDev=" + o.SndDev)
        w(" RcvDev=" + o.RcvDev)
        for key, value, written in (("Activ", o.Activ, 0), ("visible", o.visible, 0), ("Beep", o.Beep, 1),
                                    ("SpecSt", o.SpecSt, 1), ("InputExec", o.InputExec, 0),
                                    ("AutoSize", o.AutoSize, 0), ("Stretch", o.Stretch, 1),
                                    ("ExtActiv", o.ExtActiv, 1), ("RckMsg", o.RckMsg, 1),
                                    ("ExtTrans", o.ExtTrans, 1)):
            if value == written:
                w(" %s=%d" % (key, written))
        for prefix, adr in (("Snd", o.Snd), ("Rcv", o.Rcv)):
            if adr[0] > 0:
                w(" %sLineNo=%d" % (prefix, adr[0]))
                w(" %sAdrA=%d" % (prefix, adr[1]))
                w(" %sAdr=%d" % (prefix, adr[2]))
                for k in (2, 3, 4):
                    if adr[1] > k - 1:
                        w(" %sAdr%d=%d" % (prefix, k, adr[k + 1]))
        w(" Extern=%d" % o.Extern)
        w(" Typ=" + o.Typ)
        w(" StartVal=" + o.StartVal)
        for state, bmp in o.state_bitmaps:
            if bmp is not None and bmp.object_own == 1:
                w(" +ZBM=" + state.ljust(48) + bmp.name)
        if o.GgeFrom != 0:
            w(" GgeFrom=%d" % o.GgeFrom)
        if o.GgeTo != 0:
            w(" GgeTo=%d" % o.GgeTo)
        w(" GgeCol=%d" % o.GgeCol)
        for key in ("OutpRB", "OutpWrtRB", "BSInputRB", "NoBitMapRB", "GaugeDirRB"):
            w(" %s=%d" % (key, getattr(o, key)))
        for key in ("PanelCh", "PanelRo"):
            if getattr(o, key) > 0:
                w(" %s=%d" % (key, getattr(o, key)))
        for key in ("HdwTyp", "CtZust", "ObjTypO"):
            if getattr(o, key) > -1:
                w(" %s=%d" % (key, getattr(o, key)))
        w(" ACode=%d" % o.ACode)
        for line in o.program:
            w(" *Pgm=" + line[1:])
        for line in o.var_defs:
            w(" *VarDef=" + line)
        if o.ExtTrans == 1:
            w("@ExtTransList")
            for v in o.ext_trans:
                w(" " + v)
        w("@Plan")
        for pl in o.plans:
            if pl.view:
                w(" %s;%s" % (pl.view, fixed4(pl.left, pl.top, pl.width, pl.height)))
        w("@ContObj")
        w("@C")

    if p.stations:
        w("@Controller")
        for s in p.stations:
            w(" CName=" + s.CName)
            w(" CKind=" + s.CKind)
            w(" CKindi=%d" % s.CKindi)
            w(" CMPKind=" + s.CMPKind)
            w(" CLine=%d" % s.CLine)
            if s.CPArt != 0:
                w(" CPArt=%d" % s.CPArt)
            if s.CPAdrTyp != 0:
                w(" CPAdrTyp=%d" % s.CPAdrTyp)
            if s.CPDevAnz > 0:
                w(" CPDevAnz=%d" % s.CPDevAnz)
            if s.CPLeitg != 0:
                w(" CPLeitg=%d" % s.CPLeitg)
            if s.CPAdrA > 1:
                w(" CPAdrA=%d" % s.CPAdrA)
            w(" CPAdr=%d" % s.CPAdr[0])
            for k in (2, 3, 4):
                if s.CPAdrA > k - 1:
                    w(" CPAdr%d=%d" % (k, s.CPAdr[k - 1]))
            for k, sl in enumerate(s.slots, start=1):
                for key in ("CDevArt", "CAdr", "CCon", "CFkt", "CNam", "CZAnOn", "CEIntW1", "CEIntW2", "COfflB"):
                    v = getattr(sl, key)
                    if key == "CNam":
                        if v:
                            w(" CNam=%d%s" % (k, v))
                    elif key == "COfflB":
                        # A blank means none; code 0 (never configured) is treated as none as well.
                        if v not in (" ", "\0"):
                            w(" COfflB=%d%s" % (k, v))
                    elif v != 0:
                        w(" %s=%d%s" % (key, k, str(v).rjust(3)))
            w("@ContrNext")
        w("@C")

    w("@GrpList")
    for g in p.groups:
        w(" " + g)
    w("@E")
    return "".join(line + "\r\n" for line in out).encode(ENCODING)


# --------------------------------------------------------------------------------------------
# Reader: the reading rules, written independently of the writer above
# --------------------------------------------------------------------------------------------


class StopLoad(Exception):
    """A non-numeric BackColor, ExeWinStat or ObjIDNr ends the load."""


def to_int(text: str, default: int = 0) -> int:
    try:
        return int(text.strip())
    except ValueError:
        return default


def read_fixed4(text: str) -> Optional[list]:
    parts = [text[i:i + 5] for i in (0, 5, 10, 15)]
    try:
        return [int(x) for x in parts]
    except ValueError:
        return None


def bitmap_of(name: str, own: int = 0) -> Bitmap:
    no_path = 0 if ("\\" in name or "/" in name or ":" in name) else 1
    return Bitmap(name, no_path, own)


def read_project(data: bytes, p: Optional[Project] = None) -> Project:
    p = p if p is not None else Project()
    text = data.decode(ENCODING)
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    section = None
    obj: Optional[Obj] = None
    station: Optional[Station] = None
    plan_no = 0
    try:
        for raw in lines:
            if raw.startswith("@"):
                if raw == "@C":
                    section = None
                elif raw in ("@Init", "@Typs", "@TypState", "@InitList", "@ConstList", "@Controller"):
                    section = raw
                elif raw == "@Plan":
                    section, plan_no = "@Plan", 1
                elif raw == "@ContrNext":
                    if section == "@Controller" and station is not None:
                        p.stations.append(station)
                        station = None
                    section = "@Controller"
                elif raw[:7] == "@Object":
                    name = raw[8:]
                    if any(o.name.lower() == name.lower() for o in p.objects):
                        section, obj = None, None
                    else:
                        obj = Obj(name, OName=name)
                        p.objects.append(obj)
                        section = "@Object"
                elif raw[:8] == "@ContObj":
                    section = "@Object" if obj is not None else None
                elif raw[:11] == "@SwitchList":
                    section = "@SwitchList"
                elif raw == "@ExtTransList":
                    section = "@ExtTransList"
                elif raw == "@GrpList":
                    section = "@GrpList"
                continue
            line = raw[1:256]
            key, sep, value = line.partition("=")
            value = value.rstrip(" ")
            if value == ";":
                value = ""
            if section == "@Init" and sep:
                if key == "View":
                    name = value[:48].rstrip(" ")
                    if not any(v[0].lower() == name.lower() for v in p.views):
                        rest = value[48:].rstrip(" ")
                        p.views.append([name, bitmap_of(rest) if len(value) > 48 else None])
                elif key == "BackColor":
                    try:
                        p.back_color = int(value)
                    except ValueError:
                        raise StopLoad()
                elif key == "ExeWinStat":
                    try:
                        p.exe_win_stat = int(value)
                    except ValueError:
                        raise StopLoad()
                elif key == "ExeWinPos":
                    p.exe_win_pos = read_fixed4(value) or [10, 10, 600, 400]
                elif key == "Extern":
                    p.extern = 1
            elif section == "@Typs":
                if not any(t.lower() == line.lower() for t in p.types):
                    p.types.append(line)
                    p.types.sort(key=str.lower)
            elif section == "@TypState":
                entry = line[:64].rstrip(" ")
                if not any(e[0].lower() == entry.lower() for e in p.type_states):
                    rest = line[64:].rstrip(" ")
                    p.type_states.append([entry, bitmap_of(rest) if len(line) > 64 else None])
            elif section == "@ConstList":
                p.constants.append(line)
            elif section == "@ExtTransList" and obj is not None:
                obj.ext_trans.append(line)
            elif section == "@GrpList":
                p.groups.append(line)
            elif section == "@Plan" and obj is not None:
                left, _, right = line.partition(";")
                if plan_no <= 3:
                    nums = [to_int(right[i:i + 5]) for i in (0, 5, 10, 15)]
                    obj.plans[plan_no - 1] = Plan(left, *nums)
                plan_no += 1
            elif section == "@Object" and obj is not None and sep:
                read_object_key(p, obj, key, value)
            elif section == "@Controller" and sep:
                if key == "CName":
                    if any(s.CName.lower() == value.lower() for s in p.stations):
                        section, station = None, None
                    else:
                        station = Station(value[:32])
                elif station is not None:
                    read_station_key(station, key, value)
    except StopLoad:
        pass
    for o in p.objects:
        if o.Group.rstrip(" ") and not any(g.lower() == o.Group.lower() for g in p.group_names):
            p.group_names.append(o.Group)
    return p


def read_object_key(p: Project, o: Obj, key: str, value: str) -> None:
    text64 = {"OName", "Typ", "StartVal", "VoiceContr"}
    text32 = {"SndDev", "RcvDev", "Group"}
    if key in text64:
        setattr(o, key, value[:64])
    elif key in text32:
        setattr(o, key, value[:32])
    elif key == "OKind":
        if value:
            o.OKind = value[0]
    elif key == "ObjIDNr":
        try:
            o.ObjIDNr = int(value) & 0xFFFF
        except ValueError:
            raise StopLoad()
    elif key in ("Activ", "visible", "InputExec", "AutoSize"):
        if value == "0":
            setattr(o, key, 0)
    elif key in ("Beep", "SpecSt", "Stretch", "ExtActiv", "RckMsg", "ExtTrans"):
        if value == "1":
            setattr(o, key, 1)
    elif key[:3] in ("Snd", "Rcv") and key[3:] in ("LineNo", "AdrA", "Adr", "Adr2", "Adr3", "Adr4"):
        adr = o.Snd if key[:3] == "Snd" else o.Rcv
        index = {"LineNo": 0, "AdrA": 1, "Adr": 2, "Adr2": 3, "Adr3": 4, "Adr4": 5}[key[3:]]
        adr[index] = to_int(value) & (0xFF if index >= 2 else 0xFFFFFFFF)
    elif key == "+ZBM":
        if len(value) <= 48:
            o.state_bitmaps.append([value, None])
        else:
            o.state_bitmaps.append([value[:48].rstrip(" "), bitmap_of(value[48:], own=1)])
    elif key == "ACode":
        o.ACode = to_int(value) & 0xFF
    elif key == "*Pgm":
        o.program.append("-" + value)
    elif key == "*VarDef":
        o.var_defs.append(value)
    elif key in ("Extern", "GgeFrom", "GgeTo", "GgeCol", "OutpRB", "OutpWrtRB", "BSInputRB", "NoBitMapRB",
                 "GaugeDirRB", "PanelCh", "PanelRo", "HdwTyp", "CtZust", "ObjTypO"):
        setattr(o, key, to_int(value))


def read_station_key(s: Station, key: str, value: str) -> None:
    if key in ("CKind", "CMPKind"):
        setattr(s, key, value)
    elif key in ("CKindi", "CLine", "CPArt", "CPAdrTyp", "CPDevAnz", "CPLeitg", "CPAdrA"):
        setattr(s, key, to_int(value))
    elif key in ("CPAdr", "CPAdr2", "CPAdr3", "CPAdr4"):
        s.CPAdr[int(key[5:] or "1") - 1] = to_int(value) & 0xFF
    elif key in ("CDevArt", "CAdr", "CCon", "CFkt", "CNam", "CZAnOn", "CEIntW1", "CEIntW2", "COfflB"):
        k = to_int(value[:1])
        if not 1 <= k <= 8:
            return
        slot = s.slots[k - 1]
        if key == "CNam":
            slot.CNam = value[1:][:32]
        elif key == "COfflB":
            slot.COfflB = value[1:2]
        else:
            setattr(slot, key, to_int(value[1:]))


# --------------------------------------------------------------------------------------------
# Bitmaps: 24-bit uncompressed Windows bitmaps drawn with rectangles, lines and discs
# --------------------------------------------------------------------------------------------

FONT = {
    "A": "01110 10001 10001 11111 10001 10001 10001", "B": "11110 10001 10001 11110 10001 10001 11110",
    "C": "01110 10001 10000 10000 10000 10001 01110", "D": "11110 10001 10001 10001 10001 10001 11110",
    "E": "11111 10000 10000 11110 10000 10000 11111", "F": "11111 10000 10000 11110 10000 10000 10000",
    "G": "01110 10001 10000 10111 10001 10001 01111", "H": "10001 10001 10001 11111 10001 10001 10001",
    "I": "01110 00100 00100 00100 00100 00100 01110", "J": "00111 00010 00010 00010 00010 10010 01100",
    "K": "10001 10010 10100 11000 10100 10010 10001", "L": "10000 10000 10000 10000 10000 10000 11111",
    "M": "10001 11011 10101 10101 10001 10001 10001", "N": "10001 10001 11001 10101 10011 10001 10001",
    "O": "01110 10001 10001 10001 10001 10001 01110", "P": "11110 10001 10001 11110 10000 10000 10000",
    "Q": "01110 10001 10001 10001 10101 10010 01101", "R": "11110 10001 10001 11110 10100 10010 10001",
    "S": "01111 10000 10000 01110 00001 00001 11110", "T": "11111 00100 00100 00100 00100 00100 00100",
    "U": "10001 10001 10001 10001 10001 10001 01110", "V": "10001 10001 10001 10001 10001 01010 00100",
    "W": "10001 10001 10001 10101 10101 10101 01010", "X": "10001 10001 01010 00100 01010 10001 10001",
    "Y": "10001 10001 01010 00100 00100 00100 00100", "Z": "11111 00001 00010 00100 01000 10000 11111",
    " ": "00000 00000 00000 00000 00000 00000 00000",
}


class Canvas:
    def __init__(self, width: int, height: int, color=(255, 255, 255)):
        self.w, self.h = width, height
        self.px = bytearray(bytes(color) * (width * height))

    def put(self, x: int, y: int, c) -> None:
        if 0 <= x < self.w and 0 <= y < self.h:
            i = (y * self.w + x) * 3
            self.px[i:i + 3] = bytes(c)

    def rect(self, x0, y0, x1, y1, c) -> None:
        """Fills x0 <= x < x1, y0 <= y < y1."""
        x0, x1 = max(0, x0), min(self.w, x1)
        for y in range(max(0, y0), min(self.h, y1)):
            i = (y * self.w + x0) * 3
            self.px[i:i + (x1 - x0) * 3] = bytes(c) * max(0, x1 - x0)

    def frame(self, x0, y0, x1, y1, t, c) -> None:
        self.rect(x0, y0, x1, y0 + t, c)
        self.rect(x0, y1 - t, x1, y1, c)
        self.rect(x0, y0, x0 + t, y1, c)
        self.rect(x1 - t, y0, x1, y1, c)

    def line(self, x0, y0, x1, y1, c, t=1) -> None:
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = round(x0 + (x1 - x0) * i / steps)
            y = round(y0 + (y1 - y0) * i / steps)
            self.rect(x - t // 2, y - t // 2, x - t // 2 + t, y - t // 2 + t, c)

    def disc(self, cx, cy, r, c, ry=None) -> None:
        ry = r if ry is None else ry
        for y in range(cy - ry, cy + ry + 1):
            for x in range(cx - r, cx + r + 1):
                if ((x - cx) / max(r, 0.5)) ** 2 + ((y - cy) / max(ry, 0.5)) ** 2 <= 1.0:
                    self.put(x, y, c)

    def ring(self, cx, cy, r, t, c) -> None:
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if r - t < d <= r:
                    self.put(x, y, c)

    def arc(self, cx, cy, r, quadrant, c) -> None:
        """A quarter circle (door swing); quadrant gives the signs of x and y."""
        sx, sy = quadrant
        for a in range(0, 91, 2):
            x = cx + sx * round(r * math.cos(math.radians(a)))
            y = cy + sy * round(r * math.sin(math.radians(a)))
            self.put(x, y, c)

    def polygon(self, pts, c) -> None:
        ys = [p[1] for p in pts]
        for y in range(max(0, min(ys)), min(self.h, max(ys) + 1)):
            xs = []
            for (xa, ya), (xb, yb) in zip(pts, pts[1:] + pts[:1]):
                if (ya <= y < yb) or (yb <= y < ya):
                    xs.append(xa + (y - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                self.rect(round(xs[i]), y, round(xs[i + 1]) + 1, y + 1, c)

    def text(self, x, y, s, c, scale=2) -> None:
        for ch in s.upper():
            rows = FONT[ch].split()
            for ry, row in enumerate(rows):
                for rx, bit in enumerate(row):
                    if bit == "1":
                        self.rect(x + rx * scale, y + ry * scale, x + (rx + 1) * scale, y + (ry + 1) * scale, c)
            x += 6 * scale

    def bmp_bytes(self) -> bytes:
        row = (self.w * 3 + 3) // 4 * 4
        body = bytearray()
        for y in range(self.h - 1, -1, -1):  # bottom-up
            line = bytearray()
            for x in range(self.w):
                i = (y * self.w + x) * 3
                r, g, b = self.px[i], self.px[i + 1], self.px[i + 2]
                line += bytes((b, g, r))
            body += line + bytes(row - len(line))
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
        return header + info + bytes(body)


# Colours
WALL = (60, 60, 64)
FLOOR = (246, 241, 230)
TILE = (228, 236, 240)
GLASS = (150, 200, 235)
WOOD = (150, 100, 55)
LAWN = (112, 172, 84)
LAWN2 = (104, 162, 78)
PATH = (222, 204, 160)
STONE = (190, 186, 178)
TEXT = (80, 80, 90)
GREY = (150, 150, 150)
DARK = (70, 70, 70)
YELLOW = (255, 214, 0)
WHITE = (255, 255, 255)


def draw_ground_floor() -> Canvas:
    c = Canvas(VIEW_W, VIEW_H, FLOOR)
    # outside: lawn strip below the house and a path to the front door
    c.rect(0, 330, 600, 400, LAWN)
    c.rect(0, 0, 600, 20, LAWN)
    c.rect(0, 0, 20, 400, LAWN)
    c.rect(580, 0, 600, 400, LAWN)
    c.rect(368, 330, 412, 400, PATH)
    # bathroom and kitchen floors
    for y in range(163, 322, 12):
        for x in range(463, 572, 12):
            c.frame(x, y, x + 12, y + 12, 1, (210, 220, 226))
    c.rect(323, 28, 572, 157, (240, 236, 222))
    # furniture hints
    c.rect(150, 40, 280, 68, (176, 150, 120))   # sofa
    c.disc(215, 125, 26, (205, 180, 140))       # living-room table
    c.rect(544, 60, 572, 157, (200, 200, 196))  # kitchen counter
    c.disc(558, 110, 7, (160, 160, 160))        # sink
    c.rect(500, 168, 572, 232, WHITE)           # bath tub
    c.frame(500, 168, 572, 232, 2, (170, 180, 190))
    c.rect(60, 300, 140, 322, (176, 150, 120))  # desk
    # outer walls with windows
    c.frame(20, 20, 580, 330, 8, WALL)
    for x0, x1 in ((90, 250), (400, 540)):      # top wall windows
        c.rect(x0, 21, x1, 27, GLASS)
    c.rect(21, 70, 27, 160, GLASS)              # living-room window (shutter)
    c.rect(21, 250, 27, 300, GLASS)             # study window
    c.rect(573, 190, 579, 280, GLASS)           # bathroom window
    # inner walls
    c.rect(318, 20, 323, 330, WALL)
    c.rect(20, 218, 320, 223, WALL)
    c.rect(320, 158, 580, 163, WALL)
    c.rect(458, 160, 463, 330, WALL)
    # door openings with swings
    c.rect(318, 170, 323, 210, FLOOR)
    c.arc(323, 170, 40, (1, 1), DARK)
    c.rect(318, 250, 323, 290, FLOOR)
    c.arc(323, 250, 40, (1, 1), DARK)
    c.rect(410, 158, 450, 163, FLOOR)
    c.arc(410, 163, 40, (1, 1), DARK)
    c.rect(458, 240, 463, 280, FLOOR)
    c.arc(463, 240, 40, (1, 1), DARK)
    # front door: a brown leaf in the bottom wall
    c.rect(368, 322, 412, 330, WOOD)
    # room names
    c.text(110, 196, "Wohnzimmer", TEXT)
    c.text(334, 136, "Kueche", TEXT)
    c.text(392, 236, "Flur", TEXT)
    c.text(500, 300, "Bad", TEXT)
    c.text(232, 232, "Buero", TEXT)
    c.text(40, 376, "Erdgeschoss", (40, 80, 30))
    return c


def draw_garden() -> Canvas:
    c = Canvas(VIEW_W, VIEW_H, LAWN)
    for y in range(110, 400, 40):  # mowing stripes
        c.rect(0, y, 600, y + 20, LAWN2)
    # the house at the top with its roof
    c.rect(150, 0, 450, 104, (178, 84, 64))
    for y in range(8, 104, 12):
        c.line(150, y, 449, y, (150, 66, 50))
    c.frame(150, 0, 450, 104, 4, WALL)
    c.text(268, 44, "Haus", WHITE)
    # terrace with stone tiles
    c.rect(190, 104, 410, 170, STONE)
    for x in range(190, 411, 22):
        c.line(x, 104, x, 169, (160, 156, 150))
    for y in range(104, 171, 22):
        c.line(190, y, 409, y, (160, 156, 150))
    c.text(204, 150, "Terrasse", TEXT)
    # path from the terrace to the garden gate
    c.rect(280, 170, 320, 400, PATH)
    for y in range(176, 400, 16):
        c.line(280, y, 319, y, (200, 182, 140))
    # fence along the border, gate gap at the bottom
    fence = (120, 84, 48)
    c.rect(0, 392, 272, 396, fence)
    c.rect(328, 392, 600, 396, fence)
    c.rect(2, 104, 6, 396, fence)
    c.rect(594, 104, 598, 396, fence)
    c.rect(6, 104, 150, 108, fence)
    c.rect(450, 104, 594, 108, fence)
    for x in range(8, 600, 24):
        if not 268 <= x <= 330:
            c.rect(x, 388, x + 3, 400, fence)
    c.rect(268, 384, 274, 400, WALL)  # gate posts
    c.rect(326, 384, 332, 400, WALL)
    # pond, flower beds and trees
    c.disc(480, 270, 56, (70, 130, 200), ry=36)
    c.disc(480, 270, 46, (96, 156, 220), ry=28)
    c.text(452, 318, "Teich", TEXT)
    c.rect(40, 140, 150, 176, (120, 90, 60))
    for i, col in enumerate(((230, 60, 60), (250, 200, 40), (240, 120, 200), (250, 250, 250))):
        for j in range(5):
            c.disc(50 + j * 22 + (i % 2) * 10, 148 + i * 8, 3, col)
    c.text(66, 184, "Beet", TEXT)
    for cx, cy, r in ((80, 290, 34), (190, 330, 26), (560, 150, 24)):
        c.disc(cx + 4, cy + 4, r, (70, 120, 60))
        c.disc(cx, cy, r, (46, 110, 46))
        c.disc(cx - r // 3, cy - r // 3, r // 3, (70, 140, 64))
    c.text(100, 226, "Rasen", (60, 110, 40))
    c.text(20, 372, "Garten", (40, 80, 30))
    return c


def icon(bg=(250, 250, 250)) -> Canvas:
    c = Canvas(ICON, ICON, bg)
    c.frame(0, 0, ICON, ICON, 1, (120, 120, 120))
    return c


def draw_lamp(on: bool) -> Canvas:
    c = icon((255, 248, 200) if on else (245, 245, 245))
    if on:
        for x0, y0, x1, y1 in ((24, 2, 24, 6), (6, 18, 10, 18), (38, 18, 42, 18), (10, 6, 13, 9), (38, 6, 35, 9)):
            c.line(x0, y0, x1, y1, (230, 160, 0), 2)
    c.disc(24, 20, 12, YELLOW if on else (190, 190, 190))
    c.ring(24, 20, 12, 1, (200, 150, 0) if on else (120, 120, 120))
    c.rect(18, 31, 30, 35, (200, 150, 0) if on else (160, 160, 160))
    c.rect(18, 35, 30, 42, DARK)
    for y in (37, 40):
        c.line(18, y, 29, y, (150, 150, 150))
    return c


def draw_lantern(on: bool) -> Canvas:
    c = icon((40, 50, 80) if on else (235, 235, 240))
    if on:
        c.disc(24, 16, 16, (90, 90, 90))
        c.disc(24, 16, 12, (150, 130, 60))
    c.rect(22, 26, 26, 46, DARK)             # post
    c.rect(14, 4, 34, 7, DARK)               # roof
    c.polygon([(16, 7), (32, 7), (30, 26), (18, 26)], YELLOW if on else (170, 180, 190))
    c.frame(15, 7, 33, 27, 2, DARK)
    c.line(24, 7, 24, 26, DARK)
    c.rect(16, 44, 32, 47, DARK)             # foot
    return c


def draw_door(open_: bool) -> Canvas:
    c = icon()
    c.rect(10, 4, 38, 46, (90, 80, 70))      # frame
    if open_:
        c.rect(13, 7, 35, 46, (40, 36, 32))  # dark opening
        c.rect(13, 40, 35, 46, (120, 110, 90))
        c.polygon([(13, 7), (24, 12), (24, 46), (13, 46)], WOOD)
        c.disc(21, 28, 2, YELLOW)
    else:
        c.rect(13, 7, 35, 46, WOOD)
        c.frame(16, 10, 32, 24, 1, (120, 78, 40))
        c.frame(16, 28, 32, 43, 1, (120, 78, 40))
        c.disc(30, 27, 2, YELLOW)
    return c


def draw_window(open_: bool) -> Canvas:
    c = icon()
    c.rect(6, 6, 42, 42, (236, 236, 236))
    c.frame(6, 6, 42, 42, 3, (110, 110, 110))
    if open_:
        c.rect(9, 9, 39, 39, (190, 225, 250))
        c.polygon([(9, 9), (18, 13), (18, 35), (9, 39)], GLASS)
        c.polygon([(39, 9), (30, 13), (30, 35), (39, 39)], GLASS)
        c.line(18, 13, 18, 35, (110, 110, 110))
        c.line(30, 13, 30, 35, (110, 110, 110))
    else:
        c.rect(9, 9, 39, 39, GLASS)
        c.rect(23, 9, 25, 39, (110, 110, 110))
        c.rect(9, 23, 39, 25, (110, 110, 110))
    return c


def draw_shutter(fraction: float) -> Canvas:
    c = icon()
    c.rect(6, 4, 42, 10, (120, 110, 100))    # shutter box
    c.rect(8, 10, 40, 44, GLASS)
    c.frame(8, 10, 40, 44, 2, (110, 110, 110))
    bottom = 10 + round(34 * fraction)
    for y in range(10, bottom, 4):
        c.rect(8, y, 40, min(y + 3, bottom), (150, 140, 125))
        c.rect(8, y + 3, 40, min(y + 4, bottom), (110, 100, 90))
    return c


def draw_heating(state: str) -> Canvas:
    colour = {"aus": (185, 190, 195), "nacht": (110, 150, 220), "tag": (240, 120, 50)}[state]
    c = icon()
    for x in range(8, 42, 7):
        c.rect(x, 14, x + 5, 42, colour)
    c.rect(6, 38, 42, 42, colour)
    if state == "tag":
        for x in (14, 24, 34):
            c.line(x, 11, x - 2, 7, (240, 120, 50), 2)
            c.line(x - 2, 7, x, 3, (240, 120, 50), 2)
    elif state == "nacht":
        c.disc(38, 8, 6, (240, 220, 120))
        c.disc(35, 6, 5, (250, 250, 250))
    return c


def draw_socket(on: bool) -> Canvas:
    c = icon()
    c.rect(6, 6, 42, 42, WHITE)
    c.frame(6, 6, 42, 42, 2, (150, 150, 150))
    c.disc(24, 24, 13, (120, 200, 110) if on else (210, 210, 210))
    c.disc(19, 24, 2, DARK)
    c.disc(29, 24, 2, DARK)
    c.rect(22, 11, 26, 14, (150, 150, 150))
    c.rect(22, 34, 26, 37, (150, 150, 150))
    return c


def draw_button(on: bool) -> Canvas:
    c = icon()
    c.rect(8, 8, 40, 40, WHITE)
    c.frame(8, 8, 40, 40, 2, (150, 150, 150))
    c.rect(14, 14, 34, 34, (120, 200, 110) if on else (210, 210, 210))
    c.frame(14, 14, 34, 34, 1, (110, 110, 110))
    c.disc(36, 12, 3, (230, 60, 50) if on else (160, 160, 160))  # the radio button's LED
    return c


def draw_motion(active: bool) -> Canvas:
    c = icon()
    colour = (220, 60, 50) if active else (200, 200, 200)
    c.disc(24, 8, 13, colour, ry=12)
    c.rect(1, 1, 47, 8, (250, 250, 250))   # only the lower half of the dome shows
    c.rect(8, 4, 40, 8, (150, 150, 150))   # ceiling plate
    if active:
        for r in (18, 24, 30):
            c.arc(24, 8, r, (1, 1), colour)
            c.arc(24, 8, r, (-1, 1), colour)
    c.frame(0, 0, ICON, ICON, 1, (120, 120, 120))
    return c


BITMAPS = {
    "EG.BMP": draw_ground_floor,
    "GARTEN.BMP": draw_garden,
    "LAMPE_AUS.BMP": lambda: draw_lamp(False),
    "LAMPE_AN.BMP": lambda: draw_lamp(True),
    "LATERNE_AUS.BMP": lambda: draw_lantern(False),
    "LATERNE_AN.BMP": lambda: draw_lantern(True),
    "TUER_OFFEN.BMP": lambda: draw_door(True),
    "TUER_ZU.BMP": lambda: draw_door(False),
    "FENSTER_OFFEN.BMP": lambda: draw_window(True),
    "FENSTER_ZU.BMP": lambda: draw_window(False),
    "ROLLO_OBEN.BMP": lambda: draw_shutter(0.0),
    "ROLLO_HALB.BMP": lambda: draw_shutter(0.5),
    "ROLLO_UNTEN.BMP": lambda: draw_shutter(1.0),
    "HEIZUNG_AUS.BMP": lambda: draw_heating("aus"),
    "HEIZUNG_NACHT.BMP": lambda: draw_heating("nacht"),
    "HEIZUNG_TAG.BMP": lambda: draw_heating("tag"),
    "STECKDOSE_AUS.BMP": lambda: draw_socket(False),
    "STECKDOSE_AN.BMP": lambda: draw_socket(True),
    "TASTER_AUS.BMP": lambda: draw_button(False),
    "TASTER_AN.BMP": lambda: draw_button(True),
    "MELDER_RUHE.BMP": lambda: draw_motion(False),
    "MELDER_AKTIV.BMP": lambda: draw_motion(True),
}

# --------------------------------------------------------------------------------------------
# The default definitions and the demo project
# --------------------------------------------------------------------------------------------

# type name -> (kind digit, [(state, standard bitmap)]).  Doors and windows list "offen" first:
# the language reads GEOEFFNET as state 0 and OEFFNEN as the first state.
STANDARD_TYPES = {
    "Bewegungsmelder": (0, [("ruhe", "MELDER_RUHE.BMP"), ("bewegung", "MELDER_AKTIV.BMP")]),
    "Fenster": (0, [("offen", "FENSTER_OFFEN.BMP"), ("zu", "FENSTER_ZU.BMP")]),
    "Heizung": (1, [("aus", "HEIZUNG_AUS.BMP"), ("nacht", "HEIZUNG_NACHT.BMP"), ("tag", "HEIZUNG_TAG.BMP")]),
    "Lampe": (1, [("aus", "LAMPE_AUS.BMP"), ("an", "LAMPE_AN.BMP")]),
    "Rolllade": (1, [("oben", "ROLLO_OBEN.BMP"), ("halb", "ROLLO_HALB.BMP"), ("unten", "ROLLO_UNTEN.BMP")]),
    "Steckdose": (1, [("aus", "STECKDOSE_AUS.BMP"), ("an", "STECKDOSE_AN.BMP")]),
    "Taster": (0, [("aus", "TASTER_AUS.BMP"), ("an", "TASTER_AN.BMP")]),
    "Tuer": (0, [("offen", "TUER_OFFEN.BMP"), ("zu", "TUER_ZU.BMP")]),
}

DOOR_CLASS = ("Tuer", "Fenster", "Tor", "Gatter", "Dachfenster")
SHUTTER_CLASS = ("Rollade", "Rolllade", "Jalousie")


def default_definitions() -> Project:
    p = Project()
    for name, (kind, states) in STANDARD_TYPES.items():
        p.types.append("%s;%d" % (name, kind))
        for state, bmp in states:
            p.type_states.append(["%s:%s" % (name, state), Bitmap(bmp)])
    p.types.sort(key=str.lower)
    return p


def type_object(name: str, label: str, typ: str, start: str, **fields) -> Obj:
    """An object of a user type, with the state data that the object editor derives from the type."""
    kind, states = STANDARD_TYPES[typ]
    o = Obj(name, OName=label, Typ=typ, StartVal=start, OKind="U", HdwTyp=kind, CtZust=len(states))
    o.ObjTypO = 1 if len(states) == 2 else 0
    if typ in DOOR_CLASS:
        o.ObjTypO = 2
    if typ in SHUTTER_CLASS:
        o.ObjTypO = 3
        o.ExtTrans = 1
        o.ext_trans = ["253" if s == "oben" else "252" if s == "unten" else str((i + 1) * 2)
                       for i, (s, _) in enumerate(states)]
    if len(states) > 2:
        o.BSInputRB = 1
    for key, value in fields.items():
        setattr(o, key, value)
    return o


def place(*plans) -> list:
    result = [Plan(view, left, top, width, height) for view, left, top, width, height in plans]
    return result + [Plan() for _ in range(3 - len(result))]


EG, GARTEN = "Erdgeschoss", "Garten"
STATION_ADDRESS = 10


def on_station(line: int = 1) -> list:
    return [line, 1, STATION_ADDRESS, 0, 0, 0]


RADIO_LINE = 4
GARDEN_ACTOR, GARDEN_BUTTON, GARDEN_SENSOR = (20, 1, 1), (20, 1, 2), (33, 0, 0)


def on_radio(address: tuple) -> list:
    return [RADIO_LINE, 3, *address, 0]


def radio_station(name: str, model: str, code: int, address: tuple, slot: Slot, sends: bool = False) -> Station:
    st = Station(name, CKind=model, CKindi=code, CLine=RADIO_LINE, CPLeitg=RADIO_LINE, CPAdrA=3, CPDevAnz=1,
                 CPArt=2 if sends else 0)
    st.CPAdr = [*address, 0]
    st.slots[0] = slot
    return st


def demo_project() -> Project:
    p = default_definitions()
    p.views = [[EG, Bitmap("EG.BMP")], [GARTEN, Bitmap("GARTEN.BMP")]]
    p.exe_win_pos = [20, 20, 640, 480]
    p.constants = ['Nachtruhe="23:00:00"', 'Weckzeit="07:00:00"']

    init = Obj("*INIT", OName="*INIT", ACode=255)
    init.program = [
        "-** Startwerte beim Programmstart",
        "-Besucher:=0",
        '-Anzeige:="Willkommen"',
        "-Aussenlicht AUSSCHALTEN",
    ]

    aussen = type_object(
        "Aussenlicht", "Außenlicht", "Lampe", "aus", ObjIDNr=11, Group="Aussenbeleuchtung",
        SndDev="AktorAussen", RckMsg=1, Snd=on_station(), Extern=1, ACode=2,
        plans=place((EG, 425, 340, ICON, ICON), (GARTEN, 336, 112, ICON, ICON)))
    aussen.state_bitmaps = [["aus", Bitmap("LATERNE_AUS.BMP", 1, 1)], ["an", Bitmap("LATERNE_AN.BMP", 1, 1)]]
    aussen.program = [
        "-WENN UHRZEIT = SONNENUNTERGANG(DATUM) DANN",
        "-  Aussenlicht EINSCHALTEN",
        "-ENDEWENN",
        "-WENN UHRZEIT = Nachtruhe DANN",
        "-  Aussenlicht AUSSCHALTEN",
        "-ENDEWENN",
    ]

    flur = type_object(
        "Flurlicht", "Licht Flur", "Lampe", "aus", ObjIDNr=12, VoiceContr="Licht im Flur", SpecSt=1,
        SndDev="AktorFlur", Snd=on_station(), Extern=1, ACode=2, plans=place((EG, 340, 190, ICON, ICON)))
    flur.program = [  # as the switching-time assistant writes an automatic switch-off after 5 minutes
        "-&**--/A4/--**Block mit 4 Anweisungen",
        "-&WENN Flurlicht EINGESCHALTET  UND",
        '-&  STOPPZEIT(Flurlicht.ct) > "00:05:00" DANN',
        "-&  Flurlicht  AUSSCHALTEN",
        "-&ENDEWENN",
    ]

    kueche = type_object("LichtKueche", "Licht Küche", "Lampe", "aus", plans=place((EG, 426, 80, ICON, ICON)))

    haustuer = type_object(
        "Haustuer", "Haustür", "Tuer", "zu", RcvDev="KontaktTuer", Rcv=on_station(), Extern=1,
        plans=place((EG, 366, 268, ICON, ICON)))
    haustuer.program = [
        "-WENN Haustuer GEOEFFNET DANN",
        "-  Flurlicht EINSCHALTEN",
        "-  Besucher:=Besucher+1",
        "-ENDEWENN",
    ]

    fenster = type_object(
        "FensterKueche", "Küchenfenster", "Fenster", "zu", RcvDev="KontaktFenster", Rcv=on_station(), Extern=1,
        plans=place((EG, 480, 32, ICON, ICON)))
    fenster.program = [
        "-WENN FensterKueche GEOEFFNET DANN",
        '-  Anzeige:="Küchenfenster offen"',
        "-SONST",
        '-  Anzeige:="Küchenfenster zu"',
        "-ENDEWENN",
    ]

    rollo = type_object(
        "RolloWohnen", "Rollladen Wohnzimmer", "Rolllade", "oben", ObjIDNr=21, ACode=2,
        plans=place((EG, 34, 86, ICON, ICON)))
    rollo.program = [
        "-WENN UHRZEIT = Weckzeit DANN",
        "-  RolloWohnen HOCHFAHREN",
        "-ENDEWENN",
        "-WENN UHRZEIT = SONNENUNTERGANG(DATUM) DANN",
        "-  RolloWohnen RUNTERFAHREN",
        "-ENDEWENN",
    ]

    tor = type_object("Gartentor", "Gartentor", "Tuer", "zu", plans=place((GARTEN, 276, 336, ICON, ICON)))
    tor.program = [
        "-WENN Gartentor GEOEFFNET UND UHRZEIT > SONNENUNTERGANG(DATUM) DANN",
        "-  Aussenlicht EINSCHALTEN",
        "-ENDEWENN",
    ]

    besucher = Obj("Besucher", OName="Besucher heute", Typ="Zahl", StartVal="0", OKind="Z", HdwTyp=3,
                   OutpRB=1, GgeTo=20, GgeCol=4, plans=place((EG, 40, 240, 150, 22)))

    anzeige = Obj("Anzeige", OName="Anzeige", Typ="Zeichen", StartVal="Willkommen", OKind="S", HdwTyp=3,
                  AutoSize=0, PanelCh=30, PanelRo=1, plans=place((EG, 40, 276, 260, 44)))

    # the living-room dimmer, set with the slider on the screen
    dimmer = Obj("Dimmer", OName="Dimmer Wohnzimmer", Typ="Zahl", StartVal="40", OKind="Z", HdwTyp=3,
                 OutpRB=2, GgeTo=100, GgeCol=2, plans=place((EG, 40, 330, 200, 44)))

    klingel = Obj("Klingel", OName="Klingel", Typ="Knopf", OKind="B", HdwTyp=3, Beep=1,
                  plans=place((EG, 296, 350, 64, 28)))
    klingel.var_defs = ["Anzahl".ljust(20) + "Zahl".ljust(20) + "0"]
    klingel.program = [
        "-Anzahl:=Anzahl+1",
        '-Anzeige:="Es hat geklingelt"',
        "-Flurlicht EINSCHALTEN",
    ]

    # The garden's radio devices: the push-button on the terrace switches the garden light through
    # its radio actuator, and a radio sensor measures the outside temperature in tenths of a degree.
    gartenlicht = type_object(
        "Gartenlicht", "Gartenlicht", "Lampe", "aus", SndDev="AktorGarten", Snd=on_radio(GARDEN_ACTOR), Extern=1,
        plans=place((GARTEN, 210, 190, ICON, ICON)))
    taster = type_object(
        "TasterTerrasse", "Taster Terrasse", "Taster", "aus", RcvDev="TasterTerrasse", Rcv=on_radio(GARDEN_BUTTON),
        Extern=1, plans=place((GARTEN, 420, 116, ICON, ICON)))
    taster.program = [
        "-WENN TasterTerrasse EINGESCHALTET DANN",
        "-  Gartenlicht EINSCHALTEN",
        "-SONST",
        "-  Gartenlicht AUSSCHALTEN",
        "-ENDEWENN",
    ]
    temperatur = Obj("Aussentemperatur", OName="Außentemperatur (0,1 °C)", Typ="Zahl", StartVal="0", OKind="Z",
                     HdwTyp=0, RcvDev="FuehlerGarten", Rcv=on_radio(GARDEN_SENSOR), Extern=1,
                     plans=place((GARTEN, 430, 346, 150, 22)))

    p.objects = [init, aussen, flur, kueche, haustuer, fenster, rollo, tor, besucher, anzeige, klingel, dimmer,
                 gartenlicht, taster, temperatur]

    st = Station("StationEG", CKind="MXB2", CKindi=2, CLine=1, CPLeitg=1, CPDevAnz=8)
    st.CPAdr[0] = STATION_ADDRESS
    sensors = ((1, "KontaktTuer"), (2, "KontaktFenster"))
    actors = ((5, "AktorAussen", 1), (6, "AktorFlur", 2))
    for channel, (slot, name) in enumerate(sensors, start=1):
        st.slots[slot - 1] = Slot(CDevArt=1, CNam=name, CZAnOn=channel)
    for slot, name, channel in actors:
        st.slots[slot - 1] = Slot(CDevArt=2, CNam=name, CZAnOn=channel)
    # the outside light's channel switches offline in the group "Aussenbeleuchtung"
    st.slots[4].CAdr, st.slots[4].CCon, st.slots[4].COfflB = 4, 1, "X"
    p.stations = [
        st,
        radio_station("FunkAktorGarten", "FS20 Schaltaktor", 201, GARDEN_ACTOR, Slot(CDevArt=2, CNam="AktorGarten"),
                      sends=True),
        radio_station("FunkTaster", "FS20 Taster/Sensor", 401, GARDEN_BUTTON, Slot(CDevArt=1, CNam="TasterTerrasse")),
        radio_station("FunkFuehler", "HMS100 TF", 551, GARDEN_SENSOR,
                      Slot(CDevArt=1, CNam="FuehlerGarten", CZAnOn=1)),
    ]
    p.group_names = ["Aussenbeleuchtung"]
    return p


# --------------------------------------------------------------------------------------------
# Checks
# --------------------------------------------------------------------------------------------

KEYWORDS = {
    "WENN", "DANN", "SONST", "ENDEWENN", "ODER", "UND", "ZWISCHEN", "GEHEZU", "STARTUHR", "STARTWIN",
    "ERLEDIGT", "VERLASSEN", "AKTIVIEREN", "DEAKTIVIEREN", "AUSFUEHRUNG", "PROGRAMMENDE", "ABBRUCH",
    "EINSCHALTEN", "AUSSCHALTEN", "UMSCHALTEN", "OEFFNEN", "SCHLIESSEN", "RUNTERFAHREN", "RAUFFAHREN",
    "HOCHFAHREN", "GEOEFFNET", "GESCHLOSSEN", "EINGESCHALTET", "AUSGESCHALTET", "WIE", "IST", "NICHT",
    "GLEICH", "UNGLEICH", "KLEINER", "GROESSER", "ZEIT", "DATUM", "UHRZEIT", "TAG", "STOPPZEIT", "MONAT",
    "SONNENAUFGANG", "SONNENUNTERGANG", "JAHR", "AN", "AUS",
}


class CheckError(Exception):
    pass


def check(condition: bool, message: str) -> None:
    if not condition:
        raise CheckError(message)


def check_lines(data: bytes, what: str) -> None:
    check(data.endswith(b"\r\n"), what + ": the last line is not ended by CR LF")
    lines = data[:-2].split(b"\r\n")
    for n, line in enumerate(lines, start=1):
        check(b"\r" not in line and b"\n" not in line, "%s line %d: a lone CR or LF" % (what, n))
        if line.startswith(b"@"):
            continue
        check(line.startswith(b" "), "%s line %d: no leading blank" % (what, n))
        check(len(line) - 1 <= 255, "%s line %d: %d characters after the blank" % (what, n, len(line) - 1))
        check(not line.endswith(b" ") or line == b" OKind= ",
              "%s line %d: trailing blanks would be lost on reading" % (what, n))


def valid_name(name: str) -> bool:
    return (1 <= len(name) <= 32 and "A" <= name[0].upper() <= "Z"
            and all("A" <= ch.upper() <= "Z" or "0" <= ch <= "9" for ch in name))


def states_of(p: Project, typ: str) -> list:
    return [e.split(":", 1)[1] for e, _ in p.type_states if e.split(":", 1)[0] == typ]


def check_model(p: Project, what: str) -> None:
    check(p.types == sorted(p.types, key=str.lower), what + ": @Typs not sorted ignoring case")
    bitmaps = set(os.listdir(BMP_DIR))
    refs = [b.name for _, b in p.views if b] + [b.name for _, b in p.type_states if b]
    refs += [b.name for o in p.objects for _, b in o.state_bitmaps if b]
    for name in refs:
        check(name in bitmaps, "%s: bitmap %s missing in BMP/" % (what, name))
    for name, bmp in p.views:
        check(len(name) < 48, what + ": view name too long for its column")
        if bmp:
            with open(os.path.join(BMP_DIR, bmp.name), "rb") as f:
                head = f.read(26)
            check(struct.unpack("<ii", head[18:26]) == (VIEW_W, VIEW_H), "%s: %s is not 600x400" % (what, bmp.name))
    for entry, _ in p.type_states:
        check(len(entry) < 64, what + ": type-state entry too long for its column")
        check(any(t.split(";")[0] == entry.split(":")[0] for t in p.types), what + ": state of unknown type " + entry)
    view_names = {v[0] for v in p.views}
    slots = {sl.CNam: (s, sl) for s in p.stations for sl in s.slots[:s.CPDevAnz] if sl.CNam}
    variables = {o.name.upper(): {"CT", "#"} | {v[:20].strip().upper() for v in o.var_defs} for o in p.objects}
    constants = [c.split("=", 1) for c in p.constants]
    for o in p.objects:
        w = "%s object %s" % (what, o.name)
        check(o.name == "*INIT" or valid_name(o.name), w + ": not a valid name")
        if o.OKind == "U":
            states = states_of(p, o.Typ)
            check(o.CtZust == len(states), w + ": CtZust")
            check(o.StartVal in states, w + ": start value is no state")
            expected = 2 if o.Typ in DOOR_CLASS else 3 if o.Typ in SHUTTER_CLASS else int(len(states) == 2)
            check(o.ObjTypO == expected, w + ": ObjTypO")
            kind = [t for t in p.types if t.split(";")[0] == o.Typ][0].split(";")[1]
            check(o.HdwTyp == int(kind), w + ": HdwTyp differs from the type's kind")
            for state, _ in o.state_bitmaps:
                check(state in states, w + ": bitmap for unknown state " + state)
        if o.ExtTrans:
            check(len(o.ext_trans) == o.CtZust, w + ": ExtTransList length")
        for pl in o.plans:
            if pl.view:
                check(pl.view in view_names, w + ": placed on unknown view " + pl.view)
                check(0 <= pl.left and pl.left + pl.width <= VIEW_W and 0 <= pl.top
                      and pl.top + pl.height <= VIEW_H, w + ": placement outside the view")
        code = 0
        for dev, adr, send in ((o.SndDev, o.Snd, True), (o.RcvDev, o.Rcv, False)):
            if dev:
                check(dev in slots, w + ": no device slot named " + dev)
                s, sl = slots[dev]
                check(adr == [s.CPLeitg, s.CPAdrA] + s.CPAdr, w + ": stored address differs from the station")
                check((sl.CDevArt == 2) == send, w + ": sensor/actor slot mismatch for " + dev)
                code = 1 if send else 2
            else:
                check(adr[0] == 0, w + ": address without device")
        check(o.Extern == (1 if code else 0), w + ": Extern")
        check_program(o, variables, constants, w)


def check_program(o: Obj, variables: dict, constants: list, what: str) -> None:
    """A light check of the statement lines: known names, balanced WENN ... ENDEWENN."""
    depth, in_condition = 0, False
    for raw in o.program:
        text = raw[2:] if raw[1:2] == "&" else raw[1:]
        if not text.strip() or text.strip().startswith("**"):
            continue
        for name, value in constants:
            text = text.replace(name, value, 1)
        outside = "".join(part.upper() for part in text.split('"')[0::2])
        words = []
        current = ""
        for ch in outside + " ":
            if ch.isascii() and (ch.isalnum() or ch in "._#") and (current or ch.isalpha()):
                current += ch
            else:
                if current:
                    words.append(current)
                current = ""
        for word in words:
            if word in KEYWORDS:
                continue
            obj, _, var = word.partition(".")
            if var:
                check(obj in variables and var in variables[obj], "%s: unknown %s" % (what, word))
            else:
                own = variables.get(o.name.upper(), set())
                check(word in variables or word in own, "%s: unknown name %s" % (what, word))
        first = words[0] if words else ""
        if first == "WENN":
            check(not in_condition, what + ": WENN inside a condition")
            depth += 1
            in_condition = True
        if in_condition and words and words[-1] == "DANN":
            in_condition = False
        elif first == "SONST":
            check(depth > 0 and not in_condition, what + ": SONST without WENN")
        elif first == "ENDEWENN":
            check(depth > 0 and not in_condition, what + ": ENDEWENN without WENN")
            depth -= 1
        elif ":=" in outside or " EINSCHALTEN" in outside or " AUSSCHALTEN" in outside:
            check(not in_condition, what + ": statement inside a condition (DANN missing)")
            check(first != "WENN", what + ": an assignment must stand on a line of its own")
    check(depth == 0 and not in_condition, what + ": ENDEWENN missing")


def round_trip(path: str, model: Project) -> None:
    with open(path, "rb") as f:
        data = f.read()
    what = os.path.basename(path)
    check_lines(data, what)
    back = read_project(data)
    check(back == model, what + ": reading the file does not give the model it was written from")
    check(write_project(back) == data, what + ": writing the read model does not give the same bytes")
    check_model(back, what)


# --------------------------------------------------------------------------------------------


def main() -> int:
    os.makedirs(BMP_DIR, exist_ok=True)
    for name, draw in BITMAPS.items():
        with open(os.path.join(BMP_DIR, name), "wb") as f:
            f.write(draw().bmp_bytes())

    init, demo = default_definitions(), demo_project()
    outputs = ((os.path.join(HERE, "INIT.SPI"), init), (os.path.join(HERE, "DEMO.SPG"), demo))
    for path, model in outputs:
        with open(path, "wb") as f:
            f.write(write_project(model))

    try:
        for path, model in outputs:
            round_trip(path, copy.deepcopy(model))
        # reading the default definitions and then the demo merges without duplicates
        merged = read_project(open(outputs[0][0], "rb").read())
        merged = read_project(open(outputs[1][0], "rb").read(), merged)
        check(len(merged.types) == len(demo.types) and len(merged.type_states) == len(demo.type_states),
              "reading INIT.SPI and DEMO.SPG one after the other duplicated types or states")
    except CheckError as e:
        print("make_demo.py: check failed: %s" % e, file=sys.stderr)
        return 1
    print("wrote %s, %s and %d bitmaps; checks passed" % (
        os.path.basename(outputs[0][0]), os.path.basename(outputs[1][0]), len(BITMAPS)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
