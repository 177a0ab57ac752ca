#!/usr/bin/env python3
"""The synthetic list-stage workload that AVex and squidGuard both decide.

    peer_workload.py OUT N P R

writes into the folder OUT:
  domains       N host names, one a line (the site list; squidGuard's domainlist)
  urls          N URLs without scheme, host/path (the URL list; squidGuard's urllist)
  partials      P substrings (the partial list; squidGuard's expressionlist)
  requests.txt  R request URLs: about 30 % on a listed domain, 20 % a listed URL,
                5 % holding a partial entry, the rest on no list

The same arguments always give the same files, so two runs (AVex's and
squidGuard's) that each write them see the same lists and requests. Every
name is lower case and each kind of entry has a top-level domain of its own,
so that a request hits the list it was made for and no other: no listed
domain is a parent of another request's host, and no partial occurs by chance.
"""

import os
import random
import sys

WORDS = (
    "news shop mail video games music sport travel photo cloud forum wiki "
    "market bank radio school weather maps books store media home city "
    "health food auto tech live play web net data blog art film"
).split()

DOMAIN_HIT, URL_HIT, PARTIAL_HIT = 0.30, 0.20, 0.05


def host(rng, index, top_level):
    return f"{rng.choice(WORDS)}{rng.choice(WORDS)}{index}.{top_level}"


def path(rng):
    return "/".join(rng.choice(WORDS) + str(rng.randrange(1000)) for _ in range(rng.randint(1, 4)))


def partial(rng):
    # A run of letters that no word above holds, marked by a digit pair.
    return "".join(rng.choice("bcdfghjklmnpqrstvwxz") for _ in range(7)) + str(rng.randrange(10, 100))


def write_lines(name, lines):
    with open(name, "w", encoding="ascii", newline="\n") as out:
        out.writelines(line + "\n" for line in lines)


def main(argv):
    if len(argv) != 5:
        sys.exit("usage: peer_workload.py OUT N P R")
    out, n, p, r = argv[1], int(argv[2]), int(argv[3]), int(argv[4])
    rng = random.Random(20260)

    domains = [host(rng, i, "com") for i in range(n)]
    urls = [f"{host(rng, i, 'org')}/{path(rng)}" for i in range(n)]
    partials = set()
    while len(partials) < p:
        partials.add(partial(rng))
    partials = sorted(partials)

    requests = []
    for i in range(r):
        draw = rng.random()
        if draw < DOMAIN_HIT:
            request = f"http://{rng.choice(domains)}/{path(rng)}"
        elif draw < DOMAIN_HIT + URL_HIT:
            request = f"http://{rng.choice(urls)}"
        elif draw < DOMAIN_HIT + URL_HIT + PARTIAL_HIT:
            request = f"http://{host(rng, i, 'info')}/{path(rng)}/{rng.choice(partials)}/{path(rng)}"
        else:
            request = f"http://{host(rng, i, 'net')}/{path(rng)}"
        requests.append(request)

    os.makedirs(out, exist_ok=True)
    write_lines(os.path.join(out, "domains"), domains)
    write_lines(os.path.join(out, "urls"), urls)
    write_lines(os.path.join(out, "partials"), partials)
    write_lines(os.path.join(out, "requests.txt"), requests)


if __name__ == "__main__":
    main(sys.argv)
