#include "settings/basparam.h"
#include "platform/cp932.h"
#include "platform/datafile.h"
#include "platform/runtimeerror.h"
#include "platform/textfile.h"
#include "platform/windowsfonts.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <new>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString kDefaultLetters = u"続家版露身発"_s;
const QString kDefaultResult = u"出"_s;
const QString kDefaultFontName = pGothicFace();
const QString kDefaultFontColor = u"000000000"_s;
constexpr qint32 kDefaultHistNum = 6;
constexpr qint32 kDefaultFontSize = 24;

enum class FileKey { None, History, HistNum, HistString, FontName, FontSize, FontColor };

// Keys in the file match in any letter case. ASCII folding only, so that no
// other script's case rules can turn some other word into a key.
FileKey fileKey(QStringView key)
{
    static const struct { QStringView name; FileKey key; } keys[] = {
        {u"HISTORY", FileKey::History},   {u"HISTNUM", FileKey::HistNum},
        {u"HISTSTRING", FileKey::HistString}, {u"FONTNAME", FileKey::FontName},
        {u"FONTSIZE", FileKey::FontSize}, {u"FONTCOLOR", FileKey::FontColor},
    };
    for (const auto &k : keys) {
        if (k.name.size() != key.size())
            continue;
        bool same = true;
        for (qsizetype i = 0; same && i < key.size(); ++i) {
            char16_t c = key[i].unicode();
            if (c >= u'a' && c <= u'z')
                c -= u'a' - u'A';
            same = c == k.name[i].unicode();
        }
        if (same)
            return k.key;
    }
    return FileKey::None;
}

// One line of the file in code page 932 with CR LF. A character the code
// page cannot hold, or a CR or LF that would split the line when read back,
// becomes the geta mark "〓", the customary stand-in, rather than the
// converter's silent "?". False only when there is no converter at all.
bool encodeForFile(QStringView line, QByteArray *out)
{
    if (!line.contains(u'\r') && !line.contains(u'\n') && textfile::encodeLine(line, out))
        return true;
    QString fixed;
    fixed.reserve(line.size());
    QHash<char32_t, bool> encodable;
    QByteArray scratch;
    for (qsizetype i = 0; i < line.size();) {
        const bool pair = line[i].isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate();
        const QStringView ch = line.mid(i, pair ? 2 : 1);
        const char32_t code = pair ? QChar::surrogateToUcs4(line[i], line[i + 1]) : line[i].unicode();
        auto it = encodable.constFind(code);
        if (it == encodable.constEnd())
            it = encodable.insert(code, code != U'\r' && code != U'\n' && cp932::encode(ch, &scratch));
        if (*it)
            fixed += ch;
        else
            fixed += u'〓';
        i += ch.size();
    }
    return textfile::encodeLine(fixed, out);
}

// One attempt at the whole file. Each attempt starts afresh, so Retry
// rewrites every line once more, and the old file stands until the new
// one is complete. The per-user settings folder is made on the first save
// that needs it.
bool writeFile(const QString &path, QByteArrayView bytes)
{
    makeSettingsFolderFor(path);
    return textfile::saveFile(path, bytes);
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// Whether a settings file was saved as UTF-8, as a Linux editor saves it.
// The program writes Shift_JIS, as the Windows original did, so UTF-8 is
// taken only when it is clear: a byte-order mark, or every line with
// non-ASCII bytes in UTF-8's byte pattern, which Shift_JIS history lines
// practically never are. OpenFailed when the file cannot be opened.
textfile::ReadStatus savedAsUtf8(const QString &path, const textfile::ReadOptions &options, bool *utf8)
{
    bool first = true;
    bool mark = false;
    bool utf8Lines = false;
    bool otherLines = false;
    const auto onLine = [&](QByteArrayView raw) {
        if (std::exchange(first, false) && raw.startsWith(cp932::kUtf8Bom))
            mark = true;
        else if (isAscii(raw))
            return true;
        else if (cp932::looksUtf8(raw))
            utf8Lines = true;
        else
            otherLines = true;
        return !mark && !otherLines;   // settled either way
    };
    const textfile::ReadStatus status = textfile::readRawLines(path, onLine, nullptr, options);
    *utf8 = mark || (utf8Lines && !otherLines);
    return status;
}

} // namespace

void SettingsStore::setDefaults()
{
    m_history = true;
    m_histNum = kDefaultHistNum;
    m_letters = QStringList{kDefaultLetters};
    m_results = QStringList{kDefaultResult};
    m_fontName = kDefaultFontName;
    m_fontSize = kDefaultFontSize;
    m_fontColor = kDefaultFontColor;
}

QString SettingsStore::letters(qsizetype slot) const
{
    return slot >= 1 && slot <= m_letters.size() ? m_letters.at(slot - 1) : QString();
}

QString SettingsStore::result(qsizetype slot) const
{
    return slot >= 1 && slot <= m_results.size() ? m_results.at(slot - 1) : QString();
}

Value SettingsStore::get(const QString &key, qint32 index) const
{
    if (key == u"History")
        return m_history;
    if (key == u"HistNum")
        return m_histNum;
    if (key == u"HistString" || key == u"RestString") {
        if (index == 0)
            return QString();
        if (index < 1 || index > m_histNum)
            throw RuntimeError::outOfRange();
        return key == u"HistString" ? letters(index) : result(index);
    }
    if (key == u"FontName")
        return m_fontName;
    if (key == u"FontSize")
        return m_fontSize;
    if (key == u"FontColor")
        return m_fontColor;
    return {};
}

void SettingsStore::set(const QString &key, qint32 /*index*/, const Value &value)
{
    if (key == u"History") {
        m_history = toBoolean(value);
    } else if (key == u"HistNum") {
        const qint32 capacity = toInt32(value);
        if (capacity < 0)
            throw RuntimeError::invalidArgument();
        setCapacity(capacity);
    } else if (key == u"HistString") {
        insertHistory(toText(value));
    } else if (key == u"FontName") {
        m_fontName = toText(value);
    } else if (key == u"FontSize") {
        m_fontSize = toInt32(value);
    } else if (key == u"FontColor") {
        m_fontColor = toText(value);
    }
}

void SettingsStore::setCapacity(qint32 capacity)
{
    m_histNum = capacity;
    if (m_letters.size() > capacity) {
        m_letters.resize(capacity);
        m_results.resize(capacity);
    }
}

void SettingsStore::insertHistory(const QString &entry)
{
    const qsizetype comma = entry.indexOf(u',');
    if (comma < 0)
        throw RuntimeError::invalidArgument();
    if (m_histNum < 1)
        throw RuntimeError::outOfRange();

    const QString newLetters = entry.left(comma);
    QStringList letters{newLetters};
    QStringList results{entry.mid(comma + 1)};
    // Every other entry moves down behind the new one, up to HistNum - 1 of
    // them. Only held slots are walked; the free slots past them would only
    // be collected as free slots again. Slots after the last one moved are
    // left free, not with their former contents: when a hand-edited file
    // held the new letters twice, keeping them would show some entry twice.
    const qsizetype keep = qsizetype(m_histNum) - 1;
    for (qsizetype i = 0; i < m_letters.size() && letters.size() - 1 < keep; ++i) {
        if (m_letters.at(i) != newLetters) {
            letters.append(m_letters.at(i));
            results.append(m_results.at(i));
        }
    }
    while (!letters.isEmpty() && letters.constLast().isEmpty() && results.constLast().isEmpty()) {
        letters.removeLast();
        results.removeLast();
    }
    m_letters.swap(letters);
    m_results.swap(results);
}

QString historyEntryText(const QStringList &boxTexts, const QString &answer)
{
    return boxTexts.join(QString()) + u',' + answer;
}

bool SettingsStore::load(const QString &path)
{
    setDefaults();
    textfile::ReadOptions options;
    // A file saved by an editor with Unix line ends must not become one
    // long line: its settings would be lost at the next save.
    options.lfEndsLine = true;
    bool utf8 = false;
    if (savedAsUtf8(path, options, &utf8) == textfile::ReadStatus::OpenFailed)
        return false;
    qint64 histLines = 0;
    bool first = true;
    const auto onLine = [&](QByteArrayView raw) {
        if (!utf8) {
            applyFileLine(cp932::decode(raw), &histLines);
        } else {
            if (std::exchange(first, false) && raw.startsWith(cp932::kUtf8Bom))
                raw = raw.sliced(sizeof cp932::kUtf8Bom - 1);
            applyFileLine(QString::fromUtf8(raw), &histLines);
        }
        return true;
    };
    return textfile::readRawLines(path, onLine, nullptr, options) != textfile::ReadStatus::OpenFailed;
}

// A value that does not convert leaves the setting as it was; reading is
// silent and goes on with the next line.
void SettingsStore::applyFileLine(QStringView line, qint64 *histLines)
{
    qsizetype start = 0;
    while (start < line.size() && line[start] == u' ')
        ++start;
    line = line.mid(start);
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return;
    const QStringView value = line.mid(eq + 1);

    switch (fileKey(trimSpaces(line.left(eq)))) {
    case FileKey::None:
        break;
    case FileKey::History:
        try {
            m_history = toBoolean(value.toString());
        } catch (const RuntimeError &) {
        }
        break;
    case FileKey::HistNum:
        try {
            const qint32 n = parseWholeNumber(value);
            if (n != INT32_MIN)   // its absolute value has no 32-bit form
                setCapacity(qAbs(n));
        } catch (const RuntimeError &) {
        }
        break;
    case FileKey::HistString: {
        // The counter may pass HistNum and stay there; a later, larger
        // HistNum then lets the following lines in at their own numbers.
        if (++*histLines > m_histNum)
            break;
        const qsizetype comma = value.indexOf(u',');
        if (comma < 0) {
            --*histLines;
            break;
        }
        const qsizetype slot = *histLines;
        if (m_letters.size() < slot) {
            m_letters.resize(slot);
            m_results.resize(slot);
        }
        m_letters[slot - 1] = trimSpaces(value.left(comma)).left(6).toString();
        m_results[slot - 1] = trimSpaces(value.mid(comma + 1)).left(1).toString();
        break;
    }
    case FileKey::FontName:
        m_fontName = trimSpaces(value).toString();
        break;
    case FileKey::FontSize:
        try {
            m_fontSize = parseWholeNumber(value, -32768, 32767);
        } catch (const RuntimeError &) {
        }
        if (m_fontSize < 1 || m_fontSize > 99)
            m_fontSize = kDefaultFontSize;
        break;
    case FileKey::FontColor: {
        const QStringView color = trimSpaces(value);
        if (color.size() == 9)
            m_fontColor = color.toString();
        break;
    }
    }
}

QByteArray SettingsStore::fileBytes() const
{
    QList<QString> text;
    text << u'[' + ProductName() + u']' << QString();
    if (!m_history)
        text << u"History=False"_s;
    text << u"HistNum="_s + QString::number(m_histNum);
    for (qsizetype i = 0; i < m_letters.size(); ++i) {
        if (!m_letters.at(i).isEmpty())
            text << u"HistString="_s + m_letters.at(i) + u',' + m_results.at(i);
    }
    if (m_fontName != kDefaultFontName)
        text << u"FontName="_s + m_fontName;
    if (m_fontSize != kDefaultFontSize)
        text << u"FontSize="_s + QString::number(m_fontSize);
    if (m_fontColor != kDefaultFontColor)
        text << u"FontColor="_s + m_fontColor;

    QByteArray bytes;
    QByteArray line;
    for (const QString &t : std::as_const(text)) {
        if (!encodeForFile(t, &line))
            return {};
        bytes += line;
    }
    return bytes;
}

bool SettingsStore::save(const QString &path, Prompts &prompts) const
{
    bool noConverter = false;
    const auto attempt = [&] {
        try {
            const QByteArray bytes = fileBytes();
            noConverter = bytes.isEmpty();
            return !noConverter && writeFile(path, bytes);
        } catch (const std::bad_alloc &) {
            // Like a full disk: the old file stands, and memory may be
            // free again by the time the user answers Retry.
            return false;
        }
    };
    int unasked = 0;
    while (!attempt()) {
        try {
            const QString text = u"設定ファイルの書き込みに失敗しました。\n"_s
                + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
            if (noConverter) {
                // No retry can cure that, so it is said once, with why.
                QString why;
                cp932::available(&why);
                prompts.message(u"エラー"_s, text + u'\n' + why, Prompts::Icon::Error);
                return false;
            }
            if (prompts.askRetryCancel(u"エラー"_s, text) != Prompts::Answer::Retry)
                return false;
        } catch (const std::bad_alloc &) {
            // Not even the question fits: try again a few times unasked
            // before the history is given up.
            if (++unasked > 3)
                throw;
        }
    }
    return true;
}
