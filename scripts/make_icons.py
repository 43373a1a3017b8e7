#!/usr/bin/env python3
"""Draws the program's icons and animations as SVG files and writes the resource list.

Run from anywhere: scripts/make_icons.py. It rewrites resources/icons/*.svg,
resources/animations/<name>/frame_NN.svg and resources/pelimond.qrc. The files are committed;
the build only packs them. Standard library only.

Style: flat shapes with a mid-saturation fill and a darker outline of the same hue, so that
every image stands out on a light and on a dark window. List, tree and sort images sit on a
16 x 16 grid, toolbar images on 24 x 24, the program icon on 32 x 32; outlines are 1 unit wide
and lie on half units so they stay sharp at 100 % and 200 %. No text: glyph shapes are paths.

Software list icons (the list's small image list; the settings ChangeNormalIcon,
ChangeNewIcon, ChangePickUpIcon and ChangeReviewIcon hold these 0-based numbers; first-run
choices: ordinary 0, new 0, pick-up 1, news 1):

    index  file                     picture
    0      list_normal.svg          software package
    1      list_pickup.svg          package with a gold star (picked-up / featured)
    2      list_new.svg             package with a green "new" burst
    3      list_news.svg            package with a newspaper
    4      list_page.svg            document page
    5      list_page_pickup.svg     page with a gold star
    6      list_page_new.svg        page with a green "new" burst
    7      list_page_news.svg       page with a newspaper
    8      list_rosette.svg         award rosette
    9      list_new_badge.svg       green burst with an N
    10     list_newspaper.svg       newspaper
    11     list_check.svg           green tick in a circle
    12     list_heart.svg           red heart
    13     list_bullet.svg          small blue bullet

Tree images (key -> file): Favorites tree_favorites, Search tree_search, NewArrival
tree_newarrival, TalvexRoot tree_talvexroot, TalvexGames tree_talvexgames, Close folder_closed,
Open folder_open, CloseNew folder_closed_new, OpenNew folder_open_new.
Sort images: Asc sort_asc, Desc sort_desc.
Toolbar images: each key in lower case (Save save.svg ... Contol contol.svg, NetOnly
netonly.svg, NetFile netfile.svg, NetTime nettime.svg, FileOnly fileonly.svg).
Animations: update (update window), compact (compaction window), download (download
window), search (search window), busy (toolbar, while a category opens).
"""
import math
import os

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
ICONS = os.path.join(ROOT, "resources", "icons")
ANIMATIONS = os.path.join(ROOT, "resources", "animations")
QRC = os.path.join(ROOT, "resources", "pelimond.qrc")

# (fill, outline) pairs.
BLUE = ("#5b9bd5", "#2a5d8f")
SKY = ("#9fcdf0", "#2f6a9e")
GOLD = ("#f5c542", "#946a0c")
FOLDER_BACK = "#e0a836"
GREEN = ("#67bd5b", "#2c6e25")
GREEN_BACK = "#4f9f45"
RED = ("#e2574c", "#9a2820")
PAPER = ("#f4f1e8", "#6e695d")
PAPER_SHADE = "#d8d2c2"
TEXT_LINE = "#8f897b"
GREY = ("#a9b2bc", "#4b545e")
BROWN = ("#d49b57", "#7a4a18")
BROWN_TOP = "#ebc48e"
BROWN_SIDE = "#b97f3c"
PURPLE = ("#a27bd8", "#583a8c")
LIGHT = "#ffffff"


def n(v):
    """A coordinate without needless digits."""
    text = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def pts(points):
    return " ".join(f"{n(x)},{n(y)}" for x, y in points)


def svg(size, body, height=None):
    w, h = size, (height if height is not None else size)
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">\n'
            f'<g stroke-linejoin="round" stroke-linecap="round">\n{body}</g>\n</svg>\n')


def path(d, fill="none", stroke=None, width=1.0, extra=""):
    s = f' stroke="{stroke}"' if stroke else ""
    if stroke and width != 1.0:
        s += f' stroke-width="{n(width)}"'
    return f'<path d="{d}" fill="{fill}"{s}{extra}/>\n'


def poly(points, fill, stroke=None, width=1.0):
    s = f' stroke="{stroke}"' if stroke else ""
    if stroke and width != 1.0:
        s += f' stroke-width="{n(width)}"'
    return f'<polygon points="{pts(points)}" fill="{fill}"{s}/>\n'


def circle(cx, cy, r, fill, stroke=None, width=1.0, extra=""):
    s = f' stroke="{stroke}"' if stroke else ""
    if stroke and width != 1.0:
        s += f' stroke-width="{n(width)}"'
    return f'<circle cx="{n(cx)}" cy="{n(cy)}" r="{n(r)}" fill="{fill}"{s}{extra}/>\n'


def ellipse(cx, cy, rx, ry, fill, stroke=None, width=1.0):
    s = f' stroke="{stroke}"' if stroke else ""
    if stroke and width != 1.0:
        s += f' stroke-width="{n(width)}"'
    return (f'<ellipse cx="{n(cx)}" cy="{n(cy)}" rx="{n(rx)}" ry="{n(ry)}" '
            f'fill="{fill}"{s}/>\n')


def line(x1, y1, x2, y2, stroke, width=1.0):
    return path(f"M{n(x1)} {n(y1)}L{n(x2)} {n(y2)}", stroke=stroke, width=width)


def star(cx, cy, ro, ri, count=5, turn=-90.0):
    out = []
    for k in range(2 * count):
        r = ro if k % 2 == 0 else ri
        a = math.radians(turn + k * 180.0 / count)
        out.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return out


def polar(cx, cy, r, degrees):
    a = math.radians(degrees)
    return cx + r * math.cos(a), cy + r * math.sin(a)


# ---------------------------------------------------------------- shared pictures

def gold_star(cx, cy, ro):
    return poly(star(cx, cy, ro, ro * 0.45), GOLD[0], GOLD[1])


def new_burst(cx, cy, ro, with_n):
    body = poly(star(cx, cy, ro, ro * 0.76, count=8, turn=-90), GREEN[0], GREEN[1])
    if with_n:
        h, w = ro * 0.62, ro * 0.48
        body += path(f"M{n(cx - w)} {n(cy + h)}V{n(cy - h)}L{n(cx + w)} {n(cy + h)}V{n(cy - h)}",
                     stroke=LIGHT, width=max(1.2, ro * 0.22))
    else:
        body += circle(cx, cy, ro * 0.3, "#d6f2cd")
    return body


def newspaper(x, y, w, h):
    """A folded newspaper: a page with a blue headline bar and text lines."""
    body = path(f"M{n(x)} {n(y)}H{n(x + w)}V{n(y + h)}H{n(x)}Z", PAPER[0], PAPER[1])
    body += path(f"M{n(x + 1.5)} {n(y + 2)}H{n(x + w - 1.5)}", stroke=BLUE[1], width=1.5)
    step = 2.0 if h >= 8 else 1.75
    yy = y + 2 + step + 0.25
    while yy < y + h - 1:
        body += line(x + 1.5, yy, x + w - 1.5, yy, TEXT_LINE)
        yy += step
    return body


def globe(cx, cy, r, phase=0.0, width=1.0):
    """A globe; phase (degrees) turns its meridians, so frames of it seem to spin."""
    body = circle(cx, cy, r, SKY[0], SKY[1], width)
    grid = "#4f88bb"
    for lat in (-0.5, 0.5):
        dy = r * lat
        dx = math.sqrt(r * r - dy * dy) - width * 0.5
        body += line(cx - dx, cy + dy, cx + dx, cy + dy, grid, width * 0.8)
    body += line(cx - r + width * 0.5, cy, cx + r - width * 0.5, cy, grid, width * 0.8)
    for k in range(3):
        rx = abs(math.sin(math.radians(phase + k * 60.0))) * (r - width * 0.5)
        if rx < 0.3:
            body += line(cx, cy - r + width * 0.5, cx, cy + r - width * 0.5, grid, width * 0.8)
        else:
            body += ellipse(cx, cy, rx, r - width * 0.5, "none", grid, width * 0.8)
    body += circle(cx, cy, r, "none", SKY[1], width)
    return body


def circular_arrow(cx, cy, r, start, end, fill, ink, width):
    """An arc from start to end degrees (clockwise on screen) with a head at its end."""
    x0, y0 = polar(cx, cy, r, start)
    x1, y1 = polar(cx, cy, r, end)
    sweep = (end - start) % 360
    large = 1 if sweep > 180 else 0
    d = f"M{n(x0)} {n(y0)}A{n(r)} {n(r)} 0 {large} 1 {n(x1)} {n(y1)}"
    body = path(d, stroke=ink, width=width + 2)
    body += path(d, stroke=fill, width=width)
    # Head: a triangle pointing along the tangent at the end.
    tangent = math.radians(end + 90)
    normal = math.radians(end)
    size = width * 1.6
    tip = (x1 + math.cos(tangent) * size * 1.5, y1 + math.sin(tangent) * size * 1.5)
    a = (x1 + math.cos(normal) * size, y1 + math.sin(normal) * size)
    b = (x1 - math.cos(normal) * size, y1 - math.sin(normal) * size)
    body += poly([tip, a, b], fill, ink)
    return body


def round_badge(cx, cy, r, colours, glyph):
    """A round badge with a light glyph: plus, minus, info or tick."""
    body = circle(cx, cy, r, colours[0], colours[1])
    g = r * 0.5
    if glyph == "plus":
        body += path(f"M{n(cx - g)} {n(cy)}H{n(cx + g)}M{n(cx)} {n(cy - g)}V{n(cy + g)}",
                     stroke=LIGHT, width=1.5)
    elif glyph == "minus":
        body += path(f"M{n(cx - g)} {n(cy)}H{n(cx + g)}", stroke=LIGHT, width=1.5)
    elif glyph == "info":
        body += circle(cx, cy - g * 0.95, 0.9, LIGHT)
        body += path(f"M{n(cx)} {n(cy - g * 0.1)}V{n(cy + g)}", stroke=LIGHT, width=1.6)
    elif glyph == "tick":
        body += path(f"M{n(cx - g)} {n(cy)}L{n(cx - g * 0.2)} {n(cy + g * 0.75)}"
                     f"L{n(cx + g)} {n(cy - g * 0.7)}", stroke=LIGHT, width=1.6)
    return body


def clock(cx, cy, r):
    body = circle(cx, cy, r, PAPER[0], BLUE[1])
    body += path(f"M{n(cx)} {n(cy - r * 0.6)}V{n(cy)}H{n(cx + r * 0.5)}",
                 stroke=BLUE[1], width=1.2)
    return body


# ---------------------------------------------------------------- 16 x 16 pictures

def package16():
    top = [(8, 1.5), (14.5, 4.5), (8, 7.5), (1.5, 4.5)]
    left = [(1.5, 4.5), (8, 7.5), (8, 14.5), (1.5, 11.5)]
    right = [(8, 7.5), (14.5, 4.5), (14.5, 11.5), (8, 14.5)]
    body = poly(left, BROWN[0], BROWN[1]) + poly(right, BROWN_SIDE, BROWN[1])
    body += poly(top, BROWN_TOP, BROWN[1])
    body += line(4.75, 3, 11.25, 6, "#f7e3c1", 1.2)
    return body


def page16():
    body = path("M2.5 1.5H9.5L13.5 5.5V14.5H2.5Z", PAPER[0], PAPER[1])
    body += path("M9.5 1.5V5.5H13.5", PAPER_SHADE, PAPER[1])
    for y, x2 in ((7.5, 11), (9.5, 11), (11.5, 9)):
        body += line(4.5, y, x2, y, TEXT_LINE)
    return body


def badge16(kind):
    if kind == "pickup":
        return gold_star(11.5, 11, 4.5)
    if kind == "new":
        return new_burst(11.5, 11, 4.5, False)
    if kind == "news":
        return newspaper(8.5, 7.5, 7, 8)
    return ""


def folder16(back, front, ink, open_):
    if not open_:
        body = path("M1.5 13.5V3.5H6L7.5 5H14.5V13.5Z", back, ink)
        body += path("M1.5 6.5H14.5V13.5H1.5Z", front, ink)
        body += path("M2.5 7.5H13.5", stroke="#ffffff", width=0.8, extra=' opacity="0.45"')
        return body
    body = path("M1.5 13.5V3.5H6L7.5 5H13.5V7.5", back, ink)
    body += path("M3.5 6.5V4.5H11.5V8", PAPER[0], PAPER[1])
    body += path("M1.5 13.5L3.5 7.5H15.5L13.5 13.5Z", front, ink)
    return body


def sparkle(cx, cy, r):
    return poly(star(cx, cy, r, r * 0.42, count=4), GOLD[0], GOLD[1])


def books16():
    body = path("M1.5 3.5H5.5V14.5H1.5Z", BLUE[0], BLUE[1])
    body += line(2.5, 5.5, 4.5, 5.5, "#d5e6f6")
    body += path("M5.5 2.5H9.5V14.5H5.5Z", RED[0], RED[1])
    body += line(6.5, 4.5, 8.5, 4.5, "#f7d0cc")
    body += poly([(9.8, 4.9), (13.2, 3.9), (15.6, 13.5), (12.2, 14.5)], GREEN[0], GREEN[1])
    return body


def magnifier(cx, cy, r, scale):
    hx, hy = cx + r * 0.72, cy + r * 0.72
    ex, ey = cx + r * 1.75, cy + r * 1.75
    body = line(hx, hy, ex, ey, "#5a4632", 3.4 * scale)
    body += line(hx, hy, ex, ey, "#a0805c", 1.6 * scale)
    body += circle(cx, cy, r, SKY[0], BLUE[1], 1.5 * scale)
    body += path(f"M{n(cx - r * 0.5)} {n(cy - r * 0.1)}A{n(r * 0.55)} {n(r * 0.55)} 0 0 1 "
                 f"{n(cx - r * 0.05)} {n(cy - r * 0.55)}", stroke=LIGHT, width=1.0 * scale)
    return body


def gamepad16():
    body = path("M4.5 4.5H11.5C14 4.5 15.5 6.5 15.5 9.5C15.5 12 14.5 13.5 13 13.5C11.8 13.5 "
                "11.2 12.6 10.5 11.5H5.5C4.8 12.6 4.2 13.5 3 13.5C1.5 13.5 0.5 12 0.5 9.5"
                "C0.5 6.5 2 4.5 4.5 4.5Z", GREY[0], GREY[1])
    body += path("M3.5 8.5H4.5V7.5H5.5V8.5H6.5V9.5H5.5V10.5H4.5V9.5H3.5Z", "#3b434b")
    body += circle(11.2, 7.9, 1.05, RED[0], RED[1], 0.6)
    body += circle(12.9, 9.6, 1.05, GREEN[0], GREEN[1], 0.6)
    return body


def list_icons():
    return [
        ("list_normal", package16()),
        ("list_pickup", package16() + badge16("pickup")),
        ("list_new", package16() + badge16("new")),
        ("list_news", package16() + badge16("news")),
        ("list_page", page16()),
        ("list_page_pickup", page16() + badge16("pickup")),
        ("list_page_new", page16() + badge16("new")),
        ("list_page_news", page16() + badge16("news")),
        ("list_rosette", poly([(5, 8), (3, 15), (6, 13.5), (7.5, 15.5), (8.5, 9)], RED[0], RED[1])
         + poly([(11, 8), (13, 15), (10, 13.5), (8.5, 15.5), (7.5, 9)], RED[0], RED[1])
         + poly(star(8, 6.5, 6, 4.9, count=12), GOLD[0], GOLD[1])
         + circle(8, 6.5, 3, "#fbe08a", GOLD[1])),
        ("list_new_badge", new_burst(8, 8, 7.5, True)),
        ("list_newspaper", newspaper(1.5, 2.5, 13, 11)),
        ("list_check", round_badge(8, 8, 6.5, GREEN, "tick")),
        ("list_heart", path("M8 14.5C5 12 1.5 9.5 1.5 5.8C1.5 3.5 3.2 2 5 2C6.4 2 7.4 2.8 8 3.9"
                            "C8.6 2.8 9.6 2 11 2C12.8 2 14.5 3.5 14.5 5.8C14.5 9.5 11 12 8 14.5Z",
                            RED[0], RED[1])),
        ("list_bullet", circle(8, 8, 3.5, BLUE[0], BLUE[1])
         + circle(7, 7, 1, "#d5e6f6")),
    ]


def tree_icons():
    gold_ink = GOLD[1]
    green_ink = GREEN[1]
    return [
        ("tree_favorites", gold_star(8, 8.6, 7.2)),
        ("tree_search", magnifier(6.5, 6.5, 4.5, 1.0)),
        ("tree_newarrival", new_burst(8, 8, 7.5, True)),
        ("tree_talvexroot", books16()),
        ("tree_talvexgames", gamepad16()),
        ("folder_closed", folder16(FOLDER_BACK, GOLD[0], gold_ink, False)),
        ("folder_open", folder16(FOLDER_BACK, GOLD[0], gold_ink, True)),
        ("folder_closed_new", folder16(GREEN_BACK, GREEN[0], green_ink, False) + sparkle(12.5, 3.5, 3)),
        ("folder_open_new", folder16(GREEN_BACK, GREEN[0], green_ink, True) + sparkle(12.5, 3.5, 3)),
    ]


def sort_icons():
    return [
        ("sort_asc", poly([(4.5, 10.5), (8, 5.5), (11.5, 10.5)], GREY[0], GREY[1])),
        ("sort_desc", poly([(4.5, 5.5), (8, 10.5), (11.5, 5.5)], GREY[0], GREY[1])),
    ]


# ---------------------------------------------------------------- 24 x 24 toolbar pictures

def folder24(x, y, w, h, back=FOLDER_BACK, front=GOLD[0], ink=GOLD[1]):
    tab = min(7.0, w * 0.4)
    body = path(f"M{n(x)} {n(y + h)}V{n(y)}H{n(x + tab)}L{n(x + tab + 2)} {n(y + 2)}"
                f"H{n(x + w)}V{n(y + h)}Z", back, ink)
    body += path(f"M{n(x)} {n(y + 4)}H{n(x + w)}V{n(y + h)}H{n(x)}Z", front, ink)
    return body


def page24(x, y, w, h, lines=True):
    fold = 4.0
    body = path(f"M{n(x)} {n(y)}H{n(x + w - fold)}L{n(x + w)} {n(y + fold)}V{n(y + h)}H{n(x)}Z",
                PAPER[0], PAPER[1])
    body += path(f"M{n(x + w - fold)} {n(y)}V{n(y + fold)}H{n(x + w)}", PAPER_SHADE, PAPER[1])
    if lines:
        yy = y + fold + 2
        while yy <= y + h - 2:
            body += line(x + 2, yy, x + w - 2.5, yy, TEXT_LINE)
            yy += 2.5
    return body


def floppy():
    body = path("M3.5 3.5H18L20.5 6V20.5H3.5Z", BLUE[0], BLUE[1])
    body += path("M7.5 3.5H16.5V9.5H7.5Z", "#dfe5eb", GREY[1])
    body += path("M13.5 5V8", stroke=GREY[1], width=1.5)
    body += path("M6.5 12.5H17.5V20.5H6.5Z", PAPER[0], PAPER[1])
    body += line(8.5, 15, 15.5, 15, TEXT_LINE) + line(8.5, 17.5, 15.5, 17.5, TEXT_LINE)
    return body


def gear(cx, cy, ro, ri, hole, teeth=8):
    outline = []
    half = 180.0 / teeth
    for k in range(teeth):
        a = k * 360.0 / teeth
        outline += [polar(cx, cy, ri, a - half + 3), polar(cx, cy, ro, a - half * 0.45),
                    polar(cx, cy, ro, a + half * 0.45), polar(cx, cy, ri, a + half - 3)]
    d = "M" + "L".join(f"{n(x)} {n(y)}" for x, y in outline) + "Z"
    d += (f"M{n(cx + hole)} {n(cy)}A{n(hole)} {n(hole)} 0 1 0 {n(cx - hole)} {n(cy)}"
          f"A{n(hole)} {n(hole)} 0 1 0 {n(cx + hole)} {n(cy)}Z")
    return path(d, GREY[0], GREY[1], extra=' fill-rule="evenodd"')


def refresh_arrow(cx, cy, r):
    return circular_arrow(cx, cy, r, 0, 265, GREEN[0], GREEN[1], 2.0)


def toolbar_icons():
    tree = (folder24(2.5, 2.5, 12, 8)
            + path("M6.5 11V17.5H9.5", stroke=GOLD[1], width=1.5)
            + folder24(9.5, 12.5, 12, 9))
    return [
        ("save", floppy()),
        ("refresh", folder24(2.5, 3.5, 15, 12) + refresh_arrow(16, 16, 4.5)),
        ("refreshclass", tree + refresh_arrow(18, 6.5, 3.8)),
        ("search", magnifier(9.5, 9.5, 6.5, 1.4)),
        ("property", page24(4.5, 2.5, 13, 17) + round_badge(17, 17, 5.5, BLUE, "info")),
        ("favorites", gold_star(11, 11.5, 10) + round_badge(18, 18, 5, GREEN, "plus")),
        ("delfavorites", gold_star(11, 11.5, 10) + round_badge(18, 18, 5, RED, "minus")),
        ("contol", gear(12, 12, 10, 7.5, 3.5)),
        ("netonly", globe(12, 12, 9.5, 25, 1.0)),
        ("netfile", globe(9.5, 9.5, 7.5, 25, 1.0) + page24(12.5, 10.5, 9, 11)),
        ("nettime", globe(9.5, 9.5, 7.5, 25, 1.0) + clock(17, 17, 5.5)),
        ("fileonly", page24(7.5, 2.5, 12, 15, False) + page24(4.5, 5.5, 12, 16)),
    ]


def program_icon():
    body = path("M5.5 2.5H26.5A3 3 0 0 1 29.5 5.5V26.5A3 3 0 0 1 26.5 29.5H5.5"
                "A3 3 0 0 1 2.5 26.5V5.5A3 3 0 0 1 5.5 2.5Z", "#3b78c2", "#1d4778")
    body += globe(13, 13, 8.5, 25, 1.0)
    top = [(21, 14.5), (27.5, 17.5), (21, 20.5), (14.5, 17.5)]
    left = [(14.5, 17.5), (21, 20.5), (21, 27.5), (14.5, 24.5)]
    right = [(21, 20.5), (27.5, 17.5), (27.5, 24.5), (21, 27.5)]
    body += poly(left, BROWN[0], BROWN[1]) + poly(right, BROWN_SIDE, BROWN[1])
    body += poly(top, BROWN_TOP, BROWN[1]) + line(17.75, 16, 24.25, 19, "#f7e3c1", 1.2)
    return body


# ---------------------------------------------------------------- animations

def arc_point(p, x0, x1, y0, lift):
    """Position along a flight from x0 to x1 that rises by lift in its middle."""
    return x0 + (x1 - x0) * p, y0 - lift * math.sin(math.pi * p)


def mini_page(x, y):
    return (path(f"M{n(x - 4.5)} {n(y - 6)}H{n(x + 2)}L{n(x + 4.5)} {n(y - 3.5)}V{n(y + 6)}"
                 f"H{n(x - 4.5)}Z", PAPER[0], PAPER[1])
            + line(x - 2.5, y - 1, x + 2.5, y - 1, TEXT_LINE)
            + line(x - 2.5, y + 1.5, x + 2.5, y + 1.5, TEXT_LINE)
            + line(x - 2.5, y + 4, x + 1, y + 4, TEXT_LINE))


def mini_box(x, y):
    top = [(x, y - 6), (x + 6, y - 3.5), (x, y - 1), (x - 6, y - 3.5)]
    left = [(x - 6, y - 3.5), (x, y - 1), (x, y + 6), (x - 6, y + 3.5)]
    right = [(x, y - 1), (x + 6, y - 3.5), (x + 6, y + 3.5), (x, y + 6)]
    return (poly(left, BROWN[0], BROWN[1]) + poly(right, BROWN_SIDE, BROWN[1])
            + poly(top, BROWN_TOP, BROWN[1]))


def update_frame(i, count):
    """Pages fly from the spinning globe into the open catalogue folder."""
    body = globe(16, 24, 12, i * 360.0 / count / 2, 1.0)
    body += path("M66.5 40.5V18.5H74L76.5 21H88.5V27", FOLDER_BACK, GOLD[1])
    for offset in (0.0, 0.5):
        p = (i / count + offset) % 1.0
        x, y = arc_point(p, 30, 78, 24, 14)
        body += mini_page(x, y)
    body += path("M66.5 40.5L70 27.5H92.5L89 40.5Z", GOLD[0], GOLD[1])
    return body


def download_frame(i, count):
    """Parcels fly from the spinning globe into a tray under a pulsing arrow."""
    body = globe(16, 24, 12, i * 360.0 / count / 2, 1.0)
    drop = 2.0 * math.sin(2 * math.pi * i / count)
    ay = 6 + drop
    body += poly([(79, ay + 12), (72.5, ay + 5.5), (76.5, ay + 5.5), (76.5, ay - 1),
                  (81.5, ay - 1), (81.5, ay + 5.5), (85.5, ay + 5.5)], GREEN[0], GREEN[1])
    for offset in (0.0, 0.5):
        p = (i / count + offset) % 1.0
        x, y = arc_point(p, 30, 79, 26, 10)
        body += mini_box(x, y + 4 * p)
    body += path("M64.5 30.5H69.5L71.5 35H86.5L88.5 30.5H93.5V42.5H64.5Z", GREY[0], GREY[1])
    return body


def cylinder_part(cx, y, rx, ry, h, fill, ink):
    d = (f"M{n(cx - rx)} {n(y)}A{n(rx)} {n(ry)} 0 0 0 {n(cx + rx)} {n(y)}V{n(y + h)}"
         f"A{n(rx)} {n(ry)} 0 0 1 {n(cx - rx)} {n(y + h)}Z")
    return path(d, fill, ink) + ellipse(cx, y, rx, ry, "#bcd9f2", ink)


def compact_frame(i, count):
    """Three disks of a database close their gaps under two pressing arrows, then part."""
    t = i / count
    gap = 4.0 * (0.5 + 0.5 * math.cos(2 * math.pi * t))
    h, ry, rx, cx = 5.0, 2.5, 14.0, 48.0
    total = 3 * h + 2 * gap + 2 * ry
    top = 24 - total / 2 + ry
    body = ""
    for k in reversed(range(3)):
        y = top + k * (h + gap)
        body += cylinder_part(cx, y, rx, ry, h, BLUE[0], BLUE[1])
    upper = top - ry - 1.5
    lower = top + 3 * h + 2 * gap + ry + 1.5
    for tip, sign in ((upper, -1), (lower, 1)):
        body += poly([(cx, tip), (cx - 4.5, tip + sign * 4), (cx - 1.75, tip + sign * 4),
                      (cx - 1.75, tip + sign * 7.5), (cx + 1.75, tip + sign * 7.5),
                      (cx + 1.75, tip + sign * 4), (cx + 4.5, tip + sign * 4)],
                     GREEN[0], GREEN[1])
    for side in (-1, 1):
        sx = cx + side * (rx + 6 + gap * 0.75)
        body += line(sx, 19, sx, 29, GREY[1], 1.2)
        body += line(sx + side * 3, 21.5, sx + side * 3, 26.5, GREY[0], 1.2)
    return body


def search_frame(i, count):
    """A magnifier sweeps to and fro over the rows of a catalogue page, lighting the row under
    its lens."""
    body = path("M30.5 6.5H65.5V41.5H30.5Z", PAPER[0], PAPER[1])
    p = 0.5 - 0.5 * math.cos(2 * math.pi * i / count)
    lx, ly = 36 + 22 * p, 12 + 18 * p
    for k in range(6):
        y = 11 + k * 5.5
        lit = abs(y - ly) < 3
        body += line(34, y, 62 if k % 2 == 0 else 56, y, BLUE[1] if lit else TEXT_LINE,
                     2.0 if lit else 1.4)
    return body + magnifier(lx, ly, 6.5, 1.3)


def busy_frame(i, count):
    """A ring of dots whose bright dot runs round, with a fading trail. The dots are too small
    for an outline, so their fills alone are mid-toned to show on light and dark windows."""
    body = ""
    for k in range(count):
        x, y = polar(12, 12, 7.5, -90 + k * 360.0 / count)
        age = (i - k) % count
        if age == 0:
            body += circle(x, y, 2.7, "#3d7fc4")
        elif age <= 2:
            body += circle(x, y, 2.3, "#78aee0" if age == 1 else "#8fa9c2")
        else:
            body += circle(x, y, 2.0, "#8d98a4")
    return body


ANIMATION_SETS = [
    # name, frames, width, height, drawing
    ("update", 12, 96, 48, update_frame),
    ("compact", 12, 96, 48, compact_frame),
    ("download", 12, 96, 48, download_frame),
    ("search", 12, 96, 48, search_frame),
    ("busy", 8, 24, 24, busy_frame),
]


# ---------------------------------------------------------------- output

def write(target, text):
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


def main():
    icon_files = []
    for size, group in ((16, list_icons()), (16, tree_icons()), (16, sort_icons()),
                        (24, toolbar_icons()), (32, [("pelimond", program_icon())])):
        for name, body in group:
            write(os.path.join(ICONS, name + ".svg"), svg(size, body))
            icon_files.append(name + ".svg")

    frame_files = []
    for name, count, width, height, draw in ANIMATION_SETS:
        folder = os.path.join(ANIMATIONS, name)
        if os.path.isdir(folder):
            for old in os.listdir(folder):
                if old.startswith("frame_") and old.endswith(".svg"):
                    os.remove(os.path.join(folder, old))
        for i in range(count):
            frame = f"{name}/frame_{i:02d}.svg"
            write(os.path.join(ANIMATIONS, frame), svg(width, draw(i, count), height))
            frame_files.append(frame)

    qrc = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '<qresource prefix="/icons">']
    qrc += [f'    <file alias="{f}">icons/{f}</file>' for f in sorted(icon_files)]
    qrc += ['</qresource>', '<qresource prefix="/animations">']
    qrc += [f'    <file alias="{f}">animations/{f}</file>' for f in frame_files]
    qrc += ['</qresource>', '</RCC>', '']
    write(QRC, "\n".join(qrc))
    print(f"{len(icon_files)} icons, {len(frame_files)} animation frames")


if __name__ == "__main__":
    main()
