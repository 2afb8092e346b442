// PartContentType: the Content-Type the composers write for a picture or attachment file: "image/jpeg" for
// ".jpg" and ".jpeg", else the type "mime.def" in the program folder gives its extension (the table is read
// when first needed, and created when missing), "application/octet-stream" when it knows none.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class TMimeManager;

class PartContentType {
public:
    PartContentType();
    ~PartContentType();
    Q_DISABLE_COPY_MOVE(PartContentType)

    QByteArray forFile(const QString& path);

private:
    std::unique_ptr<TMimeManager> m_table;
};
