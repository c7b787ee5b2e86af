// The puzzle check on a dictionary, words and puzzle taken from the input:
// lines starting with '?' are the puzzle ("letters:arrows"), lines with a
// TAB are words, the rest dictionary lines (each partner once, as tolvo-mkdic
// writes them). Every kanji the check says fits must fit every letter by
// the graph's rule, every near miss must miss exactly the letter it names,
// and every letter swap it offers must leave the answer alone.
#include "authoring/kanjigrades.h"
#include "authoring/puzzlecheck.h"
#include "authoring/puzzlegraph.h"
#include "dictionary/dictionary.h"
#include "search/wordlist.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    DictionaryStore dictionary;
    QString words;
    Puzzle puzzle;
    for (const QString &line : text.split(u'\n')) {
        if (line.startsWith(u'?')) {
            const QString body = line.mid(1);
            const qsizetype colon = body.indexOf(u':');
            puzzle = Puzzle::fromLetters(colon < 0 ? body : body.left(colon));
            const auto arrows = parseArrows(colon < 0 ? QString() : body.mid(colon + 1));
            for (qsizetype i = 0; arrows && i < arrows->size() && i < Puzzle::kBoxes; ++i)
                puzzle.arrows[size_t(i)] = (*arrows)[i];
        } else if (line.contains(u'\t')) {
            words += line + u'\n';
        } else if (line.size() >= 2) {
            QString kept(line[0]);
            for (QChar c : QStringView(line).sliced(1))
                if (!kept.sliced(1).contains(c))
                    kept += c;
            if (kept.size() >= 2)
                dictionary.append(kept);
        }
    }
    WordList list;
    list.loadText(words);
    const PuzzleGraph graph(dictionary, list);
    const KanjiGrades grades;
    const authoring::PuzzleCheck check = authoring::checkPuzzle(graph, grades, puzzle);
    // Only a dictionary with one line a head counts each partner once a letter.
    QString heads;
    for (qint32 n = 1; n <= dictionary.lineCount(); ++n) {
        if (heads.contains(dictionary.lineView(n)[0]))
            return 0;
        heads += dictionary.lineView(n)[0];
    }
    const auto fitsAll = [&](const Puzzle &p, QChar kanji, int skip) {
        for (int box = 0; box < Puzzle::kBoxes; ++box)
            if (box != skip && !p.letters[box].isNull() && !graph.fits(p.letters[box], p.arrows[box], kanji))
                return false;
        return true;
    };
    for (const authoring::Fitting &f : check.fitting)
        if (!fitsAll(puzzle, f.kanji, -1))
            abort();
    for (const authoring::Decoy &d : check.decoys)
        if (fitsAll(puzzle, d.kanji, -1) || !fitsAll(puzzle, d.kanji, d.missedBox))
            abort();
    for (const authoring::Replacement &r : check.replacements) {
        Puzzle swapped = puzzle;
        swapped.letters[r.box] = r.letter;
        if (authoring::fittingKanji(graph, swapped) != QString(check.answer()))
            abort();
    }
    return 0;
}
