#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The three lines of the copyright label: our own notice, then the credit
// for the dictionary data (its licence asks for it wherever it is shown).
QString copyrightText();

// The About box: fixed layout in pixels, one OK button that is both the
// default and the cancel button, and a load sequence that fills the version
// and copyright labels every time the box is created.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *owner = nullptr);

    QPushButton *cmdOK;
    QLabel *picIcon;
    QLabel *lblCopyright;
    QLabel *lblVersion;
    QLabel *lblTitle;

    // Places the box centred over its owner's window (or leaves it where the
    // window system puts it when there is none).
    void centreOverOwner();

private:
    void load();
};
