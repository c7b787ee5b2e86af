#include "ui/historypanel.h"
#include "settings/basparam.h"

#include <QTreeWidget>

using namespace Qt::StringLiterals;

void fillHistoryList(QTreeWidget *list, const SettingsStore &settings)
{
    list->clear();
    // Slots past those the store holds are free; a capacity of two billion
    // read from a hand-edited file must not mean two billion lookups.
    const qsizetype n = qMin<qsizetype>(toInt32(basParam::GetParam(settings, u"HistNum"_s, 0)), settings.slotCount());
    for (qint32 i = 1; i <= n; ++i) {
        const QString letters = toText(basParam::GetParam(settings, u"HistString"_s, i));
        if (!letters.isEmpty())
            new QTreeWidgetItem(list, {letters, toText(basParam::GetParam(settings, u"RestString"_s, i))});
    }
}

QString selectedHistoryLetters(const QTreeWidget *list)
{
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text(0);
}
