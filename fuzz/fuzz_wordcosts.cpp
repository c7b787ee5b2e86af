// tolvo-mkdic's word-cost table reader. A table it accepts then orders
// and filters the sample words; a refused one says which line.
#include "fuzzfile.h"
#include "mkdicinput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    mkdic::DictionaryBuilder builder;
    QString error;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!builder.addWordCosts(text, &error)) {
        if (!error.startsWith(QStringLiteral("line ")))
            abort();
        return 0;
    }
    builder.addKanjidic(QStringView(kSampleKanjidic));
    builder.addEdict(QStringView(kSampleEdict));
    if (!buildsCleanly(builder))
        abort();
    return 0;
}
