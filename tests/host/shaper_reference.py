"""The shapers' transfer curves, computed here from their definition (single-precision
positions, double-precision interpolation, one rounding), independently of the plug-ins."""
import struct


def f32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


LOW = f32(-0.00001)
HIGH = f32(1.00001)

# Per plug-in: corner positions from the bottom up and the segment width.
GEOMETRY = {
    "DK_1BPShaper": ([0.0, 0.5, 1.0], 0.5),
    "DK_2BPShaper": ([0.0, f32(1 / 3), f32(2 / 3), 1.0], f32(1 / 3)),
    "DK_3BPShaper": ([0.0, 0.25, 0.5, 0.75, 1.0], 0.25),
}

# Pin tables: (name, direction, default text or None).
PINS = {
    "DK_1BPShaper": [("Control 0-10v", "input", "0"), ("10", "input", "10"),
                     ("5", "input", "5"), ("0", "input", "0"), ("Output", "output", None)],
    "DK_2BPShaper": [("Control 0-10v", "input", "0"), ("10", "input", "10"),
                     ("6.6", "input", "6.6666"), ("3.3", "input", "3.3333"),
                     ("0", "input", "0"), ("Output", "output", None)],
    "DK_3BPShaper": [("Control 0-10v", "input", "0"), ("10", "input", "10"),
                     ("7.5", "input", "7.5"), ("5.0", "input", "5.0"), ("2.5", "input", "2.5"),
                     ("0", "input", "0"), ("Output", "output", None)],
}

NAMES = {"DK_1BPShaper": "ZE 1ZADididu", "DK_2BPShaper": "VA 2DOZarivi",
         "DK_3BPShaper": "RO 3ZIRirido"}


def default_corners(plugin):
    """Corner volts from the bottom corner up, as the pins' default texts give them."""
    corners = [float(default) for _, direction, default in PINS[plugin][1:]
               if direction == "input"]
    return list(reversed(corners))


def curve(plugin, x, corners):
    """Output sample for control sample x (host scale) and corner samples bottom-up."""
    positions, width = GEOMETRY[plugin]
    x = f32(x)
    ys = [f32(y) for y in corners]
    if x < LOW:
        return ys[0]
    if x >= HIGH:
        return ys[-1]
    segment = 0
    for k in range(1, len(positions) - 1):
        if x >= positions[k]:
            segment = k
    t = f32((x - positions[segment]) / width)
    return f32(ys[segment] + (ys[segment + 1] - ys[segment]) * t)
