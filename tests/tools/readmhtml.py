#!/usr/bin/env python3
"""Reads a web archive with Python's own MIME parser and prints what it holds as JSON:
the message headers, every part with its headers and decoded bytes, the parser's complaints,
and where each picture reference of the HTML part leads."""
import base64
import email
import email.policy
import json
import sys
import urllib.parse
from html.parser import HTMLParser


class Pictures(HTMLParser):
    def __init__(self):
        super().__init__()
        self.sources = []

    def handle_starttag(self, tag, attrs):
        if tag == "img":
            for name, value in attrs:
                if name == "src" and value is not None:
                    self.sources.append(value)


def main(path):
    with open(path, "rb") as f:
        message = email.message_from_binary_file(f, policy=email.policy.compat32)
    result = {
        "top": [[k, str(v)] for k, v in message.items()],
        "multipart": message.is_multipart(),
        "type": message.get_content_type(),
        "defects": [repr(d) for d in message.defects],
        "parts": [],
        "refs": [],
    }
    html_location = None
    html_text = None
    for part in message.walk():
        if part is message:
            continue
        result["defects"] += [repr(d) for d in part.defects]
        body = part.get_payload(decode=True) or b""
        entry = {
            "headers": [[k, str(v)] for k, v in part.items()],
            "type": part.get_content_type(),
            "location": part.get("Content-Location", ""),
            "bytes": base64.b64encode(body).decode("ascii"),
        }
        if part.get_content_maintype() == "text":
            entry["text"] = body.decode(part.get_content_charset() or "utf-8")
            if part.get_content_type() == "text/html" and html_text is None:
                html_location = entry["location"]
                html_text = entry["text"]
        result["parts"].append(entry)
    if html_text is not None:
        pictures = Pictures()
        pictures.feed(html_text)
        known = {urllib.parse.unquote(p["location"]) for p in result["parts"]}
        for source in pictures.sources:
            # A browser takes a backslash in an http address for a folder level.
            resolved = urllib.parse.urljoin(html_location, source.replace("\\", "/"))
            result["refs"].append({
                "src": source,
                "resolved": resolved,
                "found": urllib.parse.unquote(resolved) in known,
            })
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
