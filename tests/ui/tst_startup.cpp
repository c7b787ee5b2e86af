// Start-up through RunApplication and the main window's unload sequence.
#include "app/runapplication.h"
#include "mainwindowfixture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A window that notes when it was closed and whether the settings were written by then.
class Witness : public QDialog
{
public:
    Witness(QWidget *owner, QStringList *log, QString settingsPath, QString name)
        : QDialog(owner), m_log(log), m_settingsPath(std::move(settingsPath))
    {
        setObjectName(name);
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        m_log->append(objectName() + (QFile::exists(m_settingsPath) ? u" after save"_s : u" before save"_s));
        QDialog::closeEvent(event);
    }

private:
    QStringList *m_log;
    QString m_settingsPath;
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void noDictionaryNoWindow_data();
    void noDictionaryNoWindow();
    void firstRunWithDefaults();
    void savedStateComesBack();
    void unloadClosesOtherWindowsFirst();

private:
    QTemporaryDir *dir = nullptr;
    std::unique_ptr<QTemporaryDir> holder;
    StartupFiles files;
};

void TestStartup::init()
{
    holder = std::make_unique<QTemporaryDir>();
    dir = holder.get();
    files = {dir->filePath(u"tolvo.dic"_s), dir->filePath(u"tolvo.ini"_s)};
    files.data.help = dir->filePath(u"tolvo.hlp"_s);
    files.data.words = dir->filePath(u"tolvo.words"_s);
}

void TestStartup::noDictionaryNoWindow_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("dictionary");
    QTest::addColumn<bool>("withSettings");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing, settings file kept") << false << QByteArray() << true
                                                 << u"辞書ファイルの読み込みに失敗しました。"_s;
    QTest::newRow("missing, no settings file made") << false << QByteArray() << false
                                                    << u"辞書ファイルの読み込みに失敗しました。"_s;
    QTest::newRow("only short lines") << true << sjis(u"\r\n  \r\n続\r\n"_s) << true
                                      << u"辞書ファイルから、漢字情報が読み込めませんでした。"_s;
}

void TestStartup::noDictionaryNoWindow()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, dictionary);
    QFETCH(bool, withSettings);
    QFETCH(QString, message);
    if (present)
        writeBytes(*dir, u"tolvo.dic"_s, dictionary);
    const QByteArray settings = sjis(u"[tolvo]\r\n\r\nHistory=False\r\nHistNum=3\r\nHistString=春夏,秋\r\n"_s);
    if (withSettings)
        writeBytes(*dir, u"tolvo.ini"_s, settings);

    PromptsDouble prompts;
    const std::unique_ptr<ApplicationRun> run = basMain::RunApplication(prompts, files);
    QVERIFY(!run->window);
    QCOMPARE(prompts.shown.size(), 1);
    QCOMPARE(prompts.shown.first().title, u"エラー"_s);
    QCOMPARE(prompts.shown.first().icon, Prompts::Icon::Error);
    QVERIFY2(prompts.shown.first().text.startsWith(message), qPrintable(prompts.shown.first().text));
    QCoreApplication::processEvents();
    QCOMPARE(QFile::exists(files.settings), withSettings);
    if (withSettings)
        QCOMPARE(readAll(files.settings), settings);
    // The settings were read all the same, before the dictionary.
    QCOMPARE(run->settings.histNum(), withSettings ? 3 : 6);
}

void TestStartup::firstRunWithDefaults()
{
    writeBytes(*dir, u"tolvo.dic"_s, sjis(workedExampleLines().join(u"\r\n"_s)));
    PromptsDouble prompts;
    const std::unique_ptr<ApplicationRun> run = basMain::RunApplication(prompts, files);
    frmMain *window = run->window.get();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(prompts.shown.isEmpty());
    QCOMPARE(window->dataFiles().help, files.data.help);
    QCOMPARE(run->dictionary.lineCount(), 6);

    QStringList boxes;
    for (int i = 0; i < 6; ++i)
        boxes.append(window->findChild<QLineEdit *>(u"txtLetter_"_s + QString::number(i))->text());
    QCOMPARE(boxes.join(QString()), u"続家版露身発"_s);
    QVERIFY(window->findChild<QAction *>(u"mnuEditHistory"_s)->isChecked());
    QCOMPARE(window->outerHeight(), 5370 / 15);

    QVERIFY(window->close());
    QCOMPARE(readAll(files.settings), sjis(u"[tolvo]\r\n\r\nHistNum=6\r\nHistString=続家版露身発,出\r\n"_s));
}

void TestStartup::savedStateComesBack()
{
    writeBytes(*dir, u"tolvo.dic"_s, sjis(workedExampleLines().join(u"\r\n"_s)));
    writeBytes(*dir, u"tolvo.ini"_s, sjis(u"[tolvo]\r\n\r\nHistory=False\r\nHistNum=6\r\nHistString=版身,出\r\n"_s));
    PromptsDouble prompts;
    const std::unique_ptr<ApplicationRun> run = basMain::RunApplication(prompts, files);
    frmMain *window = run->window.get();
    QVERIFY(window);
    QCOMPARE(window->outerHeight(), 3810 / 15);
    QVERIFY(!window->findChild<QAction *>(u"mnuEditHistory"_s)->isChecked());
    QCOMPARE(window->findChild<QLineEdit *>(u"txtLetter_0"_s)->text(), u"版"_s);
    // Shown again before exit: the file loses its "History=False" line.
    window->findChild<QAction *>(u"mnuEditHistory"_s)->trigger();
    window->findChild<QAction *>(u"mnuFileExit"_s)->trigger();
    QVERIFY(!window->isVisible());
    QCOMPARE(readAll(files.settings), sjis(u"[tolvo]\r\n\r\nHistNum=6\r\nHistString=版身,出\r\n"_s));
}

void TestStartup::unloadClosesOtherWindowsFirst()
{
    MainWindowFixture f;
    QVERIFY(f.loadDictionary(workedExampleLines()));
    frmMain &w = f.open();
    QStringList log;
    auto *older = new Witness(&w, &log, f.settingsPath, u"older"_s);
    auto *newer = new Witness(&w, &log, f.settingsPath, u"newer"_s);
    auto *unowned = new Witness(nullptr, &log, f.settingsPath, u"unowned"_s);
    older->show();
    newer->show();
    unowned->show();

    f.action(u"mnuFileExit"_s)->trigger();
    QCOMPARE(log, (QStringList{u"newer before save"_s, u"older before save"_s, u"unowned before save"_s}));
    QVERIFY(!older->isVisible() && !newer->isVisible() && !unowned->isVisible());
    QVERIFY(!w.isVisible());
    QVERIFY(QFile::exists(f.settingsPath));
    delete unowned;
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
