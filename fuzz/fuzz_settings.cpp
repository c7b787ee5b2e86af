// The settings file reader, and the writer on whatever it read. Reading
// trims before it cuts letters to six, so a cut can leave a trailing space
// that the next read trims: from the second write on, the bytes must stay.
#include "fuzzfile.h"
#include "settings/basparam.h"

#include <cstdlib>

namespace {

QByteArray saved(const SettingsStore &store, const QString &path)
{
    SilentPrompts prompts;
    if (!basParam::SaveParams(store, path, prompts))
        abort();   // a plain scratch file must always be writable
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        abort();
    return f.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = scratchFile("tolvo-fuzz-ini", data, size);
    const QString output = input + QStringLiteral(".out");
    SettingsStore first;
    if (!basParam::LoadParams(first, input))
        abort();
    if (first.slotCount() > first.histNum() || first.fontSize() < 1 || first.fontSize() > 99)
        abort();
    saved(first, output);
    SettingsStore second;
    basParam::LoadParams(second, output);
    const QByteArray twice = saved(second, output);
    SettingsStore third;
    basParam::LoadParams(third, output);
    if (saved(third, output) != twice)
        abort();
    return 0;
}
