#!/usr/bin/python3
"""Reads one delivered message from stdin (as stored by the MTA) with Python's email package under
policy strict, which raises on every defect, and prints as JSON its decoded headers, the Date as a moment,
its MIME tree, the "type" of every multipart/related part and, for every leaf part, its type, file name,
charset, decoded text (text parts) or payload in hex (other parts). A defect ends it with exit code 1."""
import email
import email.policy
import email.utils
import json
import sys

message = email.message_from_bytes(sys.stdin.buffer.read(), policy=email.policy.strict)


def tree(part):
    if part.is_multipart():
        return part.get_content_type() + "(" + ",".join(tree(p) for p in part.iter_parts()) + ")"
    return part.get_content_type()


related_types = []
leaves = []
for part in message.walk():
    if part.get_content_type() == "multipart/related":
        related_types.append(part.get_param("type") or "")
    if part.is_multipart():
        continue
    leaf = {"type": part.get_content_type(), "filename": part.get_filename() or "",
            "charset": part.get_content_charset() or "", "cid": part.get("Content-ID", "")}
    if part.get_content_maintype() == "text":
        leaf["text"] = part.get_content()
    else:
        leaf["payload"] = part.get_payload(decode=True).hex()
    leaves.append(leaf)

date = message["Date"]
print(json.dumps({
    "from": str(message["From"]),
    "to": str(message["To"]),
    "subject": str(message["Subject"]),
    "date": str(date),
    "moment": date.datetime.isoformat() if date.datetime else "",
    "message_id": str(message["Message-ID"]),
    "tree": tree(message),
    "related_types": related_types,
    "leaves": leaves,
}))
