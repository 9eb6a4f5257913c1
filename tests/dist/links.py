#!/usr/bin/env python3
"""Every link between the project's documents leads somewhere: each relative link or image in
the project's Markdown files (not those of build trees) names a file that exists and, after a "#", a heading of
that file (as the heading's anchor: lower case, punctuation dropped, blanks as hyphens).

    links.py SOURCE_DIR
"""
import os
import re
import sys

LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)\)")
HEADING = re.compile(r"^#{1,6}\s+(.*?)\s*#*\s*$")


def anchors(path):
    found, fenced = set(), False
    with open(path, encoding="utf-8") as text:
        for line in text:
            if line.startswith("```"):
                fenced = not fenced
                continue
            heading = None if fenced else HEADING.match(line)
            if heading:
                slug = re.sub(r"[^\w\- ]", "", heading.group(1).strip().lower()).replace(" ", "-")
                found.add(slug)
    return found


def main(source):
    documents = []
    for folder, folders, files in os.walk(source):
        folders[:] = sorted(f for f in folders
                            if not re.match(r"^(\.|build|release$|test-reports$|ci-reports$)", f))
        documents += sorted(os.path.relpath(os.path.join(folder, f), source)
                            for f in files if f.endswith(".md"))
    broken, links = [], 0
    for document in documents:
        path = os.path.join(source, document)
        fenced = False
        with open(path, encoding="utf-8") as text:
            for number, line in enumerate(text, 1):
                if line.startswith("```"):
                    fenced = not fenced
                if fenced or line.startswith("    "):
                    continue
                for target in LINK.findall(line):
                    if re.match(r"^[a-z]+:", target):
                        continue  # a web address or mail, not a document of the project
                    links += 1
                    name, _, anchor = target.partition("#")
                    linked = path
                    if name:
                        linked = os.path.normpath(os.path.join(os.path.dirname(path), name))
                    if not os.path.exists(linked):
                        broken.append(f"{document}:{number}: {target}: no such file")
                    elif anchor and (not linked.endswith(".md") or anchor not in anchors(linked)):
                        broken.append(f"{document}:{number}: {target}: no such heading")
    print(f"{links} links in {len(documents)} documents, {len(broken)} broken")
    for problem in broken:
        print(f"  {problem}")
    return not broken and links > 0


if __name__ == "__main__":
    sys.exit(0 if main(sys.argv[1]) else 1)
