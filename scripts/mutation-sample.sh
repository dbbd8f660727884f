#!/usr/bin/env bash
# mutation-sample.sh [--seed S] [--count N] [--under DIR]... [--keep]
#
# Measures how sharp the test suite is: plants N small faults (a flipped comparison, a negated
# condition, && for ||, an off-by-one constant, a flipped boolean) at random places in src/, one
# at a time, rebuilds, runs the whole suite and counts the faults it caught. A fault that does
# not compile is drawn again. Survivors are listed with their place so a person can judge whether
# each is a real miss or an equivalent change.
#
# It works in a scratch worktree of HEAD (.mutation/), never in this checkout. Same seed, same
# faults, as long as src/ is the same.
#   --seed S     random seed (default 1)
#   --count N    faults to plant (default 20)
#   --under DIR  only files below DIR (e.g. src/core/layouts), or those a pattern names
#                (e.g. 'src/core/layouts/LayoutDraft*'); may be given more than once
#   --tests RE   run only the tests whose names match RE (and build only those), for a quick
#                look at one subsystem; the figure that counts is the one over the whole suite
#   --keep       keep the scratch worktree and its build for the next run (faster)
#   --rev REV    measure that commit instead of HEAD (e.g. main, for a figure before a change)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seed=1
count=20
unders=()
keep=0
tests=
rev=HEAD
while [ $# -gt 0 ]; do
    case $1 in
    --seed) seed=$2; shift 2 ;;
    --count) count=$2; shift 2 ;;
    --under) unders+=("$2"); shift 2 ;;
    --tests) tests=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --rev) rev=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
[ ${#unders[@]} -gt 0 ] || unders=(src)

work=$root/.mutation
if [ ! -d "$work/.git" ] && [ ! -f "$work/.git" ]; then
    git -C "$root" worktree add --detach "$work" "$rev" >/dev/null
else
    git -C "$work" checkout --detach -q "$(git -C "$root" rev-parse "$rev")"
    git -C "$work" checkout -q -- .
fi
cleanup() {
    git -C "$work" checkout -q -- . || true
    if [ "$keep" -eq 0 ]; then
        git -C "$root" worktree remove --force "$work" || true
    fi
}
trap cleanup EXIT

# The scratch worktree's own build script, whose source is the scratch worktree: the planted faults
# must be what is compiled, not this checkout. A build dir configured for another source, or whose
# configuration did not finish, goes.
if [ -d "$work/build" ] && { [ ! -f "$work/build/build.ninja" ] ||
    ! grep -qxF "CMAKE_HOME_DIRECTORY:INTERNAL=$work" "$work/build/CMakeCache.txt"; }; then
    rm -rf "$work/build"
fi
if ! "$work/scripts/build.sh" "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/build.log" 2>&1; then
    tail -40 "$work/build.log" >&2
    echo "the unchanged sources do not build" >&2
    exit 1
fi

python3 - "$work" "$seed" "$count" "$tests" "${unders[@]}" <<'PY'
import glob, os, random, re, subprocess, sys

work, seed, count, tests, unders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5:]
targets, selection = [], []
if tests:
    listed = subprocess.run(["ctest", "--test-dir", "build", "-N", "-R", tests], cwd=work, capture_output=True,
                            text=True).stdout
    targets = re.findall(r"Test +#\d+: (\S+)", listed)
    if not targets:
        sys.exit(f"no test matches {tests}")
    targets += ["tqtool-cli", "tq90-sim", "qor-sim"]
    selection = ["-R", tests]
rng = random.Random(seed)

# (name, pattern, replacement). Patterns are applied to code with strings and comments blanked.
OPERATORS = [
    ("== to !=", r"==", "!="),
    ("!= to ==", r"!=", "=="),
    ("< to <=", r"(?<![<\w])<(?![<=])(?=\s)", "<="),
    ("<= to <", r"<=", "<"),
    ("> to >=", r"(?<![->\w])>(?![>=])(?=\s)", ">="),
    (">= to >", r">=", ">"),
    ("&& to ||", r"&&", "||"),
    ("|| to &&", r"\|\|", "&&"),
    ("drop !", r"(?<=\()!(?=[\w(])", ""),
    ("true to false", r"\btrue\b", "false"),
    ("false to true", r"\bfalse\b", "true"),
    ("constant + 1", r"(?<![\w.])(\d+)(?![\w.])", None),
]


def blank(line):
    """The line with string and character literals and comments replaced by spaces."""
    out, i, n = [], 0, len(line)
    while i < n:
        c = line[i]
        if line.startswith("//", i):
            out.append(" " * (n - i))
            break
        if c in "\"'":
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            out.append(" " * (min(j, n - 1) - i + 1))
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out)[:n]


def walk(under):
    """(folder, files) as os.walk gives them below a folder; a file pattern gives the files it names."""
    for match in sorted(glob.glob(os.path.join(work, under))):
        if os.path.isfile(match):
            yield os.path.dirname(match), [os.path.basename(match)]
        for dirpath, _, files in os.walk(match):
            yield dirpath, files


sites = []
for under in unders:
    for dirpath, files in walk(under):
        for f in sorted(files):
            if not f.endswith(".cpp"):
                continue
            path = os.path.join(dirpath, f)
            rel = os.path.relpath(path, work)
            with open(path, encoding="utf-8") as fh:
                lines = fh.read().split("\n")
            in_block = False
            for no, line in enumerate(lines):
                s = line.strip()
                if in_block:
                    in_block = "*/" not in s
                    continue
                if s.startswith("/*"):
                    in_block = "*/" not in s
                    continue
                if not s or s.startswith(("#", "//", "static_assert")):
                    continue
                code = blank(line)
                for name, pattern, repl in OPERATORS:
                    for m in re.finditer(pattern, code):
                        sites.append((rel, no, m.start(), m.end(), name, repl))
sites.sort()
rng.shuffle(sites)


def run(cmd, timeout):
    try:
        return subprocess.run(cmd, cwd=work, capture_output=True, text=True, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


# A suite that fails without any planted fault would count every fault as caught.
if run(["ctest", "--test-dir", "build", "--parallel", "2", "--timeout", "120"] + selection, 3600) != 0:
    sys.exit("the selected tests fail on the unchanged sources; nothing measured")

caught, survived, results = 0, [], []
tried = 0
for rel, no, start, end, name, repl in sites:
    if caught + len(survived) >= count:
        break
    path = os.path.join(work, rel)
    with open(path, encoding="utf-8") as fh:
        original = fh.read()
    lines = original.split("\n")
    line = lines[no]
    old = line[start:end]
    new = str(int(old) + 1) if repl is None else repl
    lines[no] = line[:start] + new + line[end:]
    with open(path, "w", encoding="utf-8") as fh:
        fh.write("\n".join(lines))
    tried += 1
    try:
        build = ["cmake", "--build", "build", "--parallel", "2"] + (["--target"] + targets if targets else [])
        if run(build, 1800) != 0:
            continue  # did not compile: draw another
        rc = run(["ctest", "--test-dir", "build", "--parallel", "2", "--stop-on-failure", "--timeout", "120"]
                 + selection, 3600)
        where = f"{rel}:{no + 1}: {name}: {line.strip()}"
        if rc != 0:
            caught += 1
            print(f"caught    {where}", flush=True)
        else:
            survived.append(where)
            print(f"SURVIVED  {where}", flush=True)
    finally:
        with open(path, "w", encoding="utf-8") as fh:
            fh.write(original)

total = caught + len(survived)
print()
print(f"seed {seed}: {caught} of {total} planted faults caught"
      + (f" ({100 * caught / total:.0f}%)" if total else "") + f"; {tried - total} did not compile")
for s in survived:
    print(f"  survived: {s}")
PY
