// The information window: version, decree, legal references of every income year, credits.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QListWidget;
class QTimer;
class TLinkLabel;

class TF_Copyright : public QDialog
{
    Q_OBJECT

public:
    explicit TF_Copyright(QWidget *owner);

    // The whole credits line and the part of it shown so far.
    QString creditsText() const { return m_creditsText; }
    QString creditsShown() const { return m_creditsShown; }

    void done(int result) override;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormActivate();
    void Timer1Timer();
    void AddNameChar(const QString &text);
    void L_BOIClick();
    void L_CopyrightClick();
    void LinkUrlClick();
    void CreateControls();
    void FillNote();

    QString m_creditsText;
    QString m_creditsShown;
    bool m_keyboardMoved = false;
    QLabel *L_Version = nullptr;
    QLabel *L_Offer = nullptr;
    QLabel *Label_Name = nullptr;
    TLinkLabel *L_BOI = nullptr;
    TLinkLabel *L_Copyright = nullptr;
    TLinkLabel *L_Close = nullptr;
    QListWidget *L_Note = nullptr;
    QTimer *Timer1 = nullptr;
};
