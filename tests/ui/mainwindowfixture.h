#pragma once
// A main window on its own dictionary and settings store, with the prompt
// double, for the GUI tests.
#include "dictionary/dictionary.h"
#include "promptsdouble.h"
#include "settings/basparam.h"
#include "tempfiles.h"
#include "ui/frmmain.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

// The worked example: each of 続家版露身発 partners 出; 人 partners three of them.
inline QStringList workedExampleLines()
{
    return {u"続出行編報"_s, u"家出族人具"_s, u"版出画木権"_s,
            u"露出天見人"_s, u"身出体人分"_s, u"発出表見行"_s};
}

// The worked example's six letters, one per box.
inline const QStringList kWorkedLetters{u"続"_s, u"家"_s, u"版"_s, u"露"_s, u"身"_s, u"発"_s};

// count lines whose heads are none of the letters used, to make the scan long.
inline QStringList fillerLines(int count)
{
    const QString heads = u"日月火水木金土山川田"_s;
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(heads.mid(i % heads.size(), 1) + u"人"_s);
    return lines;
}

// The main window with the search's state and its yields open to the tests.
class ProbedMain : public frmMain
{
public:
    using frmMain::frmMain;

    bool isSearching() const { return Searching; }
    bool isCancelRequested() const { return CancelRequested; }
    // Called before the search yields at line `line` of box `box` (every 50th line).
    std::function<void(int box, qint32 line)> onTick;

protected:
    void yieldToEvents(int box, qint32 line) override
    {
        if (onTick)
            onTick(box, line);
        frmMain::yieldToEvents(box, line);
    }
};

struct MainWindowFixture
{
    QTemporaryDir dir;
    PromptsDouble prompts;
    DictionaryStore dictionary;
    SettingsStore settings;
    QString settingsPath;
    std::unique_ptr<ProbedMain> window;

    MainWindowFixture()
    {
        settingsPath = dir.filePath(u"tolvo.ini"_s);
        settings.setDefaults();
    }

    bool loadDictionary(const QStringList &lines)
    {
        const QString path = writeBytes(dir, u"tolvo.dic"_s, sjis(lines.join(u"\r\n"_s) + u"\r\n"_s));
        return LoadDictionary(path, dictionary, prompts);
    }

    // Defaults, then these settings-file lines over them.
    void loadSettings(const QStringList &lines)
    {
        writeBytes(dir, u"tolvo.ini"_s, sjis(u"[tolvo]\r\n\r\n"_s + lines.join(u"\r\n"_s) + u"\r\n"_s));
        basParam::LoadParams(settings, settingsPath);
    }

    // Window: ProbedMain or a test's subclass of it with the same constructor.
    template <typename Window = ProbedMain>
    ProbedMain &open(bool waitActive = false)
    {
        window = std::make_unique<Window>(prompts, dictionary, settings, settingsPath);
        window->show();
        if (waitActive) {
            window->activateWindow();
            if (!QTest::qWaitForWindowActive(window.get()))
                qWarning("main window not active");
        }
        return *window;
    }

    template <typename T = QWidget>
    T *find(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    QLineEdit *box(int i) const { return find<QLineEdit>(u"txtLetter_"_s + QString::number(i)); }
    QStringList boxTexts() const
    {
        QStringList texts;
        for (int i = 0; i < 6; ++i)
            texts.append(box(i)->text());
        return texts;
    }
    void setBoxes(const QStringList &texts)
    {
        for (int i = 0; i < 6; ++i)
            box(i)->setText(texts.value(i));
    }
    // One of the window's data files somewhere else: setDataFile(&DataFiles::words, path).
    void setDataFile(QString DataFiles::*which, const QString &path) const
    {
        DataFiles files = window->dataFiles();
        files.*which = path;
        window->setDataFiles(files);
    }
    QAction *action(const QString &name) const { return find<QAction>(name); }
    QTreeWidget *candidates() const { return find<QTreeWidget>(u"lsvCandidate"_s); }
    QTreeWidget *history() const { return find<QTreeWidget>(u"lsvHistory"_s); }
    QLabel *answer() const { return find<QLabel>(u"lblAnswer"_s); }

    // No search running, every box usable, the bars hidden and the list back.
    void checkIdle() const
    {
        QVERIFY(!window->isSearching());
        for (int i = 0; i < 6; ++i)
            QVERIFY(box(i)->isEnabled());
        QVERIFY(!find(u"pbrLetter"_s)->isVisibleTo(window.get()));
        QVERIFY(!find(u"pbrStatus"_s)->isVisibleTo(window.get()));
        QVERIFY(candidates()->isVisibleTo(window.get()));
    }

    // What resting the mouse on candidate row `row` sends; the tip follows.
    void hoverCandidate(int row) const
    {
        QWidget *viewport = candidates()->viewport();
        const QPoint at = candidates()->visualItemRect(candidates()->topLevelItem(row)).center();
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
    }

    static QStringList rows(const QTreeWidget *view)
    {
        QStringList out;
        for (int i = 0; i < view->topLevelItemCount(); ++i)
            out.append(view->topLevelItem(i)->text(0) + u'/' + view->topLevelItem(i)->text(1));
        return out;
    }
};
