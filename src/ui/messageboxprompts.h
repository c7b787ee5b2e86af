#pragma once
#include "platform/prompts.h"

#include <QPointer>
#include <QWidget>

class QCoreApplication;

// The prompts as modal QMessageBoxes, centred over the owner when there is one.
class MessageBoxPrompts : public Prompts
{
public:
    explicit MessageBoxPrompts(QWidget *owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget *owner) { m_owner = owner; }

    void message(const QString &title, const QString &text, Icon icon) override;
    Answer askYesNo(const QString &title, const QString &text) override;
    Answer askRetryCancel(const QString &title, const QString &text) override;

private:
    QPointer<QWidget> m_owner;
};

// Qt's own Japanese texts (the message boxes' standard buttons among them).
// False when the translation is not installed.
bool installQtTranslation(QCoreApplication &app);
