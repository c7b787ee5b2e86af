#include "ui/helpdocument.h"
#include "platform/textfile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocumentFragment>

#include <algorithm>
#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

// No help file comes near this; anything larger is not ours.
constexpr qint64 kMaxHelpFileSize = 16 * 1024 * 1024;

QString plainText(const QString &html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText();
}

} // namespace

QStringList HelpDocument::queryWords(const QString &query)
{
    QString spaced = query;
    spaced.replace(QChar(0x3000), u' ');
    return spaced.split(u' ', Qt::SkipEmptyParts);
}

HelpDocument HelpDocument::parse(const QString &html)
{
    static const QRegularExpression token(
        uR"(<title\b[^>]*>(?<title>.*?)</title\s*>)"
        uR"(|<h(?<level>[1-3])\b[^>]*>(?<heading>.*?)</h\k<level>\s*>)"
        uR"(|<!--(?<comment>.*?)-->)"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression anchorAttribute(
        uR"(\b(?:name|id)\s*=\s*["']([^"']+)["'])"_s, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression keywordComment(
        uR"(^\s*keywords\s*:(.*)$)"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression keywordSeparator(u"[;；]"_s);

    HelpDocument document;
    document.html = html;
    QList<qsizetype> topicStarts;
    QString currentAnchor;

    auto it = token.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (match.hasCaptured(u"title"_s)) {
            if (document.title.isEmpty())
                document.title = plainText(match.captured(u"title"_s)).simplified();
        } else if (match.hasCaptured(u"heading"_s)) {
            // A heading without an anchor cannot be jumped to: it stays part
            // of the topic before it.
            const QRegularExpressionMatch anchor = anchorAttribute.match(match.captured(0));
            if (!anchor.hasMatch())
                continue;
            HelpTopic topic;
            topic.anchor = anchor.captured(1);
            topic.title = plainText(match.captured(u"heading"_s)).simplified();
            topic.level = match.captured(u"level"_s).toInt();
            document.topics.append(topic);
            topicStarts.append(match.capturedStart());
            currentAnchor = topic.anchor;
        } else {
            // Comments are skipped whole, so a heading written inside one
            // makes no topic; only a keyword comment means something.
            const QRegularExpressionMatch keywords = keywordComment.match(match.captured(u"comment"_s));
            if (!keywords.hasMatch())
                continue;
            const QStringList words = keywords.captured(1).split(keywordSeparator);
            for (const QString &word : words) {
                const QString keyword = word.simplified();
                if (!keyword.isEmpty())
                    document.keywords.append({keyword, currentAnchor});
            }
        }
    }
    for (qsizetype i = 0; i < document.topics.size(); ++i) {
        const qsizetype end = i + 1 < topicStarts.size() ? topicStarts[i + 1] : html.size();
        document.topics[i].text = plainText(html.mid(topicStarts[i], end - topicStarts[i]));
    }
    return document;
}

bool HelpDocument::load(const QString &path, HelpDocument *document, QString *reason)
{
    const QFileInfo info(path);
    if (path.isEmpty()) {
        *reason = u"ファイル名が指定されていません。"_s;
        return false;
    }
    if (!info.exists()) {
        *reason = u"ファイルが見つかりません。"_s;
        return false;
    }
    if (info.isDir()) {
        *reason = u"ファイルではなくフォルダーです。"_s;
        return false;
    }
    // Opened so that a FIFO or a device in its place is refused rather
    // than waited on or read without end.
    QByteArray bytes;
    textfile::FileError error;
    switch (textfile::readBytes(path, kMaxHelpFileSize, &bytes, &error)) {
    case textfile::ReadStatus::Done:
    case textfile::ReadStatus::Stopped:
        break;
    case textfile::ReadStatus::TooLarge:
        *reason = u"ファイルが大きすぎます。"_s;
        return false;
    case textfile::ReadStatus::OpenFailed:
        *reason = error.number == EACCES || error.number == EPERM ? u"ファイルへのアクセスが拒否されました。"_s
                  : error.number == EINVAL                        ? error.description
                                                                  : u"ファイルを読み込めません。"_s;
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString html = decoder.decode(bytes);
    HelpDocument parsed;
    if (!decoder.hasError())
        parsed = parse(html);
    if (decoder.hasError() || parsed.topics.isEmpty()) {
        *reason = u"このヘルプ ビューアーで読める形式のファイルではありません。"_s;
        return false;
    }
    *document = parsed;
    return true;
}

QStringList HelpDocument::search(const QString &query) const
{
    const QStringList words = queryWords(query);
    QStringList anchors;
    if (words.isEmpty())
        return anchors;
    for (const HelpTopic &topic : topics) {
        const bool all = std::all_of(words.begin(), words.end(), [&](const QString &word) {
            return topic.text.contains(word, Qt::CaseInsensitive);
        });
        if (all)
            anchors.append(topic.anchor);
    }
    return anchors;
}

const HelpTopic *HelpDocument::topic(const QString &anchor) const
{
    for (const HelpTopic &t : topics) {
        if (t.anchor == anchor)
            return &t;
    }
    return nullptr;
}
