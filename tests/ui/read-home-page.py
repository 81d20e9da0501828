#!/usr/bin/python3
"""Reads the home page of the running calculator as a screen reader does, through AT-SPI.

Prints the web document's name, then its headings and its links, one per line:
"document|NAME", "heading|TEXT", "link|NAME". Exits 2 when the program or its
page does not appear within the time given (seconds, first argument).
"""
import sys
import time

import pyatspi


def walk(node, found, depth=0):
    if node is None or depth > 60:
        return
    try:
        role = node.getRole()
        count = node.childCount
    except Exception:  # the node went away while being read
        return
    found.append((role, node))
    for index in range(count):
        walk(node.getChildAtIndex(index), found, depth + 1)


def text_of(node):
    name = node.name or ""
    if name:
        return name
    parts = []
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            parts.append(text_of(child))
    return "".join(parts)


def main():
    deadline = time.time() + float(sys.argv[1] if len(sys.argv) > 1 else 60)
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None or "vemora" not in (app.name or "").lower():
                continue
            found = []
            walk(app, found)
            documents = [n for r, n in found if r == pyatspi.ROLE_DOCUMENT_WEB]
            if not documents or documents[0].childCount == 0:
                continue
            page = []
            walk(documents[0], page)
            print("document|" + (documents[0].name or ""))
            for role, node in page:
                if role == pyatspi.ROLE_HEADING:
                    print("heading|" + text_of(node).strip())
                elif role == pyatspi.ROLE_LINK:
                    print("link|" + text_of(node).strip())
            return 0
        time.sleep(0.5)
    return 2


sys.exit(main())
