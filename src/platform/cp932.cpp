#include "platform/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <memory>

namespace cp932 {
namespace {

constexpr char16_t kInvalid = 0xFFFF;   // marks "no mapping" in the tables
constexpr char16_t kReplacement = 0xFFFD;

QString noConverterText()
{
    return QStringLiteral(u"この環境には Shift_JIS (windows-31j) の文字コード変換がありません。");
}

struct Tables {
    bool ok = false;
    QString why;
    std::array<char16_t, 256> single{};  // single-byte characters
    std::array<bool, 256> lead{};         // bytes that start a two-byte character
    std::unique_ptr<char16_t[]> pair;     // [lead << 8 | trail]
};

Tables *buildTables()
{
    auto *t = new Tables;
    t->single.fill(kInvalid);
    QStringDecoder probe("windows-31j", QStringDecoder::Flag::Stateless);
    if (!probe.isValid()) {
        t->why = noConverterText();
        return t;
    }
    t->pair.reset(new char16_t[65536]);
    std::fill_n(t->pair.get(), 65536, kInvalid);

    // One converter, reset before every probe: opening one per probe would
    // cost milliseconds at start-up.
    QStringDecoder d("windows-31j", QStringDecoder::Flag::Stateless);
    // Its error flag stays raised once set, so a probe fails by its result:
    // no code of 0x80 and above decodes to SUB or U+FFFD.
    auto decodeOne = [&d](QByteArrayView bytes, char16_t *out) {
        d.resetState();
        const QString s = d.decode(bytes);
        if (s.size() != 1)
            return false;
        *out = s[0].unicode();
        return *out != kReplacement && *out != 0x1A;
    };

    // Code page 932 keeps ASCII as it is, control codes included (the
    // platform converter swaps a few of them).
    for (int b = 0; b < 0x80; ++b)
        t->single[b] = char16_t(b);
    for (int b = 0x80; b < 256; ++b) {
        const char c = char(b);
        char16_t u;
        if (decodeOne(QByteArrayView(&c, 1), &u))
            t->single[b] = u;
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (t->single[lead] != kInvalid)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char two[2] = {char(lead), char(trail)};
            char16_t u;
            if (decodeOne(QByteArrayView(two, 2), &u)) {
                t->pair[lead << 8 | trail] = u;
                t->lead[lead] = true;
            }
        }
    }
    // Sanity check against a few well-known codes, so that a converter that
    // answered to the name but maps something else is refused loudly.
    if (t->single[0x41] != u'A' || t->pair[0x8F6F] != u'出' || t->pair[0x815F] != u'＼') {
        t->why = QStringLiteral(u"Shift_JIS (windows-31j) の文字コード変換が正しくありません。");
        return t;
    }
    t->ok = true;
    return t;
}

bool g_simulateMissing = false;

const Tables &tables()
{
    static const Tables *t = buildTables();
    if (g_simulateMissing) {
        static const Tables missing{false, noConverterText(), {}, {}, {}};
        return missing;
    }
    return *t;
}

} // namespace

bool looksUtf8(QByteArrayView bytes)
{
    bool nonAscii = false;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = uchar(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        const int more = b >= 0xF5 ? -1 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : -1;
        if (more < 0 || i + more >= bytes.size())
            return false;
        for (int k = 1; k <= more; ++k) {
            if ((uchar(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += more + 1;
    }
    return nonAscii;
}

void simulateMissingConverter(bool on)
{
    g_simulateMissing = on;
}

bool available(QString *why)
{
    const Tables &t = tables();
    if (!t.ok && why)
        *why = t.why;
    return t.ok;
}

QString decode(QByteArrayView bytes)
{
    const Tables &t = tables();
    QString out;
    if (!t.ok) {
        // Never guess another encoding: every byte is undecodable.
        out.fill(QChar(kReplacement), bytes.size());
        return out;
    }
    out.resize(bytes.size());
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    qsizetype n = 0;
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            dst[n++] = t.single[b] != kInvalid ? t.single[b] : kReplacement;
            ++p;
        } else if (t.lead[b] && p + 1 < end && t.pair[b << 8 | p[1]] != kInvalid) {
            dst[n++] = t.pair[b << 8 | p[1]];
            p += 2;
        } else {
            // An undecodable lead byte takes only itself; its neighbour is
            // read again on its own.
            dst[n++] = t.single[b] != kInvalid ? t.single[b] : kReplacement;
            ++p;
        }
    }
    out.truncate(n);
    return out;
}

namespace {

// Unicode -> code page 932, built on first use from the platform converter
// (only the writers need it, never start-up). 0 marks "no code".
const quint16 *encodeTable()
{
    static const std::unique_ptr<quint16[]> table = [] {
        std::unique_ptr<quint16[]> t(new quint16[65536]());
        QStringEncoder enc("windows-31j", QStringEncoder::Flag::Stateless);
        for (int u = 0x80; u < 0x10000; ++u) {
            if (u >= 0xD800 && u < 0xE000)
                continue;
            const char16_t c = char16_t(u);
            enc.resetState();
            const QByteArray b = enc.encode(QStringView(&c, 1));
            // A substitute never decodes back to the character itself.
            if (b.isEmpty() || b.size() > 2 || decode(b) != QStringView(&c, 1))
                continue;
            t[u] = b.size() == 1 ? quint8(b[0]) : quint16(quint8(b[0]) << 8 | quint8(b[1]));
        }
        return t;
    }();
    return table.get();
}

} // namespace

bool encode(QStringView text, QByteArray *out, QString *badChar)
{
    out->clear();
    if (!available())
        return false;
    const quint16 *table = encodeTable();
    out->reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            out->append(char(u));
            continue;
        }
        const quint16 code = table[u];
        if (code == 0) {
            if (badChar)
                *badChar = text.mid(i, text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1).toString();
            out->clear();
            return false;
        }
        if (code > 0xFF)
            out->append(char(code >> 8));
        out->append(char(code & 0xFF));
    }
    return true;
}

} // namespace cp932
