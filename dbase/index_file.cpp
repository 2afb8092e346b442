// Index files: see index_file.h.

#include "dbase/index_file.h"

#include "dbase/collation.h"
#include "dbase/dbf_error.h"
#include "dbase/dbf_file.h"
#include "dbase/language_drivers.h"
#include "dbase/numeric_key.h"
#include "dbase/text_translation.h"

#include <QFileInfo>
#include <QtEndian>

using namespace indexlayout;

namespace {

// Deeper than any tree a file of 4 GiB could hold with two children a page.
constexpr int MaxLevels = 32;

}  // namespace

bool TIndexFile::fail(const QString& reason)
{
    m_error = reason;
    m_tags.clear();
    m_pages.clear();
    m_file.close();
    return false;
}

std::optional<QByteArray> TIndexFile::readBytes(qint64 offset, int length)
{
    if (offset < 0 || length > m_fileSize || offset > m_fileSize - length)
        return std::nullopt;
    QByteArray bytes(length, '\0');
    if (m_file.readBlock(offset, bytes.data(), length) != length)
        return std::nullopt;
    return bytes;
}

bool TIndexFile::Open(const QString& fileName, const TDbfFile& table)
{
    if (m_file.isOpen())
        return true;
    m_error.clear();
    try {
        m_file.open(fileName, TPagedFileMode::pfReadOnly);
    } catch (const EDbfError& error) {
        return fail(error.message());
    }
    m_fileSize = m_file.fileSize();
    m_kind = QFileInfo(fileName).suffix().toUpper() == "MDX" ? Kind::Multiple : Kind::Single;
    m_codePage = table.useCodePage();
    return m_kind == Kind::Multiple ? openMultiple(table) : openSingle(table);
}

bool TIndexFile::openMultiple(const TDbfFile& table)
{
    const auto header = readBytes(0, MultipleHeaderSize);
    if (!header)
        return fail(QStringLiteral("the file is shorter than its 2048-byte header"));
    const auto parsed = parseMultipleHeader(*header);
    if (const auto* reason = std::get_if<QString>(&parsed))
        return fail(*reason);
    const MultipleHeader& mdx = std::get<MultipleHeader>(parsed);
    if (!settleLocale(mdx.languageId, table.languageId()))
        return false;
    m_firstPage = MultipleHeaderSize / BlockSize;
    for (int i = 0; i < mdx.tagCount; ++i) {
        const auto entryBytes = readBytes(BlockSize + qint64(mdx.entryLength) * (i + 1), tagEntrySize(mdx.sevenLayout));
        if (!entryBytes)
            return fail(QStringLiteral("tag entry %1 lies outside the file").arg(i + 1));
        const TagEntry entry = parseTagEntry(*entryBytes, mdx.sevenLayout);
        if (entry.headerPage < m_firstPage)
            return fail(QStringLiteral("tag %1: its header page %2 lies in the file header")
                            .arg(QString::fromLatin1(entry.name)).arg(entry.headerPage));
        const auto headerBytes = readBytes(qint64(entry.headerPage) * BlockSize, MultiplePageSize);
        if (!headerBytes)
            return fail(QStringLiteral("tag %1: its header page %2 lies outside the file")
                            .arg(QString::fromLatin1(entry.name)).arg(entry.headerPage));
        if (!addTag(entry.name, *headerBytes, table))
            return false;
    }
    return true;
}

bool TIndexFile::openSingle(const TDbfFile& table)
{
    const auto header = readBytes(0, SinglePageSize);
    if (!header)
        return fail(QStringLiteral("the file is shorter than its 512-byte header"));
    m_firstPage = 1;
    m_languageId = table.languageId();
    return addTag(QFileInfo(m_file.fileName()).completeBaseName().toUpper().toLatin1(), *header, table);
}

// The keys follow the table's locale; an index made for another language, or for a locale that has no
// collation here, is left out of use (no handler chooses otherwise in this program).
bool TIndexFile::settleLocale(int headerLanguageId, int tableLanguageId)
{
    if (headerLanguageId != 0 && headerLanguageId != tableLanguageId)
        return fail(QStringLiteral("the index was made for language id %1, the table has %2")
                        .arg(headerLanguageId).arg(tableLanguageId));
    m_languageId = tableLanguageId;
    if (m_languageId == 0)
        return true;   // the default locale
    if (languagedriver::localeOfId(m_languageId) == 0)
        return fail(QStringLiteral("language id %1 stands for no locale").arg(m_languageId));
    const auto collation = collation::collationOf(m_languageId);
    if (!collation || collation->name.isEmpty())
        return fail(QStringLiteral("language id %1 has no supported collation").arg(m_languageId));
    if (const int page = languagedriver::codePageOfId(m_languageId))
        m_codePage = page;
    return true;
}

bool TIndexFile::addTag(QByteArray name, QByteArrayView headerBytes, const TDbfFile& table)
{
    const QString label = QStringLiteral("tag %1: ").arg(QString::fromLatin1(name));
    const auto parsed = parseTagHeader(headerBytes, m_kind);
    if (const auto* reason = std::get_if<QString>(&parsed))
        return fail(label + *reason);
    const TagHeader& header = std::get<TagHeader>(parsed);
    auto tag = std::make_unique<Tag>();
    tag->name = std::move(name);
    tag->keyType = header.keyType;
    tag->keyFlags = header.keyFlags;
    tag->geometry = header.geometry;
    tag->rootPage = header.rootPage;
    tag->expression = header.expression;
    tag->parser = std::make_unique<TDbfIndexParser>(table);
    try {
        tag->parser->ParseExpression(tag->expression);
    } catch (const EParserException& error) {
        return fail(label + error.message());
    } catch (const EDbfError& error) {
        return fail(label + error.message());
    }
    const ExprType type = tag->parser->ResultType();
    const bool numeric = type == ExprType::Integer || type == ExprType::LargeInt || type == ExprType::Float;
    if (tag->keyType == 'C' ? type != ExprType::String : !numeric)
        return fail(label + QStringLiteral("Invalid index type: can only be string or float."));
    if (!loadTree(*tag))
        return false;
    m_tags.push_back(std::move(tag));
    return true;
}

bool TIndexFile::loadTree(Tag& tag)
{
    int leafLevel = -1;
    if (!loadPage(tag, tag.rootPage, 0, leafLevel))
        return false;
    tag.levels = leafLevel + 1;
    return true;
}

// Depth first from the root; a page reached twice (a loop, or two parents) ends the walk.
bool TIndexFile::loadPage(const Tag& tag, quint32 number, int level, int& leafLevel)
{
    const QString label = QStringLiteral("tag %1: ").arg(QString::fromLatin1(tag.name));
    if (level >= MaxLevels)
        return fail(label + QStringLiteral("the tree is deeper than %1 levels").arg(MaxLevels));
    if (m_pages.contains(number))
        return fail(label + QStringLiteral("page %1 is reached twice").arg(number));
    const auto bytes = number < m_firstPage ? std::nullopt
                                            : readBytes(qint64(number) * BlockSize, tag.geometry.pageSize);
    if (!bytes)
        return fail(label + QStringLiteral("page %1 lies outside the file").arg(number));
    auto parsed = IndexPage::parse(*bytes, tag.geometry);
    if (const auto* reason = std::get_if<QString>(&parsed))
        return fail(label + QStringLiteral("page %1: ").arg(number) + *reason);
    const IndexPage page = std::get<IndexPage>(std::move(parsed));   // a copy: the hash grows below
    m_pages.insert(number, page);
    if (!page.isInner()) {
        if (leafLevel >= 0 && leafLevel != level)
            return fail(label + QStringLiteral("leaves lie on different levels"));
        leafLevel = level;
        return true;
    }
    for (int i = 0; i < page.childCount(); ++i)
        if (!loadPage(tag, page.child(i), level + 1, leafLevel))
            return false;
    return true;
}

int TIndexFile::indexOfTag(const QByteArray& name) const
{
    for (size_t i = 0; i < m_tags.size(); ++i)
        if (m_tags[i]->name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QString TIndexFile::keyText(QByteArrayView key) const
{
    return translation::decode(key.toByteArray(), m_codePage);
}

double TIndexFile::keyNumber(QByteArrayView key) const
{
    if (m_kind == Kind::Multiple)
        return numerickey::toDouble(key);
    return key.size() >= 8 ? qFromLittleEndian<double>(key.data()) : 0;
}
