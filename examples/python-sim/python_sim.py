#!/usr/bin/env python3
"""A simulation in Python: lights the lower lamp of every push button that is
pushed in, on every panel, by name; 20 times a second for SECONDS seconds
(default: until interrupted).

    python3 python_sim.py [SECONDS]
"""
import os
import signal
import sys
import time

try:
    import tarnel
except ImportError:  # not installed: the module of the source tree
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "client", "python"))
    import tarnel


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else None
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))  # leave through `with`: detached
    # Each button's position and, where it has one, its lower lamp, by name.
    pairs = []
    for field in tarnel.fields():
        if field.station_uses and ".button" in field.id and field.role == "position":
            try:
                pairs.append((field, tarnel.find(field.id.replace(".position", ".lower_lamp"))))
            except tarnel.TarnelError:
                pass  # a single-lamp button
    with tarnel.attach() as sim:
        print("python-sim: attached, %d buttons" % len(pairs), flush=True)
        end = time.monotonic() + seconds if seconds else None
        try:
            while end is None or time.monotonic() < end:
                for position, lamp in pairs:
                    sim.set(lamp, 1 if sim[position] else 0)
                time.sleep(0.05)
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
