// Where the settings file lives: beside the program when the program can
// write there, else a per-user copy under the XDG configuration home.
#include "app/runapplication.h"
#include "mainwindowfixture.h"
#include "platform/datafile.h"
#include "readonly.h"

#include <QDir>
#include <QFileInfo>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
        && file.write(bytes) == bytes.size();
}

const QByteArray kBesideFile = sjis(u"[tolvo]\r\n\r\nHistNum=6\r\nHistString=版身,出\r\n"_s);

} // namespace

class TestSettingsLocation : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void rule_data();
    void rule();
    void firstSave_data();
    void firstSave();
    void restart_data();
    void restart();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program;   // the program folder
    QString m_home;
    ReadOnlyPaths m_readOnly;
    const QByteArray m_savedHome = qgetenv("HOME");
    const QByteArray m_savedXdg = qgetenv("XDG_CONFIG_HOME");
};

void TestSettingsLocation::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_program = m_dir->filePath(u"program"_s);
    m_home = m_dir->filePath(u"home"_s);
    QVERIFY(QDir().mkpath(m_program) && QDir().mkpath(m_home));
    qputenv("HOME", QFile::encodeName(m_home));
    qunsetenv("XDG_CONFIG_HOME");
}

void TestSettingsLocation::cleanup()
{
    m_readOnly.release();
    qputenv("HOME", m_savedHome);
    if (m_savedXdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_savedXdg);
    m_dir.reset();
}

void TestSettingsLocation::rule_data()
{
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<QString>("file");   // beside the program: "none", "writable", "read-only"
    QTest::addColumn<QString>("copy");   // the per-user copy, relative to the test folder, or empty
    QTest::addColumn<QString>("xdg");    // XDG_CONFIG_HOME ("xdg" is made absolute), or "unset"
    QTest::addColumn<QString>("read");   // "beside", or the per-user file relative to the test folder
    QTest::addColumn<QString>("write");
    const QString home = u"home/.config/tolvo/tolvo.ini"_s;
    const QString xdg = u"xdg/tolvo/tolvo.ini"_s;
    // A folder the user can write works as it always did, copy or not.
    QTest::newRow("portable, first run") << true << u"none"_s << QString() << u"unset"_s << u"beside"_s << u"beside"_s;
    QTest::newRow("portable, copy ignored") << true << u"writable"_s << home << u"unset"_s << u"beside"_s << u"beside"_s;
    QTest::newRow("portable, read-only file") << true << u"read-only"_s << home << u"unset"_s << u"beside"_s << u"beside"_s;
    // Only the file writable: rewritten in place.
    QTest::newRow("read-only folder, writable file") << false << u"writable"_s << home << u"unset"_s << u"beside"_s
                                                     << u"beside"_s;
    // Neither: the per-user copy, started from the file beside the program.
    QTest::newRow("install, first run") << false << u"none"_s << QString() << u"unset"_s << u"beside"_s << home;
    QTest::newRow("install, file beside") << false << u"read-only"_s << QString() << u"unset"_s << u"beside"_s << home;
    QTest::newRow("install, copy") << false << u"read-only"_s << home << u"unset"_s << home << home;
    QTest::newRow("install, copy, no file beside") << false << u"none"_s << home << u"unset"_s << home << home;
    QTest::newRow("XDG_CONFIG_HOME, first run") << false << u"read-only"_s << QString() << u"xdg"_s << u"beside"_s << xdg;
    QTest::newRow("XDG_CONFIG_HOME, copy") << false << u"read-only"_s << xdg << u"xdg"_s << xdg << xdg;
    QTest::newRow("XDG_CONFIG_HOME, copy only in ~/.config") << false << u"read-only"_s << home << u"xdg"_s
                                                             << u"beside"_s << xdg;
    QTest::newRow("XDG_CONFIG_HOME relative") << false << u"none"_s << home << u"relative"_s << home << home;
    QTest::newRow("XDG_CONFIG_HOME empty") << false << u"none"_s << home << QString() << home << home;
}

void TestSettingsLocation::rule()
{
    QFETCH(bool, folderWritable);
    QFETCH(QString, file);
    QFETCH(QString, copy);
    QFETCH(QString, xdg);
    QFETCH(QString, read);
    QFETCH(QString, write);
    if (xdg != u"unset")
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg == u"xdg" ? m_dir->filePath(xdg) : xdg));
    const QString beside = m_program + u"/tolvo.ini"_s;
    if (!copy.isEmpty())
        QVERIFY(put(m_dir->filePath(copy), "[tolvo]\r\n"));
    if (file != u"none")
        QVERIFY(put(beside, kBesideFile));
    if (file == u"read-only")
        QVERIFY2(m_readOnly.lock(beside), "cannot make the file read-only");
    if (!folderWritable)
        QVERIFY2(m_readOnly.lock(m_program), "cannot make the folder read-only");

    const SettingsFiles files = settingsFilesFor(m_program);
    QCOMPARE(files.read, read == u"beside" ? beside : m_dir->filePath(read));
    QCOMPARE(files.write, write == u"beside" ? beside : m_dir->filePath(write));
}

void TestSettingsLocation::firstSave_data()
{
    QTest::addColumn<QString>("locked");   // made read-only first: "", "home" or "folder"
    QTest::addColumn<bool>("retry");
    QTest::newRow("folders made") << QString() << false;
    QTest::newRow("folder cannot be made, cancel") << u"home"_s << false;
    QTest::newRow("folder cannot be made, retry once fixed") << u"home"_s << true;
    QTest::newRow("folder read-only, retry once fixed") << u"home/.config/tolvo"_s << true;
}

// The per-user copy's first save makes its folders, private to the user;
// what cannot be made or written gets the usual Retry/Cancel box.
void TestSettingsLocation::firstSave()
{
    QFETCH(QString, locked);
    QFETCH(bool, retry);
    const QString path = m_home + u"/.config/tolvo/tolvo.ini"_s;
    if (!locked.isEmpty()) {
        QVERIFY(QDir().mkpath(m_dir->filePath(locked)));
        QVERIFY(m_readOnly.lock(m_dir->filePath(locked)));
    }
    PromptsDouble ui;
    ui.answers.enqueue(retry ? Prompts::Answer::Retry : Prompts::Answer::Cancel);
    ui.onShow = [&](const PromptsDouble::Shown &) { m_readOnly.release(); };
    SettingsStore store;
    store.setDefaults();
    const bool saved = locked.isEmpty() || retry;
    QCOMPARE(basParam::SaveParams(store, path, ui), saved);

    QCOMPARE(ui.shown.size(), locked.isEmpty() ? 0 : 1);
    if (!ui.shown.isEmpty())
        QCOMPARE(ui.shown.first().text, u"設定ファイルの書き込みに失敗しました。\n"_s + path);
    QCOMPARE(readAll(path),
             saved ? sjis(u"[tolvo]\r\n\r\nHistNum=6\r\nHistString=続家版露身発,出\r\n"_s) : QByteArray("<none>"));
    if (locked.isEmpty()) {
        const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        const auto ownerOnly = QFile::Permissions(0x7777) & ~QFile::Permissions(0x0700);   // the "User" bits vary
        QCOMPARE(QFile::permissions(m_home + u"/.config"_s) & ownerOnly, owner);
        QCOMPARE(QFile::permissions(m_home + u"/.config/tolvo"_s) & ownerOnly, owner);
    }
}

void TestSettingsLocation::restart_data()
{
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<bool>("fileBeside");
    QTest::newRow("portable folder") << true << true;
    QTest::newRow("install with a file beside") << false << true;
    QTest::newRow("install without one") << false << false;
}

// Two runs as start-up wires them: the first starts from the file beside
// the program and hides the history panel, the second finds it hidden.
void TestSettingsLocation::restart()
{
    QFETCH(bool, folderWritable);
    QFETCH(bool, fileBeside);
    const QString beside = m_program + u"/tolvo.ini"_s;
    QVERIFY(put(m_program + u"/tolvo.dic"_s, sjis(workedExampleLines().join(u"\r\n"_s))));
    if (fileBeside)
        QVERIFY(put(beside, kBesideFile));
    if (!folderWritable) {
        QVERIFY(m_readOnly.lock(m_program));
        QVERIFY(!fileBeside || m_readOnly.lock(beside));
    }
    for (int runNo = 1; runNo <= 2; ++runNo) {
        const SettingsFiles settings = settingsFilesFor(m_program);
        PromptsDouble prompts;
        const auto run = basMain::RunApplication(prompts, {m_program + u"/tolvo.dic"_s, settings.write, settings.read});
        QVERIFY(run->window);
        QAction *history = run->window->findChild<QAction *>(u"mnuEditHistory"_s);
        QCOMPARE(history->isChecked(), runNo == 1);
        QCOMPARE(run->window->findChild<QLineEdit *>(u"txtLetter_0"_s)->text(), fileBeside ? u"版"_s : u"続"_s);
        if (runNo == 1)
            history->trigger();
        run->window->findChild<QAction *>(u"mnuFileExit"_s)->trigger();
        QCOMPARE(prompts.shown.size(), 0);
    }
    const QString own = m_home + u"/.config/tolvo/tolvo.ini"_s;
    QCOMPARE(QFileInfo::exists(m_home + u"/.config"_s), !folderWritable);
    QVERIFY(readAll(folderWritable ? beside : own).contains("History=False\r\n"));
    if (!folderWritable)
        QCOMPARE(readAll(beside), fileBeside ? kBesideFile : QByteArray("<none>"));
}

QTEST_MAIN(TestSettingsLocation)
#include "tst_settingslocation.moc"
