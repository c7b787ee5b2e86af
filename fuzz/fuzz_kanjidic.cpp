// tolvo-mkdic's KANJIDIC reader (frequency ranks, native readings), which
// orders the partners and keeps words read as a word and a suffix.
#include "fuzzfile.h"
#include "mkdicinput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    mkdic::DictionaryBuilder builder;
    builder.addKanjidic(mkdicText(data, size));
    builder.addEdict(QStringView(kSampleEdict));
    if (!buildsCleanly(builder))
        abort();
    return 0;
}
