// A paste into a letter box of an offscreen main window, through Ctrl+V:
// the first byte picks the box, the rest is the clipboard text (UTF-8).
// The letters fill that box and the ones after it, one each; a paste of
// two letters or more empties the boxes after its last; the boxes before
// it keep theirs, and text without a letter changes nothing.
#include "dictionary/dictionary.h"
#include "search/letters.h"
#include "settings/basparam.h"
#include "ui/frmmain.h"
#include "ui/letterbox.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <cstdlib>

namespace {

struct Window {
    SilentPrompts prompts;
    DictionaryStore dictionary;
    SettingsStore settings;
    frmMain *window;
    QList<LetterBox *> boxes;

    Window()
    {
        dictionary.append(u"出続家");
        settings.setDefaults();
        window = new frmMain(prompts, dictionary, settings, QStringLiteral("/nonexistent/tolvo.ini"));
        for (int i = 0; i < kLetterBoxCount; ++i)
            boxes.append(window->findChild<LetterBox *>(QStringLiteral("txtLetter_") + QString::number(i)));
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);   // for the whole run
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Window w;
    if (size == 0)
        return 0;
    const int at = data[0] % kLetterBoxCount;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString before = QStringLiteral(u"続家版露身発");
    for (int i = 0; i < kLetterBoxCount; ++i)
        w.boxes[i]->setText(before.mid(i, 1));
    QGuiApplication::clipboard()->setText(text);
    QTest::keySequence(w.boxes[at], QKeySequence::Paste);
    QCoreApplication::processEvents();

    const QString letters = puzzleLetters(text);
    for (int i = 0; i < kLetterBoxCount; ++i) {
        QString expected = before.mid(i, 1);
        if ((letters.size() == 1 && i == at) || (letters.size() > 1 && i >= at))
            expected = letters.mid(i - at, 1);
        if (w.boxes[i]->text() != expected)
            abort();
    }
    return 0;
}
