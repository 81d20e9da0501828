// A bare Qt Widgets window, the reference against which bench/startup.sh times our start.
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>

using namespace Qt::Literals::StringLiterals;

namespace {

// Ctrl+F ends the program, as it closes the calculator: the driver sends the same keys to both
// and times the same thing. (Any key would end it on the Ctrl press already, a keystroke
// earlier than the calculator can act.)
class QuitOnKeyLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_F && event->modifiers() == Qt::ControlModifier) {
            event->accept();
            QCoreApplication::quit();
            return;
        }
        QLabel::keyPressEvent(event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QuitOnKeyLabel label(u"Fenêtre témoin"_s);
    label.setAlignment(Qt::AlignCenter);
    label.setWindowTitle(u"Fenetre temoin"_s);
    label.resize(690, 551);
    label.show();
    return app.exec();
}
