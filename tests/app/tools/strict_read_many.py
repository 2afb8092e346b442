#!/usr/bin/python3
"""Reads several messages from stdin, each ended by a NUL byte, with Python's email package under policy
strict, which raises on every defect, and prints one JSON list: for each message its decoded Subject and the
decoded text of every text part, or the error that reading it raised."""
import email
import email.policy
import json
import sys

results = []
for raw in sys.stdin.buffer.read().split(b"\0")[:-1]:
    try:
        message = email.message_from_bytes(raw, policy=email.policy.strict)
        texts = [part.get_content() for part in message.walk()
                 if not part.is_multipart() and part.get_content_maintype() == "text"]
        results.append({"subject": str(message["Subject"]), "date": str(message["Date"]), "texts": texts})
    except Exception as error:  # every defect is a finding: report it for this message
        results.append({"error": type(error).__name__ + ": " + str(error)})
print(json.dumps(results))
