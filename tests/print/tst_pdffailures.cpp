// The PDF export where it cannot write, or has no documents folder or home to start from: from
// the preview's save button and from vemora-calc --pdf.
#include "Environment.h"
#include "FPrintPreview.h"
#include "Files.h"
#include "FrenchLocale.h"
#include "ModalWatchdog.h"
#include "PageModel.h"
#include "PrintUi.h"
#include "Printing.h"
#include "ReportExamples.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ReadOnlyText = u"Le support est en lecture seule."_s;
const QString MissingText = u"Le dossier ou le fichier n'existe pas."_s;
const QByteArray OldReport = "%PDF-1.4 ancien rapport, à garder\n";

// A file system of its own (tmpfs) mounted on a folder, made read-only once filled: even root
// cannot write there. Unmounted at the end.
class TReadOnlyFolder
{
public:
    explicit TReadOnlyFolder(const QString &path)
        : m_path(QFile::encodeName(path))
    {
        if (::mount("tmpfs", m_path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") != 0)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
        else
            m_mounted = true;
    }
    ~TReadOnlyFolder()
    {
        if (m_mounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    TReadOnlyFolder(const TReadOnlyFolder &) = delete;
    TReadOnlyFolder &operator=(const TReadOnlyFolder &) = delete;

    // Why the folder could not be mounted; empty when it was.
    QString Error() const { return m_error; }
    bool MakeReadOnly()
    {
        return ::mount(nullptr, m_path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray m_path;
    bool m_mounted = false;
    QString m_error;
};

// Where the documents are, or are not.
enum TPlace
{
    plReadOnlyDocuments,         // a documents folder on a read-only file system
    plReadOnlyDocumentsWithFile, // the same, the report already there from an earlier export
    plNoDocuments,               // a home without a documents folder
    plNoHome                     // HOME unset
};

} // namespace

Q_DECLARE_METATYPE(TPlace)

// Prepares the row's place; the test function stops there when that failed, and is skipped where
// the read-only folder cannot be mounted.
#define PREPARE_OR_STOP(place)                                                                     \
    do {                                                                                           \
        prepare(place);                                                                            \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
        if (!m_skipReason.isEmpty())                                                               \
            QSKIP(qPrintable(m_skipReason));                                                       \
    } while (false)

class TestPdfFailures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void previewExport_data();
    void previewExport();
    void commandLine_data();
    void commandLine();

private:
    // Sets the home and its documents folder as the case wants them, the documents folder
    // mounted read-only for some, and notes what the home then holds; m_skipReason says why
    // when mounting is not possible here.
    void prepare(TPlace place);
    // After an export: the home as prepare() left it; failed, the working folder empty and the
    // earlier report kept; saved, the report alone in the working folder. Call it last.
    void checkWritten(TPlace place, bool saved);

    std::unique_ptr<TModalWatchdog> m_dialogs;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<TReadOnlyFolder> m_readOnly;
    std::unique_ptr<TEnvironment> m_environment;
    QString m_documents;
    QStringList m_homeBefore;
    QString m_oldWorkingFolder;
    QString m_skipReason;
};

void TestPdfFailures::initTestCase()
{
    PinFrenchLocale();
    // No print server: the machine's printers stay out of it, and the export needs none.
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    m_oldWorkingFolder = QDir::currentPath();
}

void TestPdfFailures::init()
{
    m_dialogs = std::make_unique<TModalWatchdog>();
    m_skipReason.clear();
    m_home = std::make_unique<QTemporaryDir>();
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid() && m_work->isValid());
    m_documents = m_home->filePath(u"Documents"_s);
    m_environment = std::make_unique<TEnvironment>();
    m_environment->unset("XDG_CONFIG_HOME"); // the documents folder follows HOME
    QVERIFY(QDir::setCurrent(m_work->path()));
}

void TestPdfFailures::cleanup()
{
    ReportYearText().clear();
    QDir::setCurrent(m_oldWorkingFolder);
    m_readOnly.reset();
    m_environment.reset();
    m_home.reset();
    m_work.reset();
    const QStringList unexpected = m_dialogs->unexpected();
    const qsizetype pending = m_dialogs->pending();
    m_dialogs.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(u", "_s)));
    QCOMPARE(pending, 0);
}

void TestPdfFailures::prepare(TPlace place)
{
    if (place == plNoHome)
        m_environment->unset("HOME");
    else
        m_environment->set("HOME", m_home->path());
    if (place == plReadOnlyDocuments || place == plReadOnlyDocumentsWithFile) {
        QVERIFY(QDir().mkpath(m_documents));
        m_readOnly = std::make_unique<TReadOnlyFolder>(m_documents);
        if (!m_readOnly->Error().isEmpty()) {
            m_skipReason = u"a read-only file system cannot be mounted here (it needs root and "
                           u"CAP_SYS_ADMIN): "_s +
                           m_readOnly->Error();
            return;
        }
        if (place == plReadOnlyDocumentsWithFile)
            QVERIFY(WriteBytes(m_documents + u"/rapport.pdf"_s, OldReport));
        QVERIFY(m_readOnly->MakeReadOnly());
    }
    m_homeBefore = ContentsOf(m_home->path());
}

void TestPdfFailures::checkWritten(TPlace place, bool saved)
{
    QCOMPARE(ContentsOf(m_home->path()), m_homeBefore);
    if (place == plReadOnlyDocumentsWithFile)
        QCOMPARE(BytesOf(m_documents + u"/rapport.pdf"_s), OldReport);
    if (!saved) {
        QVERIFY(ContentsOf(m_work->path()).isEmpty());
        return;
    }
    QCOMPARE(ContentsOf(m_work->path()), QStringList{u"rapport.pdf"_s});
    QVERIFY(BytesOf(m_work->filePath(u"rapport.pdf"_s)).startsWith("%PDF-"));
}

void TestPdfFailures::previewExport_data()
{
    QTest::addColumn<TPlace>("place");
    QTest::addColumn<QString>("startsIn"); // where the save dialog opens; "account": the
                                           // home of the user's account
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("error"); // the cause in the error message; empty: saved

    QTest::newRow("documents folder read-only")
        << plReadOnlyDocuments << u"~/Documents"_s << QStringList{u"OK"_s} << ReadOnlyText;
    QTest::newRow("documents folder read-only, replacing the report")
        << plReadOnlyDocumentsWithFile << u"~/Documents"_s << QStringList{u"&Oui"_s, u"OK"_s}
        << ReadOnlyText;
    // Without a documents folder the dialog starts in the home folder, never in the working
    // folder; the name typed there is a whole path.
    QTest::newRow("no documents folder") << plNoDocuments << u"~"_s << QStringList() << QString();
    QTest::newRow("HOME unset") << plNoHome << u"account"_s << QStringList() << QString();
}

void TestPdfFailures::previewExport()
{
    QFETCH(TPlace, place);
    QFETCH(QString, startsIn);
    QFETCH(QStringList, answers);
    QFETCH(QString, error);

    PREPARE_OR_STOP(place);

    ReportYearText() = u"2022"_s;
    TF_PrintPreview preview(nullptr);
    preview.pwDocName = u"Détail des frais kilométriques 2022"_s;
    preview.LPages.append(std::make_shared<TRecordedPage>());
    RecordReport(*preview.LPages.first(), MakeKmReport(KmWorkedExample()), VirtualA4Sheet());
    preview.show();
    QVERIFY(QTest::qWaitForWindowActive(&preview));

    QString folder;
    const bool inDocuments = startsIn == u"~/Documents"_s;
    const QString typed = inDocuments ? u"rapport.pdf"_s : m_work->filePath(u"rapport.pdf"_s);
    m_dialogs->expect([&folder, typed](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY2(files, qPrintable(TModalWatchdog::describe(dialog)));
        auto *name = files->findChild<QLineEdit *>(u"fileNameEdit"_s);
        auto *buttons = files->findChild<QDialogButtonBox *>(u"buttonBox"_s);
        QVERIFY(name && buttons && buttons->button(QDialogButtonBox::Save));
        folder = files->directory().absolutePath();
        name->setFocus(Qt::MouseFocusReason);
        name->selectAll();
        QTest::keyClicks(name, typed);
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
    });
    QList<TShownMessage> messages;
    for (const QString &answer : answers) {
        m_dialogs->expect([&messages, answer](QWidget *dialog) {
            messages.append(ReadMessageBox(dialog));
            QVERIFY2(ClickMessageButton(dialog, answer), qPrintable(answer));
        });
    }
    QTest::mouseClick(preview.findChild<QToolButton *>(u"B_SavePdf"_s), Qt::LeftButton);

    QCOMPARE(m_dialogs->handled(), 1 + answers.size());
    const passwd *account = getpwuid(geteuid());
    QVERIFY(account);
    QCOMPARE(folder, startsIn == u"account"_s ? QFile::decodeName(account->pw_dir)
                                              : startsIn.replace(u'~', m_home->path()));
    if (!error.isEmpty()) {
        const TShownMessage &shown = messages.last();
        QCOMPARE(shown.caption, u"Erreur"_s);
        QCOMPARE(shown.icon, QMessageBox::Critical);
        QCOMPARE(shown.text, u"Une Erreur s'est produite"_s);
        QCOMPARE(shown.informativeText,
                 u"Une erreur s'est produite avec le message suivant : \n\n    - "_s + error +
                     u"\n\nLe fichier n'a pas été sauvegardé."_s);
    }
    // Failed, nothing written and the earlier report kept; saved, where asked and nowhere else,
    // no documents folder made.
    checkWritten(place, error.isEmpty());
}

void TestPdfFailures::commandLine_data()
{
    QTest::addColumn<TPlace>("place");
    QTest::addColumn<QString>("target"); // "~" stands for the home folder
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");

    const auto failure = [](const QString &cause) {
        return u"vemora-calc : Une erreur s'est produite avec le message suivant : "_s + cause +
               u" Le fichier n'a pas été sauvegardé."_s;
    };
    QTest::newRow("read-only folder")
        << plReadOnlyDocuments << u"~/Documents/rapport.pdf"_s << 3 << failure(ReadOnlyText);
    QTest::newRow("read-only folder, the report already there")
        << plReadOnlyDocumentsWithFile << u"~/Documents/rapport.pdf"_s << 3
        << failure(ReadOnlyText);
    QTest::newRow("no documents folder")
        << plNoDocuments << u"~/Documents/rapport.pdf"_s << 3 << failure(MissingText);
    QTest::newRow("HOME unset, name in the working folder")
        << plNoHome << u"rapport.pdf"_s << 0 << QString();
}

void TestPdfFailures::commandLine()
{
    QFETCH(TPlace, place);
    QFETCH(QString, target);
    QFETCH(int, status);
    QFETCH(QString, error);

    PREPARE_OR_STOP(place);
    target.replace(u"~"_s, m_home->path());

    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    QProcess calc;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"fr_FR.UTF-8"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    calc.setProcessEnvironment(environment);
    calc.setWorkingDirectory(m_work->path());
    calc.start(QStringLiteral(VEMORA_CALC),
               {u"km"_s, u"--kind"_s, u"0"_s, u"--distance"_s, u"12000"_s, u"--pdf"_s, target});
    QVERIFY(calc.waitForFinished(30000));
    QCOMPARE(calc.exitStatus(), QProcess::NormalExit);
    const QString errors = QString::fromUtf8(calc.readAllStandardError());
    QVERIFY2(calc.exitCode() == status, qPrintable(errors));
    QCOMPARE(errors.trimmed(), error);
    checkWritten(place, status == 0);
}

QTEST_MAIN(TestPdfFailures)
#include "tst_pdffailures.moc"
