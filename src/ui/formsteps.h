#pragma once
// How our handlers treat errors: the main window's, its letter boxes', and
// the application's last edge around every event.
#include "platform/prompts.h"
#include "platform/runtimeerror.h"

#include <QApplication>
#include <exception>
#include <new>
#include <utility>

// A step of the load sequence: a failure ends the step, silently.
template <typename Step>
void attempt(Step &&step)
{
    try {
        step();
    } catch (const RuntimeError &) {
    }
}

// Where an edge reports what it stopped: the main window's prompts, set
// while the window exists; none, and the edge stays silent.
inline Prompts *&edgePrompts()
{
    static Prompts *prompts = nullptr;
    return prompts;
}

// The error box for a failure stopped at an edge. Never throws: when even
// the box cannot be made for want of memory, it is given up.
inline void reportAtEdge(const RuntimeError &error) noexcept
{
    try {
        if (Prompts *prompts = edgePrompts())
            prompts->message(QStringLiteral(u"エラー"),
                             QStringLiteral(u"処理中にエラーが発生しました。\nErrorNo: ")
                                 + QString::number(error.number()) + u'\n' + error.description(),
                             Prompts::Icon::Error);
    } catch (...) {
    }
}

// The edge of every slot, lambda and event handler of ours that Qt calls.
// Our own errors stop here silently: the step that raised one has reported
// what it must. Running out of memory, or any other exception, is reported
// and the program goes on: an exception let into Qt, which is built
// without them, would end the program or leave its widgets half-changed.
template <typename Body>
void atEdge(Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
    } catch (const RuntimeError &) {
    } catch (const std::bad_alloc &) {
        reportAtEdge(RuntimeError::outOfMemory());
    } catch (const std::exception &) {
        reportAtEdge(RuntimeError(RuntimeError::Kind(0), QStringLiteral(u"予期しないエラーが発生しました。")));
    }
}

// The same edge around every event, for what fails in Qt's own handlers
// (a shortcut, a menu, a paint) before one of ours is reached.
class EdgeApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        bool handled = false;
        atEdge([&] { handled = QApplication::notify(receiver, event); });
        return handled;
    }
};
