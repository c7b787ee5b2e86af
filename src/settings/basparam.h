#pragma once
#include "platform/prompts.h"
#include "platform/value.h"

#include <QString>
#include <QStringList>

// The settings and the search history: seven keyed settings with their
// defaults, the history insertion rule, and the settings file reader and
// writer. Whoever starts the run owns the run's store and hands it to the
// window; callers go through the basParam entry points below.
//
// The history holds only the slots that have ever been filled: a capacity
// read from the file may be 2147483647, and every slot past slotCount() is
// free (empty letters and result) without taking memory.
class SettingsStore
{
public:
    // Before setDefaults() every value is zero, false or empty, with no slots.
    SettingsStore() = default;

    // History true, HistNum 6, slot 1 "続家版露身発" / "出", the font defaults.
    void setDefaults();

    // Keys compared exactly. "HistString"/"RestString" take a slot number
    // (index 0 gives empty text; any other index outside 1..HistNum throws
    // RuntimeError OutOfRange, so with capacity 0 even slot 1 throws).
    // Unknown keys give the empty value.
    Value get(const QString &key, qint32 index) const;
    // "History", "HistNum", "FontName", "FontSize", "FontColor" store the
    // converted value (RuntimeError TypeMismatch / Overflow leaves it
    // unchanged); "HistString" inserts a history entry "letters,result"
    // (InvalidArgument without ",", OutOfRange at capacity 0); anything else
    // does nothing. "HistNum" takes no negative value (InvalidArgument) and
    // drops the slots beyond the new capacity.
    void set(const QString &key, qint32 index, const Value &value);

    // Defaults, then the file over them; false when it cannot be opened.
    // Lines end at CR, LF or CR LF. The file is read as Shift_JIS unless it
    // is clearly UTF-8 (an editor's); save() writes Shift_JIS either way.
    bool load(const QString &path);
    // Rewrites the file whole: replaced atomically, or rewritten in place
    // when its folder takes no new file. A failed attempt, running out of
    // memory included, asks Retry/Cancel through prompts. False when the user cancelled; the previous file
    // then stands byte for byte. Without a code page 932 converter, which
    // no retry can cure, it reports once (OK only) and returns false. A character code page 932 cannot hold, or a CR
    // or LF inside a value, is written as "〓" (U+3013), never as a silent "?".
    bool save(const QString &path, Prompts &prompts) const;

    // Typed views for callers that need no conversion.
    bool history() const { return m_history; }
    qint32 histNum() const { return m_histNum; }
    // Slots held, never more than histNum(); every later slot is free, so
    // a caller listing the history need not walk further than this.
    qsizetype slotCount() const { return m_letters.size(); }
    QString letters(qsizetype slot) const;   // 1-based; empty beyond the slots
    QString result(qsizetype slot) const;
    QString fontName() const { return m_fontName; }
    qint32 fontSize() const { return m_fontSize; }
    QString fontColor() const { return m_fontColor; }

private:
    void insertHistory(const QString &entry);
    void setCapacity(qint32 capacity);
    void applyFileLine(QStringView line, qint64 *histLines);
    QByteArray fileBytes() const;   // empty without a code page 932 converter

    bool m_history = false;
    qint32 m_histNum = 0;
    QStringList m_letters;   // slot i is element i - 1; size <= m_histNum
    QStringList m_results;
    QString m_fontName;
    qint32 m_fontSize = 0;
    QString m_fontColor;
};

// The history entry of a search: the letters in box order without
// separator, ",", the answer.
QString historyEntryText(const QStringList &boxTexts, const QString &answer);

namespace basParam {

// The settings module's entry points, each on the store it is given.
// LoadParams: defaults, then the file at path over them; false when it
// cannot be opened. SaveParams: the whole file anew (see save()).
inline bool LoadParams(SettingsStore &store, const QString &path) { return store.load(path); }
inline bool SaveParams(const SettingsStore &store, const QString &path, Prompts &prompts)
{
    return store.save(path, prompts);
}
inline Value GetParam(const SettingsStore &store, const QString &key, qint32 index) { return store.get(key, index); }
inline void SetParam(SettingsStore &store, const QString &key, qint32 index, const Value &value)
{
    store.set(key, index, value);
}

} // namespace basParam
