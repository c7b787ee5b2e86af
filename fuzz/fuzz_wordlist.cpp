// The tolvo.words reader and its look-ups, on pairs taken from the input so
// that some are listed: a word found is always the two kanji asked for.
#include "fuzzfile.h"
#include "search/wordlist.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    WordList words;
    if (!words.load(scratchFile("tolvo-fuzz-words", data, size)))
        abort();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (qsizetype i = 0; i + 1 < text.size() && i < 64; ++i) {
        const QChar a = text[i];
        const QChar b = text[i + 1];
        const std::optional<WordList::Word> either = words.find(a, b);
        const std::optional<WordList::Word> inOrder = words.findInOrder(a, b);
        if (words.contains(a, b) != inOrder.has_value() || (inOrder && !either))
            abort();
        if (either && either->spelling != QString(a) + b && either->spelling != QString(b) + a)
            abort();
        if (inOrder && (inOrder->spelling != QString(a) + b || inOrder->readings.contains(u'\n')))
            abort();
    }
    return 0;
}
