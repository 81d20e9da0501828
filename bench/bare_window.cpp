// A bare Qt Widgets window, the reference against which bench/startup.sh times our start.
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>

using namespace Qt::Literals::StringLiterals;

namespace {

// Any key ends the program, so the driver can tell when the window first takes typing.
class QuitOnKeyLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        event->accept();
        QCoreApplication::quit();
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
