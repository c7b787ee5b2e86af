#include "ui/messageboxprompts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Error:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

int showBox(QWidget *owner, Prompts::Icon icon, const QString &title, const QString &text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton byDefault)
{
    QMessageBox box(boxIcon(icon), title, text, buttons, owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(byDefault);
    return box.exec();
}

} // namespace

void MessageBoxPrompts::message(const QString &title, const QString &text, Icon icon)
{
    showBox(m_owner, icon, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

Prompts::Answer MessageBoxPrompts::askYesNo(const QString &title, const QString &text)
{
    const int button = showBox(m_owner, Icon::Question, title, text,
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Prompts::Answer MessageBoxPrompts::askRetryCancel(const QString &title, const QString &text)
{
    const int button = showBox(m_owner, Icon::Error, title, text,
                               QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry);
    return button == QMessageBox::Retry ? Answer::Retry : Answer::Cancel;
}

bool installQtTranslation(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return app.installTranslator(translator);
}
