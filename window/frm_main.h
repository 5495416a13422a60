// The main window: two input boxes (traffic, blocking probability), the
// calculate button, the result box and the exit button under a title block.
//
// The window is built in code from a geometry table in twips. Its behaviour
// lives in handlers named control_event, connected in the constructor:
// Form_Load sets the captions, empties the boxes and centres the window; each
// input box keeps to six characters through its change handler; cmdCalc_Click
// validates both inputs, warns about the first bad one, or computes the line
// count with mdl_Corvane::CalcLines and shows it.
#pragma once

#include "platform/msgbox.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frm_main : public QWidget {
public:
    // Field codes handed to IsValidValue.
    static constexpr short FLD_TRAFFIC = 2;
    static constexpr short FLD_LOSS = 3;

    // `msgBox` shows the warnings; the real modal box unless a test records them.
    explicit frm_main(platform::MessageBoxFn msgBox = platform::MsgBox, QWidget* parent = nullptr);

    // Line count of the last successful calculation; 0 until there is one.
    double lines() const { return dblLines; }

    // Whether a text is a number within the range of the field with that code.
    static bool IsValidValue(const QString& text, short code);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void cmdCalc_Click();
    void cmdExit_Click();
    void txtInput1_Change();
    void txtInput2_Change();

    void Centre();
    void Warn(const QString& fieldName, const QString& text);
    static void KeepToSixCharacters(QLineEdit* box, QString& last, int caretBefore);

    platform::MessageBoxFn msgBox_;

    double dblLines = 0;
    QString strLastInput1;
    QString strLastInput2;
    int caretInput1 = 0; // where the caret of each input box last stood
    int caretInput2 = 0;
    QSize centredOuterSize; // the outer size the window was last centred on

    QPushButton* cmdExit;
    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QLineEdit* txtResult;
    QLineEdit* txtInput2;
    QPushButton* cmdCalc;
    QLineEdit* txtInput1;
    QLabel* lblLabel2;
    QLabel* lblLabel1;
    QLabel* lblResult;
    QLabel* lblVersion;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* Image1;
};
