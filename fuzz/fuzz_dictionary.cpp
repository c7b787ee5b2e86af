// The dictionary reader and a search over whatever it kept.
#include "dictionary/dictionary.h"
#include "fuzzfile.h"
#include "search/searchengine.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SearchEngine engine;
    DictionaryStore store;
    const QString path = scratchFile("tolvo-fuzz-dic", data, size);
    if (readDictionaryFile(path, store) != DictionaryLoad::Loaded)
        return 0;
    for (qint32 n = 1; n <= store.lineCount(); ++n) {
        const QString line = std::get<QString>(GetDictionaryValue(store, QStringLiteral("Kanji"), n));
        if (line.size() < 2 || line[0] == u' ')
            abort();
    }
    // Letters taken from the kept lines themselves, so that some match.
    QStringList letters;
    for (qint32 n = 1; n <= store.lineCount() && letters.size() < kLetterBoxCount; n += 7)
        letters.append(store.line(n).left(1));
    FixedLetters hooks(letters);
    const SearchResult r = engine.run(store, hooks);
    if (r.hasAnswer() && r.candidates[r.answerIndex].hits < r.activeLetterCount)
        abort();
    return 0;
}
