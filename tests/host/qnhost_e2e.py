"""End-to-end tests of the qnhost executable: run it as a user would and check what it prints
and writes against the plug-ins' pin tables and independently computed curves.

Usage: qnhost_e2e.py TestClassName   (QNHOST and QN_PLUGIN_DIR name the executable and the
plug-in folder)."""
import json
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

from shaper_reference import NAMES, PINS, curve, default_corners, f32

QNHOST = os.environ["QNHOST"]
PLUGINS = os.environ["QN_PLUGIN_DIR"]
SHAPERS = ["DK_1BPShaper", "DK_2BPShaper", "DK_3BPShaper"]


def plugin(name):
    return os.path.join(PLUGINS, name + ".so")


def run(*args, timeout=120):
    return subprocess.run([QNHOST, *args], capture_output=True, text=True, timeout=timeout)


def write_float_wav(path, samples, rate=44100):
    data = struct.pack("<%df" % len(samples), *samples)
    fmt = struct.pack("<HHIIHH", 3, 1, rate, rate * 4, 4, 32)
    with open(path, "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE")
        out.write(b"fmt " + struct.pack("<I", len(fmt)) + fmt)
        out.write(b"data" + struct.pack("<I", len(data)) + data)


def read_float_wav(path):
    """(rate, samples) of a mono 32-bit float WAV file."""
    with open(path, "rb") as wav:
        blob = wav.read()
    assert blob[:4] == b"RIFF" and blob[8:12] == b"WAVE"
    at, rate, samples = 12, None, None
    while at + 8 <= len(blob):
        tag, size = blob[at:at + 4], struct.unpack("<I", blob[at + 4:at + 8])[0]
        body = blob[at + 8:at + 8 + size]
        if tag == b"fmt ":
            kind, channels, rate = struct.unpack("<HHI", body[:8])
            assert kind in (3, 0xFFFE) and channels == 1, (kind, channels)
        elif tag == b"data":
            samples = list(struct.unpack("<%df" % (size // 4), body))
        at += 8 + size + (size & 1)
    return rate, samples


class InfoTests(unittest.TestCase):
    def test_properties_exports_and_pin_table(self):
        for name in SHAPERS:
            with self.subTest(plugin=name):
                result = run("info", plugin(name))
                self.assertEqual(result.returncode, 0, result.stderr)
                out = result.stdout
                self.assertRegex(out, r"(?m)^  name +%s$" % re.escape(NAMES[name]))
                self.assertRegex(out, r"(?m)^  identifier +%s$" % name)
                self.assertRegex(out, r"(?m)^  framework +2230$")
                self.assertRegex(out, r"(?m)^  exports +getModuleProperties, makeModule$")
                self.assertIn("Shaper with %s breakpoints" % name[3], out)
                rows = re.findall(r'(?m)^    (\d+) +"([^"]*)" +(\w+) +(\w+) +(?:"([^"]*)"|-)$', out)
                expected = [(str(i), pin, direction, "sampleStream", default or "")
                            for i, (pin, direction, default) in enumerate(PINS[name])]
                self.assertEqual(rows, expected)

    def test_several_plugins_at_once(self):
        result = run("info", *[plugin(name) for name in SHAPERS])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.count("  framework   2230"), 3)

    def test_extra_export_is_listed(self):
        result = run("info", plugin("qn_broken_extra_export"))
        self.assertRegex(result.stdout,
                         r"(?m)^  exports +fixtureBuildNumber, getModuleProperties, makeModule$")


class CurveTests(unittest.TestCase):
    def csv_points(self, *args):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "curve.csv")
            result = run("curve", *args, "--csv", path)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(path) as table:
                lines = table.read().splitlines()
        self.assertEqual(lines[0], "control_volts,output_volts")
        return [tuple(map(float, line.split(","))) for line in lines[1:]]

    def assert_curve(self, name, corners_bottom_up, points):
        self.assertEqual(len(points), 221)
        self.assertAlmostEqual(points[0][0], -0.5, places=5)
        self.assertAlmostEqual(points[-1][0], 10.5, places=5)
        for control_volts, output_volts in points:
            x = f32(control_volts / 10)
            want = curve(name, x, [v / 10 for v in corners_bottom_up]) * 10
            self.assertAlmostEqual(output_volts, want, delta=1e-5,
                                   msg="%s at %g V" % (name, control_volts))

    def test_default_corners_are_the_pins_default_texts(self):
        for name in SHAPERS:
            with self.subTest(plugin=name):
                self.assert_curve(name, default_corners(name), self.csv_points(plugin(name)))

    def test_corners_and_shapes(self):
        cases = [
            ("DK_1BPShaper", ["--corner", "10=10", "--corner", "5=0", "--corner", "0=10"],
             [10, 0, 10]),
            ("DK_1BPShaper", ["--shape", "fold"], [0, 10, 0]),
            ("DK_2BPShaper", ["--corner", "6.6=-2.5", "--corner", "#4=1"], [1, 3.3333, -2.5, 10]),
            ("DK_2BPShaper", ["--shape", "V"], [10, f32(10 / 3), f32(10 / 3), 10]),
            ("DK_3BPShaper", ["--shape", "identity"], [0, 2.5, 5, 7.5, 10]),
            ("DK_3BPShaper", ["--shape", "fold", "--corner", "5.0=4"], [0, 10, 4, 10, 0]),
        ]
        for name, args, corners in cases:
            with self.subTest(plugin=name, args=args):
                self.assert_curve(name, corners, self.csv_points(plugin(name), *args))

    def test_svg_is_xml_with_title_axes_and_corners(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "curve.svg")
            result = run("curve", plugin("DK_3BPShaper"), "--shape", "V", "--svg", path)
            self.assertEqual(result.returncode, 0, result.stderr)
            root = ET.parse(path).getroot()
        ns = {"s": "http://www.w3.org/2000/svg"}
        self.assertEqual(root.tag, "{http://www.w3.org/2000/svg}svg")
        self.assertEqual(root.find("s:title", ns).text, NAMES["DK_3BPShaper"])
        texts = [t.text for t in root.iter("{http://www.w3.org/2000/svg}text")]
        self.assertIn("control (V)", texts)
        self.assertIn("output (V)", texts)
        self.assertTrue({"0", "5", "10"} <= set(texts))
        self.assertEqual(len(root.findall(".//s:g[@class='corners']/s:circle", ns)), 5)
        points = root.find(".//s:polyline[@class='curve']", ns).get("points").split()
        self.assertEqual(len(points), 221)
        self.assertGreaterEqual(len(root.findall(".//s:g[@class='grid']/s:line", ns)), 20)

    def test_terminal_plot_without_output_file(self):
        result = run("curve", plugin("DK_1BPShaper"), "--shape", "V")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn(NAMES["DK_1BPShaper"], result.stdout)
        rows = [line for line in result.stdout.splitlines() if "|" in line]
        self.assertEqual(len(rows), 16)
        # A V: the curve touches the top at both ends and the bottom in the middle.
        top = rows[[r.split("|")[0].strip() for r in rows].index("10.0")]
        bottom = rows[[r.split("|")[0].strip() for r in rows].index("0.0")]
        self.assertIn("o", top.split("|")[1][:8])
        self.assertIn("o", bottom.split("|")[1][28:36])


class ProcessTests(unittest.TestCase):
    def test_wav_round_trip_matches_the_curve(self):
        control = [f32(-0.2 + 1.4 * i / 999) for i in range(1000)]
        with tempfile.TemporaryDirectory() as folder:
            source = os.path.join(folder, "control.wav")
            target = os.path.join(folder, "out.wav")
            write_float_wav(source, control, rate=48000)
            result = run("process", plugin("DK_2BPShaper"), "--in", "control=" + source,
                         "--in", "6.6=2", "--out", target, "--block", "100")
            self.assertEqual(result.returncode, 0, result.stderr)
            rate, output = read_float_wav(target)
            # Nothing left under a temporary name.
            self.assertEqual(sorted(os.listdir(folder)), ["control.wav", "out.wav"])
        self.assertEqual(rate, 48000)
        self.assertEqual(len(output), 1000)
        corners = [0.0, f32(0.33333), 0.2, 1.0]
        expected = [curve("DK_2BPShaper", x, corners) for x in control]
        self.assertEqual(output, expected)
        self.assertIn("1000 samples in 10 blocks, 10 process calls, 0 sleep requests",
                      result.stdout)

    def test_constant_inputs_let_the_module_sleep(self):
        with tempfile.TemporaryDirectory() as folder:
            target = os.path.join(folder, "out.wav")
            result = run("process", plugin("DK_1BPShaper"), "--in", "control=2.5",
                         "--out", target, "--seconds", "0.1", "--rate", "10000", "--block", "64")
            self.assertEqual(result.returncode, 0, result.stderr)
            rate, output = read_float_wav(target)
        self.assertEqual((rate, len(output)), (10000, 1000))
        self.assertEqual(set(output), {0.25})
        self.assertIn("1000 samples in 16 blocks, 1 process calls, 1 sleep requests",
                      result.stdout)


class ValidateTests(unittest.TestCase):
    CHECKS = ["exports", "module-properties", "make-module", "plug-record", "pin-descriptions",
              "open", "process-run", "process-in-place", "process-no-allocation",
              "finite-output", "plug-states", "sleep-countdown", "close", "cycles",
              "random-sequence", "separate-state"]

    def lines(self, result):
        return {tuple(line.split(None, 2)[:2]): line.split(None, 2)[2]
                for line in result.stdout.splitlines()[:-1]}

    def test_the_shapers_pass_everything(self):
        result = run("validate", *[plugin(name) for name in SHAPERS])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        lines = self.lines(result)
        self.assertEqual(sorted(lines), sorted((n, c) for n in SHAPERS for c in self.CHECKS))
        self.assertEqual(set(lines.values()), {"passed"})
        self.assertEqual(result.stdout.splitlines()[-1], "48 passed, 0 failed")

    def test_each_broken_fixture_fails_its_check(self):
        cases = [
            ("qn_broken_extra_export", "QN_BrokenExtraExport", "exports", "failed",
             "fixtureBuildNumber"),
            ("qn_broken_allocates_in_process", "QN_BrokenAllocates", "process-no-allocation",
             "failed", "heap calls"),
            ("qn_broken_short_countdown", "QN_BrokenCountdown", "sleep-countdown", "failed",
             "after 32 samples, expected after 64"),
            ("qn_broken_crashes_on_status", "QN_BrokenCrash", "plug-states", "crashed", ""),
        ]
        for library, label, check, outcome, reason in cases:
            with self.subTest(fixture=library):
                result = run("validate", plugin(library))
                self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
                lines = self.lines(result)
                self.assertTrue(lines[(label, check)].startswith(outcome), lines[(label, check)])
                self.assertIn(reason, lines[(label, check)])
                failed = sorted(c for (_, c), text in lines.items()
                                if not text.startswith(("passed", "skipped")))
                self.assertIn(check, failed)
                if outcome == "failed":
                    self.assertEqual(failed, [check])
                self.assertRegex(result.stdout.splitlines()[-1], r"^\d+ passed, [1-9]\d* failed$")

    def test_a_hang_is_cut_off_by_the_time_limit(self):
        result = run("validate", plugin("qn_broken_hangs_on_close"), "--only", "^close$",
                     "--timeout", "1")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout.splitlines(),
                         ["QN_BrokenHang        close                  failed: timed out after 1 s",
                          "0 passed, 1 failed"])

    def test_json_only_and_seed(self):
        result = run("validate", plugin("DK_1BPShaper"), plugin("qn_broken_extra_export"),
                     "--json", "--only", "^(exports|random-sequence)$", "--seed", "77")
        self.assertEqual(result.returncode, 1)
        report = json.loads(result.stdout)
        self.assertEqual(report["seed"], 77)
        self.assertEqual((report["passed"], report["failed"]), (3, 1))
        verdicts = {(p["module"], c["name"]): c["result"]
                    for p in report["plugins"] for c in p["checks"]}
        self.assertEqual(verdicts, {
            ("DK_1BPShaper", "exports"): "passed",
            ("DK_1BPShaper", "random-sequence"): "passed",
            ("QN_BrokenExtraExport", "exports"): "failed",
            ("QN_BrokenExtraExport", "random-sequence"): "passed"})


class BadInputTests(unittest.TestCase):
    def assert_one_line_error(self, args, fragment, folder=None):
        result = run(*args)
        self.assertNotEqual(result.returncode, 0, args)
        self.assertNotIn(result.returncode, (-6, -11, 134, 139), "crashed: %s" % args)
        lines = result.stderr.strip().splitlines()
        self.assertEqual(len(lines), 1, result.stderr)
        self.assertIn(fragment, lines[0])
        if folder is not None:
            leftovers = [f for f in os.listdir(folder) if "out" in f]
            self.assertEqual(leftovers, [], "a failed run left files behind")

    def test_bad_inputs(self):
        with tempfile.TemporaryDirectory() as folder:
            text_file = os.path.join(folder, "notes.txt")
            with open(text_file, "w") as notes:
                notes.write("not audio, not a library\n")
            fake_wav = os.path.join(folder, "fake.wav")
            with open(fake_wav, "w") as fake:
                fake.write("RIFF but not really")
            a = os.path.join(folder, "a.wav")
            b = os.path.join(folder, "b.wav")
            c = os.path.join(folder, "c.wav")
            write_float_wav(a, [0.1] * 100, rate=44100)
            write_float_wav(b, [0.2] * 100, rate=48000)
            write_float_wav(c, [0.3] * 90, rate=44100)
            out = os.path.join(folder, "out.wav")
            one = plugin("DK_1BPShaper")
            cases = [
                (["info", os.path.join(folder, "missing.so")], "no such file"),
                (["info", text_file], "cannot load"),
                (["info", plugin("qn_broken_describe_only")], "does not export makeModule"),
                (["info", plugin("qn_broken_null_make_module")], "makeModule(0, 1) answers null"),
                (["validate", os.path.join(folder, "missing.so")], "no such file"),
                (["curve", one, "--corner", "7=3"], 'has no pin "7"'),
                (["curve", one, "--corner", "5=abc"], '"abc" is not a number of volts'),
                (["curve", one, "--corner", "Output=3"], "is not a corner input"),
                (["process", one, "--in", "Sideways=" + a, "--out", out], 'no pin "Sideways"'),
                (["process", one, "--in", "10=5v", "--out", out],
                 "neither a number of volts nor an existing file"),
                (["process", one, "--in", "control=" + os.path.join(folder, "gone.wav"),
                  "--out", out], "neither a number of volts nor an existing file"),
                (["process", one, "--in", "control=" + fake_wav, "--out", out],
                 "not a readable audio file"),
                (["process", one, "--in", "control=" + a, "--in", "5=" + b, "--out", out],
                 "Hz"),
                (["process", one, "--in", "control=" + a, "--in", "5=" + c, "--out", out],
                 "has 90 samples"),
                (["process", one, "--out", out], "--seconds"),
                (["process", one, "--in", "control=" + a,
                  "--out", os.path.join(folder, "no", "such", "folder.wav")], "cannot write"),
                (["frobnicate"], "see --help"),
            ]
            for args, fragment in cases:
                with self.subTest(args=args[:3]):
                    self.assert_one_line_error(args, fragment, folder)

    def test_help_on_every_subcommand(self):
        for command in ["info", "curve", "process", "validate", "bench", "demo"]:
            with self.subTest(command=command):
                result = run(command, "--help")
                self.assertEqual(result.returncode, 0)
                self.assertIn(command, result.stdout)
                self.assertIn("--help", result.stdout)


class DemoTests(unittest.TestCase):
    def test_demo_writes_plots_and_sounds(self):
        with tempfile.TemporaryDirectory() as folder:
            result = run("demo", "--plugins", PLUGINS, "--out", folder)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            files = sorted(os.listdir(folder))
            for name in SHAPERS:
                for shape in ["default", "identity", "V", "fold"]:
                    ET.parse(os.path.join(folder, "%s-%s.svg" % (name, shape)))
                for shape in ["identity", "fold"]:
                    self.assertIn("%s-%s-sine.wav" % (name, shape), files)
            self.assertEqual(len(files), 12 + 7)
            _, control = read_float_wav(os.path.join(folder, "control-sine.wav"))
            _, folded = read_float_wav(os.path.join(folder, "DK_3BPShaper-fold-sine.wav"))
        self.assertEqual(folded, [curve("DK_3BPShaper", x, [0, 1, 0, 1, 0]) for x in control])
        self.assertAlmostEqual(min(control), 0.0, places=6)
        self.assertAlmostEqual(max(control), 1.0, places=6)
        self.assertIn("48 passed, 0 failed", result.stdout)
        self.assertIn("Everything went to " + os.path.realpath(folder), result.stdout)

    def test_bench_reports_cost_and_sleeping_instances(self):
        result = run("bench", plugin("DK_2BPShaper"), "--seconds", "0.05", "--instances", "8",
                     "--block", "128")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertRegex(result.stdout, r"[\d.]+ ns per sample, [\d.]+ million samples per second")
        self.assertIn("(6 instances asleep)", result.stdout)
        self.assertEqual(result.stdout.count("% of one core"), 2)


if __name__ == "__main__":
    suite = unittest.defaultTestLoader.loadTestsFromName(sys.argv[1], sys.modules[__name__])
    outcome = unittest.TextTestRunner(verbosity=2).run(suite)
    sys.exit(0 if outcome.wasSuccessful() else 1)
