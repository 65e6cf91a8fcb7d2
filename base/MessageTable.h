#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

enum class Language { English, Japanese };

// The numbered texts of every caption, menu, status text and message box, in English and Japanese.
// Rows holding "*" in both languages are spacers that nothing shows.
class MessageTable
{
public:
    // The table compiled into the program (":/messages.tsv"); language from the system UI language
    // (QLocale::system().uiLanguages(): Japanese when the first entry starts with "ja", else
    // English).
    static MessageTable &instance();

    // A number outside the table is a programming error: fatal in debug builds; with NDEBUG it is
    // logged as critical and the text is "*".
    QString text(int number) const; // active language
    QString text(int number, Language language) const;
    bool contains(int number) const;
    QList<int> numbers() const; // sorted
    Language language() const;
    void setLanguage(Language language); // tests and start-up use this

    // Parse a table from TSV text, one row per line: NUMBER<TAB>ENGLISH<TAB>JAPANESE (UTF-8).
    // Returns false and an error text naming the line on a malformed line: not exactly three
    // fields, a number that is not a 16-bit decimal, a repeated number or an empty text.
    static bool parse(const QByteArray &tsv, QHash<int, QPair<QString, QString>> &rows,
                      QString *error);

private:
    MessageTable();
    QHash<int, QPair<QString, QString>> m_rows;
    Language m_language = Language::English;
};

// Shorthand for MessageTable::instance().text(number).
QString msg(int number);
// The same with each sentence but the last ending its line, for narrow wrapped labels: left to
// itself the layout may break a Japanese sentence before its last kana and leave it alone on a
// line.
QString msgLines(int number);
