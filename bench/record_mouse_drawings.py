#!/usr/bin/env python3
"""Records real mouse drawings on the kanji pad for make bench-handwriting.

Run under an X server with a window manager (bench/record-mouse-drawings.sh
starts Xvfb and openbox): starts tolvo from a scratch copy of the program
folder, opens the pad with Ctrl+K and draws each kanji below on the 手書き
page with xdotool, stroke by stroke, in several orders. The pad's
recogniser writes what the canvas handed it (TOLVO_RECORD_DRAWINGS); the
last drawing of each kanji goes into the output file, one line per drawing:
kanji, how it was drawn, and its strokes in canvas pixels.
Usage: record_mouse_drawings.py PROGRAM_DIR OUTPUT [SCREENSHOT_DIR]"""
import os, random, shutil, subprocess, sys, tempfile, time

# Strokes in writing order, as polylines in a 100-unit box.
KANJI = {
    "山": "50,10 50,80|18,35 18,85 82,85|82,30 82,85",
    "森": "25,18 75,18|50,5 50,45|48,20 25,42|52,20 75,42|5,62 45,62|25,50 25,95|24,64 5,88|26,64 45,85"
          "|55,62 95,62|75,50 75,95|74,64 55,88|76,64 95,85",
    "川": "25,12 25,50 20,75 10,92|50,22 50,80|80,8 80,94",
    "口": "20,20 20,80|20,20 80,20 80,80|20,80 80,80",
    "日": "25,10 25,90|25,10 75,10 75,90|25,50 75,50|25,90 75,90",
    "木": "10,35 90,35|50,8 50,95|48,38 12,80|52,38 90,80",
    "田": "20,15 20,85|20,15 80,15 80,85|20,50 80,50|50,15 50,85|20,85 80,85",
    "十": "10,45 90,45|50,8 50,94",
    "人": "50,10 45,50 10,90|45,45 90,90",
    "大": "10,35 90,35|50,8 48,50 10,92|52,45 90,92",
    "上": "50,8 50,85|50,45 80,45|10,88 90,88",
    "中": "20,30 20,70|20,30 80,30 80,70|20,70 80,70|50,5 50,95",
    "本": "10,30 90,30|50,5 50,95|48,33 10,75|52,33 90,75|30,70 70,70",
    "目": "25,8 25,92|25,8 75,8 75,92|25,36 75,36|25,64 75,64|25,92 75,92",
    "林": "5,35 45,35|25,8 25,95|24,38 5,75|26,40 42,60|55,35 95,35|75,8 75,95|74,38 55,80|76,38 95,80",
    "火": "20,30 30,50|80,25 70,48|50,8 50,50 10,92|52,55 90,92",
}
SCREENSHOTS = {("山", "reversed order"), ("山", "backwards"), ("森", "shuffled"), ("森", "backwards")}


def parse(text):
    return [[tuple(map(float, p.split(","))) for p in s.split()] for s in text.split("|")]


def orders(strokes, rng):
    shuffled = strokes[:]
    while len(shuffled) > 1 and shuffled == strokes:
        rng.shuffle(shuffled)
    yield "in order", strokes
    yield "reversed order", strokes[::-1]
    yield "backwards", [s[::-1] for s in strokes]
    yield "shuffled", shuffled
    yield "shuffled, backwards", [s[::-1] for s in shuffled]


def xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def white_square(shot, side):
    """The top-left corner of the canvas: the first white square of `side` pixels."""
    with open(shot, "rb") as f:
        data = f.read()
    parts = data.split(maxsplit=4)
    w, h = int(parts[1]), int(parts[2])
    pixels = parts[4]
    white = lambda x, y: pixels[3 * (y * w + x):3 * (y * w + x) + 3] == b"\xff\xff\xff"
    for y in range(h - side):
        run = 0
        for x in range(w):
            run = run + 1 if white(x, y) else 0
            if run == side and all(white(x - side + 1, y + k) for k in range(side)):
                return x - side + 1, y
    raise SystemExit("the pad's canvas was not found on the screen")


def draw(stroke, at, size, rng):
    """One stroke with the mouse: small uneven steps along the polyline."""
    points = [(at[0] + x * size / 100, at[1] + y * size / 100) for x, y in stroke]
    cmd = ["mousemove", round(points[0][0]), round(points[0][1]), "mousedown", "1"]
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        steps = max(2, int(((x1 - x0) ** 2 + (y1 - y0) ** 2) ** 0.5 / rng.uniform(4, 9)))
        for k in range(1, steps + 1):
            x = x0 + (x1 - x0) * k / steps + rng.uniform(-1.2, 1.2)
            y = y0 + (y1 - y0) * k / steps + rng.uniform(-1.2, 1.2)
            cmd += ["mousemove", round(x), round(y), "sleep", "0.01"]
    cmd += ["mouseup", "1", "sleep", "0.15"]
    xdo(*cmd)


def main():
    program_dir, output = sys.argv[1], sys.argv[2]
    screenshots = sys.argv[3] if len(sys.argv) > 3 else None
    rng = random.Random(22)
    scratch = tempfile.mkdtemp()
    for name in os.listdir(program_dir):
        if name.startswith("tolvo") and not name.endswith(".ini"):
            shutil.copy(os.path.join(program_dir, name), scratch)
    record = os.path.join(scratch, "drawings.txt")
    wm = subprocess.Popen(["openbox"], stderr=subprocess.DEVNULL)
    time.sleep(1)
    env = dict(os.environ, TOLVO_RECORD_DRAWINGS=record)
    program = subprocess.Popen([os.path.join(scratch, "tolvo")], env=env, stderr=subprocess.DEVNULL)
    try:
        time.sleep(3)
        xdo("search", "--sync", "--name", "ヴェルモラ支援ソフト", "windowactivate", "--sync")
        xdo("key", "ctrl+k")
        time.sleep(2)
        shot = os.path.join(scratch, "screen.ppm")
        subprocess.run(["import", "-window", "root", "-depth", "8", shot], check=True)
        canvas = white_square(shot, 100)   # its top-left quarter, inside the guide lines
        lines = ["# kanji\thow it was drawn\tstrokes (x,y canvas pixels, strokes split by |), "
                 "recorded with bench/record-mouse-drawings.sh"]
        for kanji, text in KANJI.items():
            for how, strokes in orders(parse(text), rng):
                size = rng.uniform(130, 230)
                at = (canvas[0] + rng.uniform(10, 250 - size), canvas[1] + rng.uniform(10, 250 - size))
                for stroke in strokes:
                    draw(stroke, at, size, rng)
                time.sleep(0.4)
                with open(record, encoding="utf-8") as f:
                    last = f.read().splitlines()[-1]
                if last.count("|") + 1 != len(strokes):
                    raise SystemExit(f"{kanji} {how}: the pad saw {last.count('|') + 1} strokes")
                lines.append(f"{kanji}\t{how}\t{last}")
                if screenshots and (kanji, how) in SCREENSHOTS:
                    name = f"{kanji}-{how.replace(' ', '-').replace(',', '')}.png"
                    subprocess.run(["import", "-window", "root", os.path.join(screenshots, name)], check=True)
                xdo("key", "Return")   # the first candidate goes into a box and the canvas is cleared
                time.sleep(0.3)
        with open(output, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        print(f"{output}: {len(lines) - 1} drawings")
    finally:
        program.kill()
        wm.kill()
        shutil.rmtree(scratch, ignore_errors=True)


main()
