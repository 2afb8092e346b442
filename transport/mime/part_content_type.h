// PartContentType: the Content-Type the composers write for a picture or attachment file: "image/jpeg" for
// ".jpg" and ".jpeg", else the type "mime.def" in the program folder gives its extension (the table is read
// when first needed, and created when missing), else the desktop's MIME database's type by name, or by
// content where it recognises the content (so a ".png" goes out as a picture), "application/octet-stream"
// when neither knows it. Content sniffing's guess of text/plain is not taken.
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

    // The desktop's MIME database's type by the file's name, else by its content unless that only guessed
    // text/plain; empty when it knows none.
    static QByteArray desktopTypeFor(const QString& path);

private:
    std::unique_ptr<TMimeManager> m_table;
};
