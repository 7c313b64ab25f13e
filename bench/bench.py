#!/usr/bin/env python3
"""Generates synthetic but realistic FTN worlds and times whole runs of the
generator over them.

    bench/bench.py generate DIR ITEMS     write one world of about ITEMS items
    bench/bench.py run BINARY [SIZES...]  time runs at each size (default
                                          1000 4000 16000 64000)
    bench/bench.py real BINARY NODELIST   time a run with one Spokeway line for
                                          every net the nodelist lists
    bench/bench.py check BINARY [NODELIST]
                                          fail unless the 64,000-item run takes at
                                          most 5 times the 16,000-item run and under
                                          a second, a run stays under 64 MB, and
                                          (given a nodelist) the real run under a second

A world has zones, regions, nets, hubs and nodes in the FTN nodelist format,
a configuration with one Spokeway line per net, a route file with wildcard
rules, a trust file and a destination with markers.
"""

import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time

NODES_PER_HUB = 11
HUBS_PER_NET = 4
NETS_PER_REGION = 8
REGIONS_PER_ZONE = 10


def generate(directory, items, seed=1):
    rng = random.Random(seed)
    # Every net gives its host, its hubs and their nodes: about 50 items.
    per_net = 1 + HUBS_PER_NET * (1 + NODES_PER_HUB) + 3
    nets_wanted = max(1, items // per_net)
    os.makedirs(directory, exist_ok=True)

    nodelist = [";A Synthetic Nodelist for Friday, January 1, 1999 -- Day number 001 : 00000"]
    nets = []
    zone = 0
    net_number = 100
    while len(nets) < nets_wanted:
        zone += 1
        nodelist.append(f"Zone,{zone},Zone_{zone},Somewhere,Coordinator,000-{zone},9600,CM")
        for independent in range(1, 4):
            nodelist.append(f",{independent},Zone_Node,Somewhere,Sysop,000-0,9600")
        for region in range(REGIONS_PER_ZONE):
            region_number = zone * 10 + region
            nodelist.append(f"Region,{region_number},Region_{region_number},Somewhere,RC,000-0,9600,CM")
            nodelist.append(f",{rng.randint(1, 99)},Independent,Somewhere,Sysop,000-0,9600")
            for _ in range(NETS_PER_REGION):
                if len(nets) >= nets_wanted:
                    break
                net_number += 1
                nets.append((zone, net_number))
                nodelist.append(f"Host,{net_number},Net_{net_number},Somewhere,NC,000-0,9600,CM")
                node = 1
                for _ in range(3):  # nodes listed before the first hub
                    nodelist.append(f",{node},Node_{node},Somewhere,Sysop,000-0,9600,CM")
                    node += 1
                for hub in range(1, HUBS_PER_NET + 1):
                    hub_number = hub * 100
                    nodelist.append(f"Hub,{hub_number},Hub_{hub_number},Somewhere,Hub,000-0,9600,CM")
                    for k in range(1, NODES_PER_HUB + 1):
                        keyword = rng.choice(["", "", "", "", "Pvt", "Hold", "Down"])
                        nodelist.append(f"{keyword},{hub_number + k},Node,Somewhere,Sysop,000-0,9600")
            if len(nets) >= nets_wanted:
                break
    with open(os.path.join(directory, "nodelist.001"), "w", newline="\r\n") as out:
        out.write("\n".join(nodelist) + "\n\x1a")

    main_zone, main_net = nets[0]
    zones = sorted({z for z, _ in nets})
    config = [
        "; synthetic world",
        f"Address {main_zone}:{main_net}/10",
        "RouteType squish",
        "Minimize yes",
        "WriteTo route.cfg",
        'RouteBegin "; begin"',
        'RouteEnd "; end"',
        "DefaultFlavor h",
    ]
    for z in zones:
        config.append(f"Link {z}:{nets[0][1]}/1 c")
    config.append("RouteFile routes.txt")
    for z, n in nets:
        config.append(f"Spokeway nodelist.* z {z} {n}")
    config.append("TrustFile trust.txt")
    config.append(f"DefaultRoute {main_zone}:{main_net}/1 World")
    with open(os.path.join(directory, "pathgen.cfg"), "w") as out:
        out.write("\n".join(config) + "\n")

    routes = ["; every zone via its uplink, some nets by name"]
    for z in zones:
        routes.append(f"{z}:{nets[0][1]}/1 {z}:*/*")
    for z, n in rng.sample(nets, min(len(nets), 50)):
        routes.append(f"{z}:{nets[0][1]}/1 {z}:{n}/*")
    with open(os.path.join(directory, "routes.txt"), "w") as out:
        out.write("\n".join(routes) + "\n")

    trust = ["; trusted nodes"]
    for z, n in rng.sample(nets, min(len(nets), 20)):
        trust.append(f"{z}:{n}/101 {z}:{nets[0][1]}/1")
    with open(os.path.join(directory, "trust.txt"), "w") as out:
        out.write("\n".join(trust) + "\n")

    with open(os.path.join(directory, "route.cfg"), "w") as out:
        out.write("; tosser configuration\n; begin\n; end\n")


def run_once(binary, world):
    work = tempfile.mkdtemp(prefix="spokeway-bench-")
    try:
        for name in os.listdir(world):
            shutil.copy(os.path.join(world, name), work)
        start = time.perf_counter()
        result = subprocess.run([binary], cwd=work, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        if result.returncode != 0:
            sys.exit(f"run failed with exit code {result.returncode}:\n{result.stderr.decode()[-2000:]}")
        tail = result.stderr.decode().rsplit("Done! Total of ", 1)[-1]
        items = int(tail.split(" and ")[1].split(" ")[0])
        return elapsed, items
    finally:
        shutil.rmtree(work)


def run(binary, sizes, repeats=3):
    binary = os.path.abspath(binary)
    results = []
    print(f"{'size':>8} {'items':>8} {'seconds':>9} {'us/item':>8}")
    for size in sizes:
        world = tempfile.mkdtemp(prefix="spokeway-world-")
        try:
            generate(world, size)
            best = None
            for _ in range(repeats):
                elapsed, items = run_once(binary, world)
                best = elapsed if best is None else min(best, elapsed)
            print(f"{size:>8} {items:>8} {best:>9.3f} {best / items * 1e6:>8.2f}", flush=True)
            results.append((size, items, best))
        finally:
            shutil.rmtree(world)
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    print(f"peak memory of a run: {peak / 1024:.1f} MB")
    return results


def real_world(directory, nodelist):
    """One Spokeway line (zone mode) for every net of a real nodelist."""
    os.makedirs(directory, exist_ok=True)
    nets = []
    zone = None
    with open(nodelist, "rb") as source:
        for raw in source:
            line = raw.decode("latin-1")
            head = line[:5].lower()
            if head.startswith("zone,"):
                zone = int(line.split(",")[1] or 0)
            elif head.startswith("host,") and zone is not None:
                nets.append((zone, int(line.split(",")[1] or 0)))
    name = os.path.basename(nodelist)
    os.symlink(os.path.abspath(nodelist), os.path.join(directory, name))
    config = ["Address 2:5020/10", "RouteType squish", "Minimize yes", "WriteTo route.cfg",
              'RouteBegin "; begin"', 'RouteEnd "; end"', "Link 2:5020/1 c", "Link 1:1/1 c",
              "DefaultRoute 2:5020/1 World", "DefaultRoute 1:1/1 1:*/*"]
    config += [f"Spokeway {name} z {z} {n}" for z, n in nets]
    with open(os.path.join(directory, "pathgen.cfg"), "w") as out:
        out.write("\n".join(config) + "\n")
    with open(os.path.join(directory, "route.cfg"), "w") as out:
        out.write("; begin\n; end\n")
    return len(nets)


def time_real(binary, nodelist, repeats=3):
    world = tempfile.mkdtemp(prefix="spokeway-real-")
    try:
        nets = real_world(world, nodelist)
        best = min(run_once(os.path.abspath(binary), world)[0] for _ in range(repeats))
        print(f"{os.path.basename(nodelist)}: {nets} Spokeway lines, best of {repeats}: {best:.3f} s")
        return best
    finally:
        shutil.rmtree(world)


def check(binary, nodelist=None):
    results = {size: seconds for size, _, seconds in run(binary, [16000, 64000])}
    ratio = results[64000] / results[16000]
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
    failures = []
    if ratio > 5:
        failures.append(f"64,000 items took {ratio:.1f} times as long as 16,000 (at most 5)")
    if results[64000] >= 1:
        failures.append(f"64,000 items took {results[64000]:.2f} s (under 1 s)")
    if peak >= 64:
        failures.append(f"a run peaked at {peak:.1f} MB (under 64 MB)")
    if nodelist:
        seconds = time_real(binary, nodelist)
        if seconds >= 1:
            failures.append(f"the real nodelist took {seconds:.2f} s (under 1 s)")
    print(f"ratio 64,000/16,000: {ratio:.2f}")
    if failures:
        sys.exit("\n".join(failures))
    print("scaling check passed")


def main(argv):
    if len(argv) >= 3 and argv[1] == "generate":
        generate(argv[2], int(argv[3]) if len(argv) > 3 else 1000)
    elif len(argv) >= 3 and argv[1] == "run":
        sizes = [int(s) for s in argv[3:]] or [1000, 4000, 16000, 64000]
        run(argv[2], sizes)
    elif len(argv) == 4 and argv[1] == "real":
        time_real(argv[2], argv[3])
    elif len(argv) >= 3 and argv[1] == "check":
        check(argv[2], argv[3] if len(argv) > 3 else None)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
