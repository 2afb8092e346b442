// The preferences dialog's model: see preferences_model.h.

#include "core/preferences/preferences_model.h"

#include "core/settings/accounts.h"
#include "core/settings/settings_fields.h"
#include "core/settings/settings_file.h"
#include "core/base/text_helpers.h"
#include "core/settings/status_codes.h"

#include "platform/program_folder.h"
#include "platform/string_list.h"
#include "platform/text_file.h"

#include <QSet>

#include <algorithm>

namespace {

using Field = LineField<tAccountObj>;

// The account fields of the grid columns, in column order (no INI keys: the grid is no file).
constexpr Field accountGridFields[AccountColumnCount] = {
    {nullptr, &tAccountObj::Name},      {nullptr, &tAccountObj::UserID},   {nullptr, &tAccountObj::ReturnAddress},
    {nullptr, &tAccountObj::ReplyTo},   {nullptr, &tAccountObj::SMTPServer}, {nullptr, &tAccountObj::SMTPPort},
    {nullptr, &tAccountObj::MailDomain}, {nullptr, &tAccountObj::PopServer}, {nullptr, &tAccountObj::PopPort},
    {nullptr, &tAccountObj::Password},  {nullptr, &tAccountObj::Authen},   {nullptr, &tAccountObj::AuName},
    {nullptr, &tAccountObj::auPsw},     {nullptr, &tAccountObj::MaskSMTP}, {nullptr, &tAccountObj::MaskPop3},
};

// Columns the placeholder gives a new account when the user starts typing into it.
constexpr int placeholderTextColumns = PasswordColumn + 1;

// Unlike the folder helpers elsewhere, an empty path stays empty: it means "not chosen".
QString pathWithSeparator(const QString& path)
{
    return path.isEmpty() || path.endsWith('/') ? path : path + '/';
}

QString defaultCharSet()
{
    return DefaultIniInfoValues().CharSet;
}

}  // namespace

QStringList accountCells(const tAccountObj& account)
{
    QStringList cells;
    for (const Field& field : accountGridFields) {
        if (field.text)
            cells.append(account.*field.text);
        else if (field.number)
            cells.append(QString::number(account.*field.number));
        else
            cells.append(flagField(account.*field.flag));
    }
    return cells;
}

std::unique_ptr<tAccountObj> accountFromCells(const QStringList& cells)
{
    auto account = std::make_unique<tAccountObj>();
    const tAccountObj& placeholder = *Accounts.DefaultAccount();
    for (int column = 0; column < AccountColumnCount; ++column) {
        const Field& field = accountGridFields[column];
        const QString cell = trimBlanks(cells.value(column));
        if (field.text) {
            account.get()->*field.text = cutText(cell, TextLength::Short);
        } else if (field.number) {
            bool isNumber = false;
            const int value = cell.toInt(&isNumber, 10);
            account.get()->*field.number = isNumber ? value : placeholder.*field.number;
        } else {
            account.get()->*field.flag = readFlagField(cells.value(column));
        }
    }
    return account;
}

QStringList fontCharsetNames()
{
    // In the order of their character-set numbers (0, 1, 2, 77, 128, ... 255).
    return {
        QStringLiteral("ANSI_CHARSET"),        QStringLiteral("DEFAULT_CHARSET"),
        QStringLiteral("SYMBOL_CHARSET"),      QStringLiteral("MAC_CHARSET"),
        QStringLiteral("SHIFTJIS_CHARSET"),    QStringLiteral("HANGEUL_CHARSET"),
        QStringLiteral("JOHAB_CHARSET"),       QStringLiteral("GB2312_CHARSET"),
        QStringLiteral("CHINESEBIG5_CHARSET"), QStringLiteral("GREEK_CHARSET"),
        QStringLiteral("TURKISH_CHARSET"),     QStringLiteral("HEBREW_CHARSET"),
        QStringLiteral("ARABIC_CHARSET"),      QStringLiteral("BALTIC_CHARSET"),
        QStringLiteral("RUSSIAN_CHARSET"),     QStringLiteral("THAI_CHARSET"),
        QStringLiteral("EASTEUROPE_CHARSET"),  QStringLiteral("OEM_CHARSET"),
    };
}

QStringList charsetChoices(SettingsScope scope)
{
    QStringList items;
    const QString path = shippedFilePath(QStringLiteral("charset.txt"));
    if (!path.isEmpty()) {
        for (const QString& line : splitLines(readTextFile(path).value_or(QString())))   // unreadable: none
            if (!trimBlanks(line).isEmpty())
                items.append(line);
    }
    if (items.isEmpty() && scope == SettingsScope::Default)
        items = fontCharsetNames();
    return items;
}

QStringList statusCodeChoices()
{
    if (StatusCodes.isEmpty()) {
        for (const QString& line : standardStatusCodeLines())
            StatusCodes.add(line);
    }
    StringList items;
    items.setDuplicates(StringList::Duplicates::Accept);
    items.setSorted(true);
    for (const QString& line : StatusCodes.toStringList()) {
        if (line.isEmpty())
            continue;
        items.add(line.startsWith('+') || line.startsWith('-') ? line.mid(1) : line);
    }
    return items.toStringList();
}

QList<bool> ticksForCodes(const QStringList& items, const QString& codes)
{
    const QStringList codeList = splitTextItems(';', codes);
    const QSet<QString> picked(codeList.begin(), codeList.end());
    QList<bool> ticks;
    for (const QString& item : items)
        ticks.append(picked.contains(item.left(3)));
    return ticks;
}

QString codesFromTicks(const QStringList& items, const QList<bool>& ticks)
{
    QStringList codes;
    for (int i = 0; i < items.size(); ++i)
        if (ticks.value(i))
            codes.append(items[i].left(3));
    return codes.join(';');
}

TIniInfo& settingsOfScope(SettingsScope scope)
{
    return scope == SettingsScope::Default ? DefaultIniInfo : ProjectIniInfo;
}

PreferencesModel::PreferencesModel(SettingsScope scope)
    : m_scope(scope),
      m_record(settingsOfScope(scope)),
      m_grid(AccountColumnCount, 2),
      m_charsetItems(charsetChoices(scope)),
      m_statusCodeItems(statusCodeChoices())
{
    if (m_record.CharSet.isEmpty())
        m_record.CharSet = defaultCharSet();
    m_record.PathPro = pathWithSeparator(m_record.PathPro);
    loadAccounts();
}

void PreferencesModel::loadAccounts()
{
    m_noAccount = Accounts.Count() == 0;
    m_grid.setRowCount(std::max(Accounts.Count(), 1) + 1);
    if (m_noAccount)
        showPlaceholderRow();
    for (int i = 0; i < Accounts.Count(); ++i)
        m_grid.setRowCells(i + 1, accountCells(*Accounts.Items(i)));
    const int wanted = m_record.NConnect + 1;
    m_selectedRow = m_record.NConnect >= 0 && wanted < m_grid.rowCount() ? wanted : 1;
}

int PreferencesModel::appendRow()
{
    m_grid.insertRows(m_grid.rowCount());
    return m_grid.rowCount() - 1;
}

void PreferencesModel::selectRow(int row)
{
    if (row >= 1 && row < m_grid.rowCount())
        m_selectedRow = row;
}

QStringList PreferencesModel::shownAccount() const
{
    return m_noAccount ? accountCells(*Accounts.DefaultAccount()) : m_grid.rowCells(m_selectedRow);
}

void PreferencesModel::editCell(int column, const QString& text)
{
    if (m_noAccount) {
        const QStringList placeholder = shownAccount();
        m_noAccount = false;
        for (int c = 0; c < placeholderTextColumns; ++c)
            m_grid.setCell(c, m_selectedRow, placeholder[c]);
    }
    m_grid.setCell(column, m_selectedRow, text);
}

void PreferencesModel::setFlagCell(int column, bool on)
{
    m_grid.setCell(column, m_selectedRow, flagField(on));
}

void PreferencesModel::newProfile()
{
    if (!m_noAccount)
        m_selectedRow = appendRow();
    m_grid.setRowCells(m_selectedRow, accountCells(*Accounts.DefaultAccount()));
    m_noAccount = false;
}

void PreferencesModel::copyProfile()
{
    if (m_noAccount) {
        newProfile();
        return;
    }
    const QStringList cells = m_grid.rowCells(m_selectedRow);
    m_selectedRow = appendRow();
    m_grid.setRowCells(m_selectedRow, cells);
}

void PreferencesModel::deleteProfile()
{
    if (m_noAccount)
        return;
    if (m_grid.rowCount() > 2) {
        m_grid.removeRows(m_selectedRow);
        m_selectedRow = std::min(m_selectedRow, m_grid.rowCount() - 1);
        return;
    }
    m_noAccount = true;
    showPlaceholderRow();
}

// The placeholder row shows nothing of a deleted account, only the flags that the check boxes show.
void PreferencesModel::showPlaceholderRow()
{
    QStringList cells(AccountColumnCount);
    const QStringList placeholder = accountCells(*Accounts.DefaultAccount());
    for (int column : {AuthenColumn, MaskSMTPColumn, MaskPop3Column})
        cells[column] = placeholder[column];
    m_grid.setRowCells(1, cells);
}

PreferencesPageValues PreferencesModel::pageValues() const
{
    PreferencesPageValues values;
    values.charSet = m_record.CharSet;
    values.projectPath = m_record.PathPro;
    values.autoCommit = m_record.AutoCommit;
    values.autoCommitMinutes = m_record.AutoCommitT;
    values.dnsServer = m_record.DnsIP;
    values.numberConnect = m_record.NumberConnect;
    values.timeOut = m_record.TimeOut;
    values.defaultHelo = DefaultIniInfo.DefaultHelo;
    values.textHelo = DefaultIniInfo.TextHelo;
    values.pop3Identify = m_record.Pop3Identify;
    values.externalSmtp = m_record.ExternalSmtp;
    values.codeTicks = ticksForCodes(m_statusCodeItems, m_record.Codes);
    return values;
}

bool PreferencesModel::confirm(const PreferencesPageValues& values, QString* error)
{
    copyAccountsBack();
    copyPageValuesBack(values);
    // With no account the list keeps one placeholder, so NConnect always names an account.
    m_record.NConnect = m_noAccount ? 0 : m_selectedRow - 1;
    m_record.Codes = codesFromTicks(m_statusCodeItems, values.codeTicks);
    m_record.OptionsChanged = true;
    settingsOfScope(m_scope) = m_record;
    return SaveSettings(error);
}

// The users of the account in use need one; an empty list would leave them with none.
void PreferencesModel::copyAccountsBack() const
{
    Accounts.Clear();
    if (m_noAccount) {
        Accounts.Add(std::make_unique<tAccountObj>(*Accounts.DefaultAccount()));
        return;
    }
    for (int row = 1; row < m_grid.rowCount(); ++row)
        Accounts.Add(accountFromCells(m_grid.rowCells(row)));
}

void PreferencesModel::copyPageValuesBack(const PreferencesPageValues& values)
{
    if (!values.charSet.isEmpty())   // no choice keeps the charset in force rather than emptying it
        m_record.CharSet = values.charSet;
    m_record.PathPro = pathWithSeparator(values.projectPath);
    m_record.AutoCommit = values.autoCommit;
    m_record.AutoCommitT = values.autoCommitMinutes;
    m_record.DnsIP = values.dnsServer;
    m_record.NumberConnect = values.numberConnect;
    m_record.TimeOut = values.timeOut;
    DefaultIniInfo.DefaultHelo = m_record.DefaultHelo = values.defaultHelo;   // program-wide in both scopes
    DefaultIniInfo.TextHelo = m_record.TextHelo = values.textHelo;
    m_record.Pop3Identify = values.pop3Identify;
    m_record.ExternalSmtp = values.externalSmtp;
}
