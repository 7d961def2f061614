#!/usr/bin/env python3
"""Splits a callgrind profile of a frame benchmark by who did the work.

Usage: callgrind_split.py <callgrind.out> <frames> <label> [function...]

Everything the benchmark executable reaches through calls into the GL stack
(dispatch, Mesa, llvmpipe and the code it generates, GLU) or the window system
(SDL, X libraries) is "outside"; the rest of the collected instructions is
"own": the executable's code and the C/C++ runtime it calls itself (libm's
sine, memcpy, the allocator). The window system's share of "outside" is its
libraries' self cost (the swap's pixel work is the driver's). Prints one line
of per-frame figures and the objects by self cost. Each function named after
the label also gets its inclusive cost per frame (calls to it from other
functions; names are matched up to the opening parenthesis).
"""
import os
import re
import sys

RUNTIME = re.compile(r"^(libc\.so|libm\.so|libstdc\+\+|libgcc_s|ld-linux|libpthread|libmvec)")
WINDOW = re.compile(r"^(libSDL2|libX|libxcb|libxshm|libICE|libSM|libdbus|libwayland|libdecor)")


def category(obj, own):
    base = os.path.basename(obj)
    if obj == own:
        return "own"
    if RUNTIME.match(base):
        return "runtime"
    if WINDOW.match(base):
        return "window"
    return "gl"  # libGL*, libglapi, *_dri.so, libgallium, libLLVM, generated code (???)


def main():
    path, frames, label = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    wanted = {w: 0 for w in sys.argv[4:]}
    # Objects, files and functions number their compressed names separately.
    names = {"ob": {}, "fl": {}, "fn": {}}
    kinds = {"ob": "ob", "cob": "ob", "fl": "fl", "fi": "fl", "fe": "fl", "cfi": "fl",
             "cfl": "fl", "fn": "fn", "cfn": "fn"}

    def name(kind, value):
        table = names[kinds[kind]]
        m = re.match(r"\((\d+)\)(?:\s+(.*))?$", value)
        if not m:
            return value
        if m.group(2) is not None:
            table[m.group(1)] = m.group(2)
        return table.get(m.group(1), "???")

    own = None
    ob = "???"
    cob = None
    fn = "???"
    cfn = None
    pending_call = False
    call_target = None
    self_cost = {}
    outside = 0
    total = 0
    with open(path, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            if line.startswith("cmd:"):
                parts = line.split()
                own = parts[1] if len(parts) > 1 else None
                continue
            if line.startswith("ob="):
                ob = name("ob", line[3:])
                continue
            if line.startswith("cob="):
                cob = name("cob", line[4:])
                continue
            if line.startswith(("fl=", "fi=", "fe=", "fn=", "cfi=", "cfl=", "cfn=")):
                key, value = line.split("=", 1)
                resolved = name(key, value)  # keeps the compression tables complete
                if key == "fn":
                    fn = resolved
                elif key == "cfn":
                    cfn = resolved
                continue
            if line.startswith("calls="):
                pending_call = True
                call_target = cob if cob is not None else ob
                call_fn = cfn
                cob = None
                cfn = None
                continue
            c = line[0]
            if not (c.isdigit() or c in "+-*"):
                continue  # headers, summary, totals, jumps
            tokens = line.split()
            cost = int(tokens[1]) if len(tokens) > 1 else 0
            if pending_call:
                pending_call = False
                if category(ob, own) == "own" and category(call_target, own) in ("gl", "window"):
                    outside += cost
                callee = (call_fn or "").split("(")[0]
                if callee in wanted and fn.split("(")[0] != callee:
                    wanted[callee] += cost
                continue
            self_cost[ob] = self_cost.get(ob, 0) + cost
            total += cost

    by_cat = {"own": 0, "runtime": 0, "gl": 0, "window": 0}
    for obj, cost in self_cost.items():
        by_cat[category(obj, own)] += cost
    own_total = total - outside
    window = by_cat["window"]
    gl = outside - window
    per = lambda v: v / frames
    share = 100.0 * own_total / total if total else 0.0
    print(f"callgrind {label}: frames={frames} ir-per-frame={per(total):.0f} "
          f"own-ir-per-frame={per(own_total):.0f} own-share={share:.2f}% "
          f"gl-ir-per-frame={per(gl):.0f} window-ir-per-frame={per(window):.0f} "
          f"exe-self-ir-per-frame={per(by_cat['own']):.0f} "
          f"runtime-from-exe-ir-per-frame={per(own_total - by_cat['own']):.0f}"
          + "".join(f" incl-{w}={per(c):.0f}" for w, c in wanted.items()))
    for obj, cost in sorted(self_cost.items(), key=lambda kv: -kv[1])[:8]:
        print(f"  {label} {100.0 * cost / total:6.2f}%  {per(cost):12.0f}  {obj}")


if __name__ == "__main__":
    main()
