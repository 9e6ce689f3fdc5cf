"""Reader of compiled Win32 resources (.res, as `windres -O res` writes them) and of the
dialog and menu templates inside, so a check can hold the compiled bytes to the templates."""

import struct

RT = {"CURSOR": 1, "BITMAP": 2, "ICON": 3, "MENU": 4, "DIALOG": 5, "STRING": 6, "ACCELERATOR": 9,
      "GROUP_ICON": 14, "VERSION": 16, "MANIFEST": 24}


class ResError(ValueError):
    pass


def _name_or_id(data, at):
    """A resource name: 0xFFFF + ordinal, or a NUL-terminated UTF-16 string (word aligned after)."""
    (first,) = struct.unpack_from("<H", data, at)
    if first == 0xFFFF:
        (ordinal,) = struct.unpack_from("<H", data, at + 2)
        return ordinal, at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def read_res(data):
    """All resources as a dict {(type, name): (language, bytes)}; type and name are int or str."""
    out, at = {}, 0
    while at + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, at)
        kind, p = _name_or_id(data, at + 8)
        name, p = _name_or_id(data, p)
        p = (p + 3) & ~3
        _version, _flags, language = struct.unpack_from("<IHH", data, p)
        body = data[at + header_size:at + header_size + data_size]
        if len(body) != data_size:
            raise ResError("resource %r/%r runs past the end" % (kind, name))
        if not (kind == 0 and name == 0 and data_size == 0):   # the leading empty entry
            if isinstance(kind, str):
                kind = kind.upper() if kind.upper() == kind else kind
            if (kind, name) in out:
                raise ResError("resource %r/%r appears twice" % (kind, name))
            out[(kind, name)] = (language, body)
        at = (at + header_size + data_size + 3) & ~3
    return out


def _sz_or_ord(data, at):
    """Template field: 0x0000 (none), 0xFFFF + ordinal, or a UTF-16 string."""
    (first,) = struct.unpack_from("<H", data, at)
    if first == 0:
        return "", at + 2
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    return _name_or_id(data, at)


def _sz(data, at):
    end = at
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


PREDEFINED_CLASSES = {0x80: "Button", 0x81: "Edit", 0x82: "Static", 0x83: "ListBox", 0x84: "ScrollBar",
                      0x85: "ComboBox"}


def read_dialog(data):
    """A DLGTEMPLATEEX with DS_SETFONT, as a dict with the controls in template order."""
    ver, sig, helpid, exstyle, style, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", data, 0)
    if (ver, sig) != (1, 0xFFFF):
        raise ResError("not an extended dialog template")
    at = 26
    menu, at = _sz_or_ord(data, at)
    klass, at = _sz_or_ord(data, at)
    title, at = _sz(data, at)
    dialog = {"style": style, "exstyle": exstyle, "rect": (x, y, cx, cy), "menu": menu, "class": klass,
              "title": title, "controls": []}
    if style & 0x40:  # DS_SETFONT
        point, weight, italic, charset = struct.unpack_from("<HHBB", data, at)
        face, at = _sz(data, at + 6)
        dialog["font"] = (point, face, weight, italic, charset)
    for _ in range(count):
        at = (at + 3) & ~3
        c_help, c_ex, c_style, c_x, c_y, c_cx, c_cy, c_id = struct.unpack_from("<IIIhhhhi", data, at)
        at += 24
        c_class, at = _sz_or_ord(data, at)
        c_text, at = _sz_or_ord(data, at)
        (extra,) = struct.unpack_from("<H", data, at)
        at += 2 + extra
        dialog["controls"].append({"id": c_id, "class": PREDEFINED_CLASSES.get(c_class, c_class), "text": c_text,
                                   "style": c_style, "exstyle": c_ex, "rect": (c_x, c_y, c_cx, c_cy)})
    return dialog


MF_POPUP, MF_END, MF_SEPARATOR_STYLES = 0x10, 0x80, 0x800


def read_menu(data):
    """A standard (not extended) menu template as nested lists of (flags, id, text, children)."""
    version, offset = struct.unpack_from("<HH", data, 0)
    if version != 0:
        raise ResError("not a standard menu template")
    at = 4 + offset

    def items():
        nonlocal at
        out = []
        while True:
            (flags,) = struct.unpack_from("<H", data, at)
            at += 2
            if flags & MF_POPUP:
                text, at = _sz(data, at)
                out.append((flags & ~MF_END, None, text, items()))
            else:
                (ident,) = struct.unpack_from("<H", data, at)
                text, at = _sz(data, at + 2)
                out.append((flags & ~MF_END, ident, text, None))
            if flags & MF_END:
                return out

    return items()


def read_group_icon(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ResError("not a group icon")
    entries = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, ident = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        entries.append({"width": w or 256, "height": h or 256, "colours": colours, "planes": planes,
                        "bits": bits, "bytes": size, "id": ident})
    return entries
