#!/usr/bin/env python3
# Runs each command line through two builds of kelvaro-cli against a fresh
# kelvaro-sim and compares what the simulated programmer received and the exit
# codes: tools/compare-transcripts.py OLD/bin NEW/bin tests/data
import os, subprocess, sys, tempfile
base, new, data = sys.argv[1], sys.argv[2], sys.argv[3]
sim = os.path.join(new, "kelvaro-sim")
img = os.path.join(data, "images")
cases = [
    ["detect"], ["erase"], ["fuses", "read"], ["fuses", "write", "--high", "D8"],
    ["fuses", "recover"], ["lock", "write", "FC"],
    ["calibration", "read"], ["calibration", "write", "--slot", "1", "--to", "eeprom", "--address", "100"],
    ["calibration", "write", "--slot", "2", "--to", "flash", "--address", "8000"],
    ["write-flash", img + "/blink_m8.hex"], ["write-flash", img + "/blink_m8.hex", "--verify"],
    ["write-flash", img + "/blink_m8.bin", "--no-erase"],
    ["verify-flash", img + "/blink_m8.hex"], ["read-flash", "OUT.bin"],
    ["write-eeprom", img + "/blink_m8.eep", "--verify"], ["verify-eeprom", img + "/blink_m8.eep"],
    ["read-eeprom", "OUT.eep"],
    ["program", img + "/fuses_m8.elf"], ["program", img + "/fuses_m8.elf", "--verify"],
    ["program", img + "/fuses_m8.elf", "--fuses", "--lock", "--verify", "--erase"],
    ["program", img + "/fuses_m8.elf", "--erase"],
]
def run(bindir, args, faults):
    work = tempfile.mkdtemp()
    p = subprocess.Popen([sim], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    greet = p.stdout.readline().strip()
    pts = greet.split(" on ")[1]
    for f in faults:
        p.stdin.write("fault " + f + "\n"); p.stdin.flush(); p.stdout.readline()
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=work + "/c", XDG_DATA_HOME=work + "/d", LANG="zh_CN.UTF-8")
    a = [x.replace("OUT", work + "/out") for x in args]
    r = subprocess.run([os.path.join(bindir, "kelvaro-cli"), "--port", pts, "--record", "sqlite:" + work + "/r.sqlite"] + a,
                       env=env, capture_output=True, text=True, timeout=120)
    p.stdin.write("transcript\n"); p.stdin.flush()
    tx = p.stdout.readline().strip()
    p.stdin.write("quit\n"); p.stdin.flush(); p.wait(10)
    return tx, r.returncode, r.stderr
same = 0
for faults in ([], ["silent 1"]):
    for c in cases:
        tb, cb, eb = run(base, c, faults)
        tn, cn, en = run(new, c, faults)
        ok = tb == tn and cb == cn
        same += ok
        print(("same " if ok else "DIFF ") + " ".join(faults + c).replace(img + "/", ""), len(tb) // 2, "bytes, exit", cb, cn)
        if not ok:
            print("  base:", bytes.fromhex(tb)[:200]); print("  new: ", bytes.fromhex(tn)[:200])
            print("  base err:", eb[-300:]); print("  new err: ", en[-300:])
print(same, "of", 2 * len(cases), "identical")
