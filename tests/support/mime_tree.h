// Python's email package as an oracle for composed messages: tests/transport/tools/mime_tree.py reads a
// DATA stream (dot-stuffed, CR LF) and reports its MIME tree, defects, decoded headers and leaf payloads.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace sorvanta::test {

// The JSON object mime_tree.py prints; fields "tree", "defects", "from", "to", "cc", "subject", "leaves".
QJsonObject pythonMimeView(const QByteArray& stream);

// Leaf number index of a view: its decoded payload, and a text field ("type", "charset", "filename",
// "encoding", "cid").
QByteArray leafPayload(const QJsonObject& view, int index);
QString leafField(const QJsonObject& view, int index, const char* field);

}  // namespace sorvanta::test
