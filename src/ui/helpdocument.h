#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// tolvo.hlp is HTML in UTF-8. Each topic is a heading (h1 to h3) carrying
// an anchor, <h2><a name="search">…</a></h2>; the keywords of the index
// follow the heading they belong to in a comment,
// <!-- keywords: 検索; Ctrl+F -->, separated by ";".
struct HelpTopic
{
    QString anchor;
    QString title;
    int level = 1;
    QString text; // plain text of the topic, heading included, for the search
};

struct HelpKeyword
{
    QString keyword;
    QString anchor;
};

struct HelpDocument
{
    QString title;
    QString html;
    QList<HelpTopic> topics;
    QList<HelpKeyword> keywords; // in file order

    static HelpDocument parse(const QString &html);

    // Reads and parses path. On failure returns false and puts the reason,
    // a Japanese sentence, into *reason.
    static bool load(const QString &path, HelpDocument *document, QString *reason);

    // Anchors of the topics whose text holds every word of query (words
    // separated by spaces, full-width ones too; letter case ignored).
    QStringList search(const QString &query) const;

    const HelpTopic *topic(const QString &anchor) const;

    // The words of a query: split at spaces, full-width ones too.
    static QStringList queryWords(const QString &query);
};
