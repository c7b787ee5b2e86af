// Two thousand searches in a row in the real window on the shipped
// dictionary: memory stays flat, the history never repeats itself, and the
// window is idle after every search.
#include "mainwindowfixture.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <unistd.h>

namespace {

double residentMb()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void manySearches()
    {
        MainWindowFixture f;
        const QString shipped = QStringLiteral(TOLVO_BIN_DIR "/tolvo.dic");
        if (!QFile::exists(shipped))
            QSKIP("the generated dictionary is not built");
        QVERIFY(LoadDictionary(shipped, f.dictionary, f.prompts));
        ProbedMain &window = f.open();
        QAction *find = f.action(u"mnuEditFind"_s);

        // Letters drawn from the heads, with a few that head no line.
        QString heads;
        for (qint32 n = 1; n <= f.dictionary.lineCount(); n += 3)
            heads += QChar(f.dictionary.firstUnits()[n - 1]);
        heads += u"ぁ々〆"_s;
        QRandomGenerator rng(2000);
        double afterWarmUp = 0;
        for (int round = 1; round <= 2000; ++round) {
            QStringList letters;
            const int count = int(rng.bounded(7));
            for (int i = 0; i < 6; ++i)
                letters.append(i < count ? QString(heads[rng.bounded(heads.size())]) : QString());
            f.setBoxes(letters);
            find->trigger();
            f.prompts.shown.clear();

            QVERIFY(!window.isSearching());
            for (int i = 0; i < 6; ++i)
                QVERIFY(f.box(i)->isEnabled());
            QVERIFY(!f.find(u"pbrStatus"_s)->isVisibleTo(&window));
            QSet<QString> seen;
            for (qsizetype slot = 1; slot <= f.settings.slotCount(); ++slot) {
                const QString used = f.settings.letters(slot);
                QVERIFY2(used.isEmpty() || !seen.contains(used), qPrintable(used));
                seen.insert(used);
            }
            if (round == 100)
                afterWarmUp = residentMb();
        }
#ifndef __SANITIZE_ADDRESS__   // its quarantine holds freed memory on purpose
        const double grown = residentMb() - afterWarmUp;
        QVERIFY2(grown < 5.0, qPrintable(QString::number(grown) + u" MB"_s));
#else
        Q_UNUSED(afterWarmUp);
#endif
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
