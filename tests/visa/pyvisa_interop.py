"""PyVISA's pure-Python back-end queries voltora-sim over VXI-11 and over the
raw socket. Run with Debian's interpreter (/usr/bin/python3), where
python3-pyvisa and python3-pyvisa-py are installed.

Usage: pyvisa_interop.py PATH-TO-VOLTORA-SIM
"""

import subprocess
import sys

try:
    import pyvisa
except ImportError as error:
    sys.exit("FAILED: PyVISA is missing (install python3-pyvisa-py): %s" % error)


def main():
    server = subprocess.Popen(
        [sys.argv[1], "--socket-port", "0", "--vxi11-port", "0"],
        stdout=subprocess.PIPE, text=True)
    try:
        ready = server.stdout.readline()
        if not ready.startswith("ready"):
            sys.exit("FAILED: voltora-sim did not start (is rpcbind running?): %r" % ready)
        ports = dict(field.split("=") for field in ready.split()[1:])
        try:
            rm = pyvisa.ResourceManager("@py")
        except Exception as error:  # pyvisa-py missing shows up here
            sys.exit("FAILED: PyVISA's pure-Python back-end is missing "
                     "(install python3-pyvisa-py): %s" % error)
        resources = ["TCPIP0::127.0.0.1::inst0::INSTR",
                     "TCPIP0::127.0.0.1::%s::SOCKET" % ports["socket"]]
        failures = 0
        for resource in resources:
            instrument = rm.open_resource(resource)
            instrument.timeout = 5000
            instrument.read_termination = "\n"
            instrument.write_termination = "\n"
            identity = instrument.query("IDN-ZOBR-PRI?")
            reading = instrument.query("DATA:LAST?")
            instrument.close()
            ok = identity.startswith("ZAN,") and "VDC" in reading
            print("%s: %r %r %s" % (resource, identity, reading, "ok" if ok else "WRONG"))
            failures += 0 if ok else 1
        rm.close()
        print("%d passed, %d failed" % (len(resources) - failures, failures))
        return 1 if failures else 0
    finally:
        server.terminate()
        server.wait(timeout=10)


if __name__ == "__main__":
    sys.exit(main())
