#!/usr/bin/env python3
"""One Markdown document as a page a Windows user opens with a double click.

    markdown-page.py SOURCE.md PAGE.html

The body comes from Discount's `markdown` (tables and fenced code on); the
page is completed here: a title, a small style, heading anchors named as the
repository's links name them ("remote-ports-a-base-behind-..."), and links to
other documents turned from .md to .html, so that the pages link to each other
as the Markdown files do.
"""

import html
import re
import subprocess
import sys

STYLE = """body { font-family: Segoe UI, sans-serif; max-width: 52em; margin: 2em auto;
       padding: 0 1em; line-height: 1.45; }
pre, code { font-family: Consolas, monospace; }
pre { background: #f4f4f4; padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
img { max-width: 100%; }"""


def anchor(text):
    """A heading's anchor as links in the documents spell it."""
    text = re.sub(r"<[^>]*>", "", html.unescape(text)).strip().lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: markdown-page.py SOURCE.md PAGE.html")
    source, page = sys.argv[1], sys.argv[2]
    body = subprocess.run(["markdown", "-f", "fencedcode,tables,nosmarty", source],
                          check=True, capture_output=True, text=True).stdout

    def heading(match):
        level, inner = match.group(1), match.group(2)
        return f'<h{level} id="{anchor(inner)}">{inner}</h{level}>'

    body = re.sub(r"<h([1-6])>(.*?)</h\1>", heading, body)
    body = re.sub(r'href="(?!\w+:)([^"#]*)\.md(#[^"]*)?"',
                  lambda m: f'href="{m.group(1)}.html{m.group(2) or ""}"', body)
    title = re.search(r"<h1[^>]*>(.*?)</h1>", body)
    title = re.sub(r"<[^>]*>", "", title.group(1)) if title else "Tessaro"
    with open(page, "w", encoding="utf-8", newline="\r\n") as out:
        out.write(f'<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
                  f"<title>{title}</title>\n<style>\n{STYLE}\n</style>\n</head>\n"
                  f"<body>\n{body}</body>\n</html>\n")


if __name__ == "__main__":
    main()
