#pragma once
#include "authoring/puzzlemaker.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

// 問題を作る: the choices for a made puzzle. Kept by its owner, so that the
// next puzzle starts from the last choices.
class MakePuzzleDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MakePuzzleDialog(QWidget *owner = nullptr);

    authoring::MakeOptions options() const;
    // The number the player gave for a puzzle made again; none: a new one.
    std::optional<quint64> seed() const;

private:
    QRadioButton *optLetters4 = nullptr;
    QRadioButton *optLetters6 = nullptr;
    QComboBox *cboLevel = nullptr;
    QLineEdit *txtAnswer = nullptr;
    QCheckBox *chkArrows = nullptr;
    QCheckBox *chkStrict = nullptr;
    QLineEdit *txtSeed = nullptr;
};
