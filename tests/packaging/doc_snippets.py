"""Runs the fenced code blocks of README.md and docs/*.md as a reader would.

    doc_snippets.py SOURCE_DIR BUILD_DIR WORK_DIR

Each document runs in a fresh folder of its own that looks like the clone:
every top-level entry of the source tree is linked in, and `build` is the
build folder under test. HOME points into that folder, so nothing a snippet
installs or logs leaves it. Blocks run in document order:

  sh, bash    run with bash -e from the folder's top; must exit 0
  python      run with this interpreter from the folder's top; must exit 0
  other       shown output, not run

An HTML comment on the line just before a block steers it:

  <!-- snippet: file PATH -->            the block is the file PATH in full: equal to
                                          it when the source tree has it, else written
                                          there for the blocks after it
  <!-- snippet: prints TEXT -->          the block must also print TEXT
  <!-- snippet: not run here: REASON --> commands too long for this check (whole
                                          suites); each must name a script of the tree
"""

import os
import re
import shutil
import subprocess
import sys

FENCE = re.compile(r"^```(\S*)\s*$")
DIRECTIVE = re.compile(r"^<!-- snippet: (file|prints|not run here:) ?(.*?) ?-->\s*$")
RUN_TIMEOUT = 600


class Block:
    def __init__(self, document, line, language, text, directives):
        self.document = document
        self.line = line
        self.language = language
        self.text = text
        self.directives = directives

    def where(self):
        return "%s:%d" % (self.document, self.line)


def blocks_of(path, name):
    lines = open(path, encoding="utf-8").read().split("\n")
    found = []
    index = 0
    while index < len(lines):
        opening = FENCE.match(lines[index])
        if not opening:
            index += 1
            continue
        directives = {}
        back = index - 1
        while back >= 0 and DIRECTIVE.match(lines[back]):
            kind, value = DIRECTIVE.match(lines[back]).groups()
            directives[kind.rstrip(":")] = value
            back -= 1
        end = index + 1
        while end < len(lines) and not lines[end].startswith("```"):
            end += 1
        if end == len(lines):
            raise SystemExit("%s:%d: the block never closes" % (name, index + 1))
        found.append(Block(name, index + 1, opening.group(1), "\n".join(lines[index + 1:end]) + "\n",
                           directives))
        index = end + 1
    return found


def make_root(source, build, work, document):
    root = os.path.join(work, re.sub(r"[^A-Za-z0-9]+", "-", document))
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(os.path.join(root, "home"))
    for entry in os.listdir(source):
        if entry.startswith(".") or entry.startswith("build"):
            continue
        os.symlink(os.path.join(source, entry), os.path.join(root, entry))
    os.symlink(build, os.path.join(root, "build"))
    return root


def environment(root):
    env = dict(os.environ)
    for name in ("VELMO_KIV_LIBRARY", "XDG_STATE_HOME", "PKG_CONFIG_PATH", "LD_LIBRARY_PATH"):
        env.pop(name, None)  # a reader starts without them
    env["HOME"] = os.path.join(root, "home")
    env["PYTHONDONTWRITEBYTECODE"] = "1"  # nothing written into the source tree
    return env


def check_file(block, source, root):
    relative = block.directives["file"]
    in_source = os.path.join(source, relative)
    if os.path.exists(in_source):
        if open(in_source, encoding="utf-8").read() != block.text:
            return "differs from %s: the document must show the file in full" % relative
        return None
    target = os.path.join(root, relative)
    if os.path.islink(os.path.join(root, relative.split("/")[0])):
        return "would write %s into the source tree" % relative
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "w", encoding="utf-8") as out:
        out.write(block.text)
    return None


def check_not_run(block, source):
    for line in block.text.splitlines():
        command = line.split("#", 1)[0].split()
        if not command:
            continue
        words = [word for word in command if "=" not in word]
        script = os.path.join(source, words[0]) if words else ""
        if not (os.path.isfile(script) and os.access(script, os.X_OK)):
            return "%r names no script of the tree" % line
        if subprocess.run(["bash", "-n", script]).returncode != 0:
            return "%s does not parse" % words[0]
    return None


def run(block, root):
    if block.language in ("sh", "bash"):
        command = ["bash", "-e", "-c", block.text]
    else:
        command = [sys.executable, "-c", block.text]
    try:
        done = subprocess.run(command, cwd=root, env=environment(root), stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=RUN_TIMEOUT)
    except subprocess.TimeoutExpired:
        return "still running after %d s" % RUN_TIMEOUT
    output = done.stdout.decode("utf-8", "replace")
    if done.returncode != 0:
        return "exited %d:\n%s" % (done.returncode, output[-4000:])
    wanted = block.directives.get("prints")
    if wanted and wanted not in output:
        return "did not print %r:\n%s" % (wanted, output[-4000:])
    return None


def main():
    source, build, work = (os.path.abspath(arg) for arg in sys.argv[1:4])
    documents = ["README.md"] + sorted(
        os.path.join("docs", name) for name in os.listdir(os.path.join(source, "docs"))
        if name.endswith(".md"))
    ran = failed = 0
    for document in documents:
        blocks = blocks_of(os.path.join(source, document), document)
        root = make_root(source, build, work, document) if blocks else None
        for block in blocks:
            if "file" in block.directives:
                problem = check_file(block, source, root)
            elif "not run here" in block.directives:
                problem = check_not_run(block, source)
            elif block.language in ("sh", "bash", "python"):
                problem = run(block, root)
            else:
                continue
            ran += 1
            if problem:
                failed += 1
                print("FAIL %s (%s): %s" % (block.where(), block.language, problem))
            else:
                print("ok   %s (%s)" % (block.where(), block.language))
    print("%d passed, %d failed" % (ran - failed, failed))
    return 1 if failed or ran == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
