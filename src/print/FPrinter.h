// The printer dialog: which printer, its setup, how many copies, and whether to preview.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

class TF_Printer : public QDialog
{
    Q_OBJECT

public:
    explicit TF_Printer(QWidget *owner);

    // The number of copies (1 to 9) and whether the preview was asked for.
    int GetNumCopy() const { return m_numCopy; }
    bool PreviewChecked() const;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void SelectPrinter(const QString &name);
    void UpdateOrientationImage();
    void B_PropertyClick();
    void B_OkClick();
    void E_NumCopyExit();
    void SetNumCopy(int copies);

    int m_numCopy = 1;
    bool m_shown = false;
    QGroupBox *GB_Imprimante = nullptr;
    QComboBox *E_Printers = nullptr;
    QPushButton *B_Property = nullptr;
    QLabel *L_NumCopy = nullptr;
    QLineEdit *E_NumCopy = nullptr;
    QWidget *UD_NumCopy = nullptr;
    QToolButton *UD_Up = nullptr;
    QToolButton *UD_Down = nullptr;
    QGroupBox *GB_Orientation = nullptr;
    QRadioButton *RB_Portrait = nullptr;
    QRadioButton *RB_Landscape = nullptr;
    QLabel *I_Portrait = nullptr;
    QLabel *I_Landscape = nullptr;
    QCheckBox *CB_Preview = nullptr;
    QPushButton *B_Cancel = nullptr;
    QPushButton *B_Ok = nullptr;
};
