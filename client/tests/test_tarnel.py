"""The Python module and the Python example, against a segment of the test's
own and against the running station on a private X server."""
import mmap
import os
import shutil
import subprocess
import sys
import time

import pytest

import tarnel

SOURCE = os.environ.get("TARNEL_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
EXAMPLE = os.path.join(SOURCE, "examples", "python-sim", "python_sim.py")


def until(condition, seconds=10.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.02)
    return condition()


@pytest.fixture
def prefix(monkeypatch):
    name = "tarnelpytest_%d_%d_" % (os.getpid(), time.monotonic_ns() & 0xFFFFFF)
    monkeypatch.setenv("TARNEL_SHM_PREFIX", name)
    yield name
    try:
        os.unlink("/dev/shm/%sGenericSimSharedMemory" % name)
    except FileNotFoundError:
        pass


def test_fields_by_name_refusals_and_changes(prefix):
    with tarnel.attach() as sim:
        assert sim["L TK PUMP 1 upper lamp FAULT"] == 0
        sim.set("fuel.button0.upper_lamp", 1)
        sim["rmp.vhf1_active_frequency"] = 118.7
        assert sim["fuel.button0.upper_lamp"] == 1
        assert abs(sim["rmp.vhf1_active_frequency"] - 118.7) < 1e-4
        cases = [("fuel.button0.position", 1, tarnel.E_STATION_FIELD),
                 ("fuel.button0.upper_lamp", 300, tarnel.E_RANGE),
                 ("PUMP 2 position", 1, tarnel.E_AMBIGUOUS),
                 ("no such field", 1, tarnel.E_NOT_FOUND)]
        for key, value, code in cases:
            with pytest.raises(tarnel.TarnelError) as refused:
                sim.set(key, value)
            assert refused.value.code == code and refused.value.text, key
        # The station's side, written as the station would: a change since the last call.
        button = tarnel.find("fuel.button0.position")
        with open("/dev/shm/%sGenericSimSharedMemory" % prefix, "r+b") as f, mmap.mmap(f.fileno(), 0) as area:
            area[button.offset] = 1
        assert sim.changes() == [("fuel.button0.position", 0, 1)]
        assert sim.changes() == []
        assert sim.station(0) == {"alive": False, "running": False, "iterations": 0}
    assert not os.path.exists("/dev/shm/%sGenericSimSharedMemory" % prefix)  # the last user removed it


# The X programs are not built with the sanitizers' run-time.
PLAIN = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}


def test_the_c_example_lights_the_lower_lamp_of_a_pushed_button(prefix):
    with tarnel.attach() as sim:
        with open("/dev/shm/%sGenericSimSharedMemory" % prefix, "r+b") as f, mmap.mmap(f.fileno(), 0) as area:
            area[tarnel.find("air.button1.position").offset] = 1  # PACK 1, pushed in by the station
        subprocess.run([os.path.join(os.environ["TARNEL_BIN_DIR"], "tarnel-c-sim"), "1"], check=True, timeout=30)
        assert sim["PACK 1 lower lamp OFF"] == 1
        assert sim["PACK 2 lower lamp OFF"] == 0


class XServer:
    def __init__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                                         "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL,
                                        env=PLAIN)
        os.close(write)
        with os.fdopen(read) as numbers:
            self.display = ":" + numbers.readline().strip()

    def run(self, *command):
        return subprocess.run(command, env=dict(PLAIN, DISPLAY=self.display), capture_output=True,
                              text=True, timeout=30).stdout

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


@pytest.mark.skipif(not (shutil.which("Xvfb") and shutil.which("xdotool")), reason="Xvfb or xdotool missing")
def test_the_example_lights_the_lamp_of_a_button_clicked_on_the_running_station(prefix, tmp_path):
    bin_dir = os.environ["TARNEL_BIN_DIR"]
    server = XServer()
    log = open(tmp_path / "tarnel.log", "w")
    station = subprocess.Popen([os.path.join(bin_dir, "tarnel"), "--autostart", "--ini",
                                os.path.join(bin_dir, "Tarnel.ini")],
                               env=dict(os.environ, DISPLAY=server.display, SDL_VIDEODRIVER="x11"),
                               stdout=log, stderr=subprocess.STDOUT)
    example = None
    try:
        window = []
        assert until(lambda: window.append(server.run("xdotool", "search", "--name", "QX-P-0077").split()) or
                     window[-1] or station.poll() is not None, 20), "no station window"
        assert station.poll() is None, open(tmp_path / "tarnel.log").read()
        server.run("xdotool", "windowmove", "--sync", window[-1][0], "0", "0")
        example = subprocess.Popen([sys.executable, EXAMPLE, "60"], stdout=subprocess.PIPE, text=True)
        assert "attached" in example.stdout.readline()
        with tarnel.attach() as sim:
            assert until(lambda: sim.station(100)["running"], 20), "the station's loop does not run"
            assert sim["L TK PUMP 1 lower lamp OFF"] == 0
            # L TK PUMP 1 (fuel button 0) sits at picture (943, 475): client (352, 473).
            for _ in range(5):
                server.run("xdotool", "mousemove", "--sync", "362", "483", "click", "1")
                if until(lambda: sim["fuel.button0.position"] == 1, 3):
                    break
            assert sim["fuel.button0.position"] == 1, "the click did not push the button in"
            assert until(lambda: sim["L TK PUMP 1 lower lamp OFF"] == 1, 5), "the example did not light the lamp"
            assert sim["fuel.button1.lower_lamp"] == 0  # PUMP 2 stays out
    finally:
        if example is not None:
            example.terminate()
            example.wait(10)
        station.terminate()
        station.wait(20)
        server.stop()
        log.close()
