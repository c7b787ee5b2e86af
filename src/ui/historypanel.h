#pragma once
// The history panel's list: the past searches under the flower.
#include <QString>

class QTreeWidget;
class SettingsStore;

// Clears `list` and fills it with the stored searches, letters and result.
void fillHistoryList(QTreeWidget *list, const SettingsStore &settings);

// The letters of the selected past search; empty when none is selected.
QString selectedHistoryLetters(const QTreeWidget *list);
