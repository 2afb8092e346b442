#!/usr/bin/python3
"""Reads one message from stdin (the DATA stream as sent: dot-stuffed, CR LF) and prints, as JSON, its
MIME tree as Python's email package sees it, every defect it found, the decoded headers, the "type"
parameter of every multipart/related part and, for every leaf part, its type, charset, file name, transfer
encoding and decoded payload in hex."""
import email
import email.policy
import json
import sys

raw = sys.stdin.buffer.read()
lines = raw.split(b"\r\n")
unstuffed = b"\r\n".join(line[1:] if line.startswith(b".") else line for line in lines)
message = email.message_from_bytes(unstuffed, policy=email.policy.default)


def tree(part):
    if part.is_multipart():
        return part.get_content_type() + "(" + ",".join(tree(p) for p in part.iter_parts()) + ")"
    return part.get_content_type()


defects = []
leaves = []
related_types = []
for part in message.walk():
    defects += [type(d).__name__ for d in part.defects]
    if part.get_content_type() == "multipart/related":
        related_types.append(part.get_param("type") or "")
    if part.is_multipart():
        continue
    payload = part.get_payload(decode=True) or b""
    leaves.append({
        "type": part.get_content_type(),
        "charset": part.get_content_charset() or "",
        "filename": part.get_filename() or "",
        "encoding": part.get("Content-Transfer-Encoding", ""),
        "cid": part.get("Content-ID", ""),
        "payload": payload.hex(),
    })

print(json.dumps({
    "tree": tree(message),
    "defects": defects,
    "from": str(message["From"] or ""),
    "to": [str(v) for v in message.get_all("To", [])],
    "cc": [str(v) for v in message.get_all("cc", [])],
    "subject": str(message["Subject"] or ""),
    "date": str(message["Date"] or ""),
    "related_types": related_types,
    "leaves": leaves,
}))
