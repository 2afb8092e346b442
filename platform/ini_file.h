// Ini file with the rules of the Windows profile API: sections and keys match without case, keys keep their
// blanks, values are the text after the first "=" with surrounding blanks removed, integers are decimal or
// "0x" hex (anything else gives the default), booleans are written "1"/"0" and read as integer != 0.
// Unknown sections and keys are kept when the file is rewritten; new keys go to the end of their section.
// Changes stay in memory until updateFile(), which writes the whole file atomically (CR LF line ends).
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class IniFile {
public:
    // Reads fileName when it exists (decoded as text files are, see text_file.h); a missing file is empty.
    explicit IniFile(const QString& fileName);

    const QString& fileName() const { return m_fileName; }

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList sectionKeys(const QString& section) const;          // keys in file order
    QStringList sectionValues(const QString& section) const;        // "key=value" lines in file order
    void eraseSection(const QString& section);
    void deleteKey(const QString& section, const QString& key);

    // Writes the whole file atomically. On failure returns false, leaves the old file and sets *error; a file
    // that existed but could not be read is never overwritten.
    bool updateFile(QString* error = nullptr) const;

private:
    struct Entry {
        QString key;     // empty for a line that is not "key=value" (kept as raw text)
        QString value;
        QString raw;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
        QString heading;           // the "[name]" line as written
        bool hasHeading = false;   // false only for the lines before the first heading
        QHash<QString, size_t> keyIndex;   // case-folded key -> its first entry, so a big section stays linear

        void append(Entry entry);
        const Entry* find(const QString& key) const;
        Entry* find(const QString& key);
        void insertKey(const QString& key, const QString& value);
        void removeKey(const QString& key);
        void indexFirst(const QString& key, size_t position);
    };

    const Section* findSection(const QString& name) const;
    Section* findSection(const QString& name);
    const Entry* findEntry(const QString& section, const QString& key) const;

    QString m_fileName;
    QString m_readError;   // why an existing file could not be read
    std::vector<Section> m_sections;
};
