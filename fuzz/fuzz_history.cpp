// A run of history insertions read from the input, one entry per line; a
// line starting with '#' sets the capacity. Searches alone never put the
// same letters in two slots, and the store never holds more slots than its
// capacity.
#include "platform/runtimeerror.h"
#include "settings/basparam.h"

#include <QSet>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SettingsStore store;
    store.setDefaults();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &line : text.split(u'\n')) {
        try {
            if (line.startsWith(u'#'))
                basParam::SetParam(store, QStringLiteral("HistNum"), 0, Value(line.mid(1, 3)));
            else
                basParam::SetParam(store, QStringLiteral("HistString"), 0, Value(line));
        } catch (const RuntimeError &) {
            // Rejected entries and capacities leave the store as it was.
        }
        if (store.slotCount() > store.histNum())
            abort();
        QSet<QString> seen;
        for (qsizetype slot = 1; slot <= store.slotCount(); ++slot) {
            const QString letters = store.letters(slot);
            if (letters.isEmpty())
                continue;
            if (seen.contains(letters))
                abort();
            seen.insert(letters);
        }
    }
    return 0;
}
