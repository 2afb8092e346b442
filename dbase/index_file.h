// TIndexFile: an index file of a table, opened read-only and checked: a ".mdx" multiple-index file (dBase IV
// or VII tag entries, at most 47 tags) or a single-index file (any other extension). Opening settles the
// locale of the keys, reads every tag's header, compiles its key expression over the table, and walks its
// whole B-tree once: every page inside the file, read once, no more entries than fit, leaves on one level.
// A file that fails any check is left out of use with a reason; nothing here writes. Creating files and
// tags, inserting, deleting and searching keys are left out: reading a table in file order needs none.
#pragma once

#include "dbase/dbf_parser.h"
#include "dbase/index_layout.h"
#include "dbase/paged_file.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class TDbfFile;

class TIndexFile {
public:
    struct Tag {
        QByteArray name;
        char keyType = 'C';
        quint8 keyFlags = 0;
        indexlayout::PageGeometry geometry;
        quint32 rootPage = 0;
        QByteArray expression;
        int levels = 1;   // pages from the root to a leaf
        std::unique_ptr<TDbfIndexParser> parser;
    };

    TIndexFile() = default;
    Q_DISABLE_COPY_MOVE(TIndexFile)

    // False when the file is left out of use; errorString() then says why.
    bool Open(const QString& fileName, const TDbfFile& table);
    const QString& errorString() const { return m_error; }
    indexlayout::Kind kind() const { return m_kind; }

    int tagCount() const { return int(m_tags.size()); }
    const Tag& tag(int i) const { return *m_tags[size_t(i)]; }
    int indexOfTag(const QByteArray& name) const;   // without case; -1 when none
    // A page of an open file (every page reached from a root was read and checked at open).
    const indexlayout::IndexPage& page(quint32 number) const { return m_pages.find(number).value(); }

    // The language id whose locale the keys follow, and the code page of their text.
    int languageId() const { return m_languageId; }
    int codePage() const { return m_codePage; }
    QString keyText(QByteArrayView key) const;
    double keyNumber(QByteArrayView key) const;

private:
    bool fail(const QString& reason);
    std::optional<QByteArray> readBytes(qint64 offset, int length);
    bool openMultiple(const TDbfFile& table);
    bool openSingle(const TDbfFile& table);
    bool settleLocale(int headerLanguageId, int tableLanguageId);
    bool addTag(QByteArray name, QByteArrayView headerBytes, const TDbfFile& table);
    bool loadTree(Tag& tag);
    bool loadPage(const Tag& tag, quint32 number, int level, int& leafLevel);

    TPagedFile m_file;
    qint64 m_fileSize = 0;
    indexlayout::Kind m_kind = indexlayout::Kind::Multiple;
    quint32 m_firstPage = 0;   // pages before it belong to the file header
    std::vector<std::unique_ptr<Tag>> m_tags;
    QHash<quint32, indexlayout::IndexPage> m_pages;
    int m_languageId = 0;
    int m_codePage = 0;
    QString m_error;
};
