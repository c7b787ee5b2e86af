#pragma once
#include <QString>

// The modal message boxes the program uses. Core code that has to report
// takes one of these, so it never needs widgets; tests pass a double that
// records every prompt and answers from a queue.
class Prompts
{
public:
    enum class Icon { Information, Error, Question };
    enum class Answer { Ok, Yes, No, Retry, Cancel };

    virtual ~Prompts() = default;
    // OK button only.
    virtual void message(const QString &title, const QString &text, Icon icon) = 0;
    // Yes and No, question icon, No the default button. Returns Yes or No.
    virtual Answer askYesNo(const QString &title, const QString &text) = 0;
    // Retry and Cancel, error icon. Returns Retry or Cancel.
    virtual Answer askRetryCancel(const QString &title, const QString &text) = 0;
};

// Shows nothing and answers No / Cancel: for headless callers.
class SilentPrompts : public Prompts
{
public:
    void message(const QString &, const QString &, Icon) override {}
    Answer askYesNo(const QString &, const QString &) override { return Answer::No; }
    Answer askRetryCancel(const QString &, const QString &) override { return Answer::Cancel; }
};
