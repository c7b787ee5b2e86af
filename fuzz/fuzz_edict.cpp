// tolvo-mkdic's EDICT reader, then the dictionary and words it builds.
#include "fuzzfile.h"
#include "mkdicinput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    mkdic::DictionaryBuilder builder;
    builder.addKanjidic(QStringView(kSampleKanjidic));
    builder.addEdict(mkdicText(data, size));
    if (!buildsCleanly(builder))
        abort();
    return 0;
}
