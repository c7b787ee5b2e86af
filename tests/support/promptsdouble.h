#pragma once
#include "platform/prompts.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>

// Records every prompt and answers from a queue (default: No / Cancel), so
// no test ever waits on a modal box.
class PromptsDouble : public Prompts
{
public:
    struct Shown {
        enum Kind { Message, YesNo, RetryCancel } kind;
        QString title;
        QString text;
        Icon icon;
    };

    QList<Shown> shown;
    QQueue<Answer> answers;
    // Runs inside each prompt, before it answers (to change state "while the box is open").
    std::function<void(const Shown &)> onShow;

    void message(const QString &title, const QString &text, Icon icon) override
    {
        record({Shown::Message, title, text, icon});
    }
    Answer askYesNo(const QString &title, const QString &text) override
    {
        record({Shown::YesNo, title, text, Icon::Question});
        return answers.isEmpty() ? Answer::No : answers.dequeue();
    }
    Answer askRetryCancel(const QString &title, const QString &text) override
    {
        record({Shown::RetryCancel, title, text, Icon::Error});
        return answers.isEmpty() ? Answer::Cancel : answers.dequeue();
    }

private:
    void record(const Shown &s)
    {
        shown.append(s);
        if (onShow)
            onShow(s);
    }
};
