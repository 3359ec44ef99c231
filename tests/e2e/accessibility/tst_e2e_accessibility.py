#!/usr/bin/python3
"""TQ820 as a screen reader meets it: the program and tq820-sim as separate
processes, read through the AT-SPI accessibility tree with pyatspi.

Run inside a D-Bus session on an X server, as CTest does:
  dbus-run-session -- xvfb-run -a /usr/bin/python3 tst_e2e_accessibility.py \\
      --program build/tq820 --sim build/tq820-sim
"""

import argparse
from decimal import ROUND_DOWN, Decimal
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import warnings

import pyatspi
from gi.repository import GLib

ARGS = None
COM = 61
WAIT_S = 20  # generous: the machine is shared and loaded

BOTH_CHANNELS = "Urządzenia: TQ-232, TQ-264. "

# The tiles by caption, with the panel reading each shows and its format.
TILES = [
    ("Temperatura", "temperature", "{:.1f} °C"),
    ("Wilgotność względna", "humidity", "{:.1f} %"),
    ("Ciśnienie", "pressure", "{:.1f} hPa"),
    ("Prędkość", "speed", "{:.1f} m/s"),
    ("Kierunek", "direction", "{:.0f} °"),
]

# Readings pinned on the panel, so that they hold still while being compared.
PINNED = {
    "temperature": "-5.3",
    "humidity": "45.3",
    "pressure": "1013.2",
    "speed": "3.4",
    "direction": "270",
}


def shown_as_tile(quantity, value, fmt):
    """A panel reading as its tile writes it."""
    if quantity == "temperature":
        # Truncated toward zero to tenths, on the decimal value.
        value = float(Decimal(repr(value)).quantize(Decimal("0.1"), rounding=ROUND_DOWN))
    return fmt.format(value)


BEAUFORT_NAMES = ["cisza", "powiew", "słaby wiatr", "łagodny wiatr", "umiarkowany wiatr",
                  "dość silny wiatr", "silny wiatr", "bardzo silny wiatr", "sztorm", "silny sztorm",
                  "bardzo silny sztorm", "gwałtowny sztorm", "huragan"]


def derived(readings):
    """The derived values of the readings, worked out here on their own: the
    dew point (Magnus form, WMO-No. 8), the wind chill (JAG/TI 2001) and the
    Beaufort number (WMO limits)."""
    t, rh, v = readings["temperature"], readings["humidity"], readings["speed"]
    gamma = math.log(rh / 100) + 17.62 * t / (243.12 + t)
    dew = 243.12 * gamma / (17.62 - gamma)
    kmh = v * 3.6
    chill = t if t > 10 or kmh <= 4.8 else (
        13.12 + 0.6215 * t - 11.37 * kmh ** 0.16 + 0.3965 * t * kmh ** 0.16)
    limits = (0.3, 1.6, 3.4, 5.5, 8.0, 10.8, 13.9, 17.2, 20.8, 24.5, 28.5, 32.7)
    force = sum(1 for limit in limits if round(v, 1) >= limit)
    return {"dew": shown_as_tile("temperature", dew, "{:.1f} °C"),
            "chill": shown_as_tile("temperature", chill, "{:.1f} °C"),
            "force": force, "force_name": BEAUFORT_NAMES[force]}


def described_tiles(readings, shown):
    """What the tiles give as their descriptions: the reading, then the derived
    values of the temperature and wind speed tiles."""
    d = derived(readings)
    described = dict(shown)
    described["Temperatura"] += f". Punkt rosy: {d['dew']}. Temperatura odczuwalna: {d['chill']}"
    described["Prędkość"] += f". Skala Beauforta: {d['force']} ({d['force_name']})"
    return described


class Simulator:
    def __init__(self, config):
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        self.process = subprocess.Popen(
            [ARGS.sim, "--com", str(COM), "--fast"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            env=env, text=True, encoding="utf-8")
        ready = self.process.stdout.readline()
        if not ready.startswith(f"COM{COM} -> "):
            raise RuntimeError(f"the simulator did not start: {ready!r}")

    def command(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().strip()
        if not answer.startswith("ok"):
            raise RuntimeError(f"{line!r} answered {answer!r}")
        return answer

    def readings(self):
        state = self.command("state")
        return {name: float(re.search(rf"\b{name}=(-?[0-9.]+)", state).group(1))
                for _, name, _ in TILES}

    def stop(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write("quit\n")
                self.process.stdin.close()
            except OSError:
                pass
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()


def find_application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "TQ820":
            return app
    return None


def descendants(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def fresh(acc):
    """acc with what it reports asked again, not taken from the client's cache."""
    acc.clear_cache()
    return acc


class AccessibilityTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="tq820-a11y.")
        config = os.path.join(self.work, "config")
        os.makedirs(os.path.join(config, "Velmor"))
        with open(os.path.join(config, "Velmor", "TQ820v1.0.reg"), "w", newline="") as reg:
            reg.write("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Velmor\\TQ820v1.0]\r\n"
                      f'"PORT_NR"=dword:{COM:08x}\r\n')
        self.sim = Simulator(config)
        for quantity, value in PINNED.items():
            self.sim.command(f"value {quantity} {value}")
        # The accessibility bus is started on the first request; the program
        # joins it as soon as it is there.
        pyatspi.Registry.getDesktop(0)
        env = dict(os.environ, XDG_CONFIG_HOME=config,
                   XDG_CACHE_HOME=os.path.join(self.work, "cache"),
                   XDG_DATA_HOME=os.path.join(self.work, "data"),
                   QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        env.pop("TQ820_SCREENSHOT_FILE", None)
        self.program = subprocess.Popen([ARGS.program], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.app = self.wait_for(find_application, "the program in the accessibility tree")

    def tearDown(self):
        if self.program.poll() is None:
            self.program.send_signal(signal.SIGTERM)
            try:
                self.program.wait(10)
            except subprocess.TimeoutExpired:
                self.program.kill()
                self.program.wait()
        self.sim.stop()
        shutil.rmtree(self.work, ignore_errors=True)

    def wait_for(self, probe, what):
        deadline = time.monotonic() + WAIT_S
        while True:
            self.assertIsNone(self.program.poll(), "the program ended")
            result = probe()
            if result:
                return result
            if time.monotonic() > deadline:
                self.fail(f"no {what} within {WAIT_S} s")
            time.sleep(0.05)

    def wait_for_quietly(self, probe):
        """Like wait_for, but lets the caller report what it saw."""
        deadline = time.monotonic() + WAIT_S
        while time.monotonic() < deadline:
            if probe():
                return True
            time.sleep(0.05)
        return False

    def tiles(self):
        """The five tiles by caption, once all of them are in the tree."""
        def probe():
            found = {acc.name: acc for acc in descendants(fresh(self.app))
                     if acc.getRole() == pyatspi.ROLE_LABEL}
            return found if all(caption in found for caption, _, _ in TILES) else None
        return self.wait_for(probe, "five tiles")

    def status_line(self):
        def probe():
            for acc in descendants(fresh(self.app)):
                if acc.name == "Wiersz stanu":
                    return acc
            return None
        return self.wait_for(probe, "status line")

    def test_tiles_and_status_line_are_read(self):
        status = self.status_line()
        self.assertEqual(status.getRole(), pyatspi.ROLE_TEXT)
        self.wait_for(lambda: fresh(status).queryText().getText(0, -1) == BOTH_CHANNELS,
                      f"status {BOTH_CHANNELS!r}")

        tiles = self.tiles()
        readings = self.sim.readings()
        expected = {caption: shown_as_tile(name, readings[name], fmt)
                    for caption, name, fmt in TILES}
        self.assertEqual(expected["Temperatura"], "-5.3 °C")
        self.assertEqual(expected["Kierunek"], "270 °")
        expected = described_tiles(readings, expected)
        self.assertEqual(expected["Temperatura"],
                         "-5.3 °C. Punkt rosy: -15.3 °C. Temperatura odczuwalna: -10.2 °C")
        self.assertEqual(expected["Prędkość"], "3.4 m/s. Skala Beauforta: 3 (łagodny wiatr)")

        def all_shown():
            return all(fresh(tiles[c]).description == text for c, text in expected.items())
        if not self.wait_for_quietly(all_shown):
            shown = {c: fresh(tiles[c]).description for c in expected}
            self.assertEqual(shown, expected)
        # Every tile can be found on the screen.
        for caption, tile in tiles.items():
            extents = tile.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            self.assertGreater(extents.width, 50, caption)
            self.assertGreater(extents.height, 30, caption)

    def test_changes_are_reported_but_blinking_is_not(self):
        tile = self.tiles()["Wilgotność względna"]
        self.wait_for(lambda: fresh(tile).description == "45.3 %", "humidity 45.3 %")
        events = []

        def on_description(event):
            if event.source == tile:
                events.append(event.type)

        pyatspi.Registry.registerEventListener(on_description,
                                               "object:property-change:accessible-description")
        try:
            # A new reading is reported. The program hears of a new listener
            # a moment after it registers: until then, change the reading again.
            attempts = []

            def reported():
                if events:
                    return True
                if not attempts or time.monotonic() - attempts[-1] > 1.5:
                    self.sim.command(f"value humidity {50.0 - len(attempts) % 2 * 0.1:.1f}")
                    attempts.append(time.monotonic())
                return False
            self.run_loop_until(reported, what="a new humidity reported")
            self.run_loop_until(lambda: fresh(tile).description == "50.0 %",
                                before=lambda: self.sim.command("value humidity 50.0"),
                                what="humidity 50.0 %")

            # A reading in error blinks: the blank phase shows nothing, but
            # the phases, twice a second, are not announced.
            events.clear()
            phases = []

            def watch_blinking():
                shown = fresh(tile).description
                if not phases or phases[-1] != shown:
                    phases.append(shown)
                return len(phases) >= 5
            self.run_loop_until(watch_blinking, before=lambda: self.sim.command("fault humidity on"),
                                what="blinking humidity")
            self.assertEqual(set(phases[1:]), {"", "50.0 %"})
            self.assertEqual(events, [])

            self.run_loop_until(lambda: events and fresh(tile).description == "55.5 %",
                                before=lambda: self.sim.command("value humidity 55.5"),
                                what="the next humidity reported")
        finally:
            pyatspi.Registry.deregisterEventListener(on_description,
                                                     "object:property-change:accessible-description")

    def find(self, role, name=None, prefix=None):
        for acc in descendants(fresh(self.app)):
            if acc.getRole() != role:
                continue
            if (name is None or acc.name == name) and (prefix is None or acc.name.startswith(prefix)):
                return acc
        return None

    def test_chart_readout_and_table_are_read(self):
        self.tiles()
        item = self.wait_for(lambda: self.find(pyatspi.ROLE_MENU_ITEM, "Wykresy"),
                             "the menu item Wykresy")
        action = item.queryAction()
        action.doAction(0)
        plot = self.wait_for(
            lambda: next((a for a in descendants(fresh(self.app)) if a.name == "Wykresy pomiarów"), None),
            "the plots")
        d = derived(self.sim.readings())
        # Without a cursor the readout tells the latest reading, as the
        # readings of the running link arrive.
        wanted = ["temperatura -5.3 °C", f"punkt rosy {d['dew']}", f"temperatura odczuwalna {d['chill']}",
                  "wilgotność 45.3 %", "ciśnienie 1013.2 hPa", "prędkość wiatru 3.4 m/s",
                  f"{d['force']} w skali Beauforta", "kierunek 270 °"]
        if not self.wait_for_quietly(lambda: all(w in fresh(plot).description for w in wanted)):
            self.assertEqual(fresh(plot).description, ", ".join(wanted))
        readout = self.find(pyatspi.ROLE_LABEL, prefix=fresh(plot).description[:10])
        self.assertIsNotNone(readout, "the readout line")

        table = self.wait_for(lambda: self.find(pyatspi.ROLE_TABLE, "Tabela pomiarów"), "the table")
        cells = self.wait_for(lambda: fresh(table).queryTable() if fresh(table).queryTable().nRows > 0
                              else None, "rows in the table")
        self.assertEqual(cells.getColumnDescription(1), "Temperatura °C")
        self.assertEqual(cells.getColumnDescription(3), "Wilgotność %")
        self.assertEqual(cells.getAccessibleAt(0, 1).name, "-5.3")
        self.assertEqual(cells.getAccessibleAt(0, 3).name, "45.3")
        days = self.wait_for(lambda: self.find(pyatspi.ROLE_TABLE, "Podsumowanie dni"), "the day table")
        self.assertEqual(days.queryTable().getColumnDescription(0), "Dzień")

    def run_loop_until(self, done, before=None, what=""):
        """Runs the client's event loop (which delivers events) until done()."""
        outcome = {}
        deadline = time.monotonic() + WAIT_S

        def tick():
            if done():
                outcome["done"] = True
            elif time.monotonic() > deadline or self.program.poll() is not None:
                outcome["done"] = False
            else:
                return True
            pyatspi.Registry.stop()
            return False

        def start():
            if before is not None:
                before()
            GLib.timeout_add(50, tick)
            return False

        GLib.idle_add(start)
        pyatspi.Registry.start()
        self.assertTrue(outcome.get("done"), f"no {what} within {WAIT_S} s")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--sim", required=True)
    ARGS, rest = parser.parse_known_args()
    # pyatspi's own use of deprecated calls is not this test's business.
    warnings.filterwarnings("ignore", category=DeprecationWarning)
    if not os.environ.get("DISPLAY") or not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        sys.exit("needs an X display and a D-Bus session (dbus-run-session -- xvfb-run -a ...)")
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
