// Opening addresses, the failure warnings, the documents folder and the encoding of addresses.
#include "Environment.h"
#include "FrenchLocale.h"
#include "ModalWatchdog.h"
#include "ShellHelpers.h"
#include "UrlEncode.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Stands in for the web browser and the document viewer: keeps what the program asks to open.
class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void openUrl(const QUrl &url) { opened.append(url); }
};

const QString InvalidAddress = u"http://[invalide"_s;

// Points HOME and XDG_CONFIG_HOME into `home` for as long as `environment` lives, and writes the
// user directories file there with `lines` (none: no such file).
bool pointHomeAt(const QTemporaryDir &home, TEnvironment &environment, const QByteArray &lines)
{
    environment.set("HOME", home.path());
    environment.set("XDG_CONFIG_HOME", home.filePath(u".config"_s));
    if (!QDir(home.path()).mkpath(u".config"_s))
        return false;
    if (lines.isEmpty())
        return true;
    QFile dirs(home.filePath(u".config/user-dirs.dirs"_s));
    return dirs.open(QIODevice::WriteOnly) && dirs.write(lines) == lines.size();
}

} // namespace

class TestShellHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void shellOpenHandsTheAddressOver_data();
    void shellOpenHandsTheAddressOver();
    void shellOpenFailures_data();
    void shellOpenFailures();
    void openAddressSuccessIsQuiet();
    void openAddressFailureWarns_data();
    void openAddressFailureWarns();
    void openAddressFailureSilent();

    void documentsFolder_data();
    void documentsFolder();
    void documentsFolderMissing_data();
    void documentsFolderMissing();
    void saveDialogFolder_data();
    void saveDialogFolder();

    void urlEncode_data();
    void urlEncode();
    void urlEncodeKeepsExactlyTheAsciiSet();
    void urlEncodeDecodesBack();

private:
    TUrlCatcher m_catcher;
    std::unique_ptr<TModalWatchdog> m_watchdog;
};

void TestShellHelpers::initTestCase()
{
    PinFrenchLocale();
    // No test may reach a real browser or viewer.
    for (const QString &scheme : {u"https"_s, u"http"_s, u"file"_s})
        QDesktopServices::setUrlHandler(scheme, &m_catcher, "openUrl");
}

void TestShellHelpers::cleanupTestCase()
{
    for (const QString &scheme : {u"https"_s, u"http"_s, u"file"_s})
        QDesktopServices::unsetUrlHandler(scheme);
}

void TestShellHelpers::init()
{
    m_catcher.opened.clear();
    m_watchdog = std::make_unique<TModalWatchdog>();
}

void TestShellHelpers::cleanup()
{
    const QStringList unexpected = m_watchdog->unexpected();
    const qsizetype pending = m_watchdog->pending();
    m_watchdog.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(u" | "_s)));
    QCOMPARE(pending, 0);
}

void TestShellHelpers::shellOpenHandsTheAddressOver_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QUrl>("opened");

    QTest::newRow("web address") << u"https://www.impots.gouv.fr/bareme"_s
                                 << QUrl(u"https://www.impots.gouv.fr/bareme"_s);
    QTest::newRow("web address with a query")
        << u"https://exemple.fr/page?annee=2023&km=12"_s
        << QUrl(u"https://exemple.fr/page?annee=2023&km=12"_s);
    QTest::newRow("local document by its path")
        << u"/tmp/Frais kilométriques.pdf"_s
        << QUrl::fromLocalFile(u"/tmp/Frais kilométriques.pdf"_s);
    QTest::newRow("local page as a file address") << u"file:///usr/share/vemora/index.html"_s
                                                  << QUrl(u"file:///usr/share/vemora/index.html"_s);
}

void TestShellHelpers::shellOpenHandsTheAddressOver()
{
    QFETCH(QString, target);
    QFETCH(QUrl, opened);

    QVERIFY(ShellOpen(nullptr, target));
    QCOMPARE(m_catcher.opened, QList<QUrl>{opened});
}

void TestShellHelpers::shellOpenFailures_data()
{
    QTest::addColumn<QString>("target");

    QTest::newRow("address that is not a valid URL") << InvalidAddress;
    QTest::newRow("empty target") << QString();
}

void TestShellHelpers::shellOpenFailures()
{
    QFETCH(QString, target);

    QVERIFY(!ShellOpen(nullptr, target));
    QVERIFY(m_catcher.opened.isEmpty());
    QTest::qWait(60); // ShellOpen itself never warns
}

void TestShellHelpers::openAddressSuccessIsQuiet()
{
    OpenAddress(nullptr, u"https://exemple.fr/"_s, u" "_s);
    QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl(u"https://exemple.fr/"_s)});
    QTest::qWait(60);
    QCOMPARE(m_watchdog->handled(), 0);
}

void TestShellHelpers::openAddressFailureWarns_data()
{
    QTest::addColumn<QString>("failureText");
    QTest::addColumn<QString>("shown");

    const QString standard = u"Impossible d'ouvrir la page:\n"_s + InvalidAddress;
    QTest::newRow("own text shown as given")
        << u"Le site des impôts ne répond pas."_s << u"Le site des impôts ne répond pas."_s;
    QTest::newRow("own text with a line break")
        << u"Erreur:\rpage absente"_s << u"Erreur:\npage absente"_s;
    QTest::newRow("one blank gives the standard text") << u" "_s << standard;
    QTest::newRow("several blanks give the standard text") << u"    "_s << standard;
    QTest::newRow("tab and line breaks give the standard text") << u"\t\r\n"_s << standard;
    QTest::newRow("control characters give the standard text") << u"\u0001\u001F "_s << standard;
}

void TestShellHelpers::openAddressFailureWarns()
{
    QFETCH(QString, failureText);
    QFETCH(QString, shown);

    TShownMessage seen;
    m_watchdog->expect([&seen](QWidget *dialog) {
        seen = ReadMessageBox(dialog);
        ClickMessageButton(dialog, u"OK"_s);
    });
    OpenAddress(nullptr, InvalidAddress, failureText);
    QCOMPARE(m_watchdog->handled(), 1);
    QVERIFY(m_catcher.opened.isEmpty());
    QCOMPARE(seen.objectName, u"MessageDialog"_s);
    QCOMPARE(seen.caption, u"Avertissement"_s);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.text, shown);
    QCOMPARE(seen.informativeText, QString());
    QCOMPARE(seen.buttons, QStringList{u"OK"_s});
}

void TestShellHelpers::openAddressFailureSilent()
{
    OpenAddress(nullptr, InvalidAddress, QString());
    QTest::qWait(60); // a warning would be seen by the watchdog
    QCOMPARE(m_watchdog->handled(), 0);
    QVERIFY(m_catcher.opened.isEmpty());
}

void TestShellHelpers::documentsFolder_data()
{
    QTest::addColumn<QString>("userDirsLine");
    QTest::addColumn<QString>("folder");

    QTest::newRow("named in the user directories")
        << u"XDG_DOCUMENTS_DIR=\"$HOME/Mes documents\""_s << u"Mes documents"_s;
    QTest::newRow("default Documents under the home folder") << QString() << u"Documents"_s;
}

void TestShellHelpers::documentsFolder()
{
    QFETCH(QString, userDirsLine);
    QFETCH(QString, folder);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    TEnvironment environment;
    QVERIFY(pointHomeAt(home, environment,
                        userDirsLine.isEmpty()
                            ? QByteArray()
                            : "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n" + userDirsLine.toUtf8() + '\n'));
    QVERIFY(QDir(home.path()).mkpath(folder));

    QCOMPARE(GetDocumentsFolder(), QDir(home.path()).filePath(folder));
}

void TestShellHelpers::documentsFolderMissing_data()
{
    QTest::addColumn<QString>("userDirsLine");

    QTest::newRow("named folder missing") << u"XDG_DOCUMENTS_DIR=\"$HOME/Mes documents\""_s;
    QTest::newRow("default Documents missing") << QString();
}

void TestShellHelpers::documentsFolderMissing()
{
    QFETCH(QString, userDirsLine);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    TEnvironment environment;
    QVERIFY(pointHomeAt(home, environment,
                        userDirsLine.isEmpty() ? QByteArray() : userDirsLine.toUtf8() + '\n'));
    // A plain file of that name is no folder either.
    QFile decoy(home.filePath(u"Documents"_s));
    if (userDirsLine.isEmpty()) {
        QVERIFY(decoy.open(QIODevice::WriteOnly));
        decoy.close();
    }

    QCOMPARE(GetDocumentsFolder(), QString());
}

void TestShellHelpers::saveDialogFolder_data()
{
    QTest::addColumn<QString>("home");     // HOME: "~" the test's home, empty unset
    QTest::addColumn<bool>("documents");   // the home holds a Documents folder
    QTest::addColumn<QString>("startsIn"); // "account" is the home of the user's account

    QTest::newRow("documents folder present") << u"~"_s << true << u"~/Documents"_s;
    QTest::newRow("documents folder absent") << u"~"_s << false << u"~"_s;
    QTest::newRow("HOME a folder that does not exist") << u"~/absent"_s << false << u"account"_s;
    QTest::newRow("HOME unset") << QString() << false << u"account"_s;
}

void TestShellHelpers::saveDialogFolder()
{
    QFETCH(QString, home);
    QFETCH(bool, documents);
    QFETCH(QString, startsIn);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    TEnvironment environment;
    QVERIFY(pointHomeAt(folder, environment, QByteArray()));
    if (home.isEmpty())
        environment.unset("HOME");
    else
        environment.set("HOME", home.replace(u'~', folder.path()));
    if (documents)
        QVERIFY(QDir(folder.path()).mkpath(u"Documents"_s));
    const passwd *account = getpwuid(geteuid());
    QVERIFY(account && QFileInfo(QFile::decodeName(account->pw_dir)).isDir());
    const QString expected = startsIn == u"account"_s ? QFile::decodeName(account->pw_dir)
                                                      : startsIn.replace(u'~', folder.path());

    QCOMPARE(SaveDialogFolder(), QDir::cleanPath(expected));
}

void TestShellHelpers::urlEncode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoded");

    QTest::newRow("Windows path keeps colon and backslash")
        << u"C:\\Program Files\\x"_s << u"C:\\Program%20Files\\x"_s;
    QTest::newRow("Linux path keeps slashes")
        << u"/usr/lib/vemora/index.html"_s << u"/usr/lib/vemora/index.html"_s;
    QTest::newRow("percent sign") << u"100%"_s << u"100%25"_s;
    QTest::newRow("plus sign") << u"a+b"_s << u"a%2Bb"_s;
    QTest::newRow("tab") << u"\t"_s << u"%09"_s;
    QTest::newRow("query characters kept") << u"page?x@y*z_w-v.u"_s << u"page?x@y*z_w-v.u"_s;
    QTest::newRow("ampersand equals hash") << u"a&b=c#d"_s << u"a%26b%3Dc%23d"_s;
    QTest::newRow("tilde and apostrophe") << u"~l'a"_s << u"%7El%27a"_s;
    QTest::newRow("e acute two bytes") << u"é"_s << u"%C3%A9"_s;
    QTest::newRow("euro sign three bytes") << u"€"_s << u"%E2%82%AC"_s;
    QTest::newRow("no-break space") << u"\u00A0"_s << u"%C2%A0"_s;
    QTest::newRow("car outside the basic plane four bytes")
        << QString::fromUcs4(U"\U0001F697") << u"%F0%9F%9A%97"_s;
    QTest::newRow("NUL character") << QString(QChar(u'\0')) << u"%00"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestShellHelpers::urlEncode()
{
    QFETCH(QString, text);
    QFETCH(QString, encoded);
    QCOMPARE(UrlEncode(text), encoded);
}

// Each of the 128 ASCII characters: the 71 kept ones as they are, the others as one %XX escape.
void TestShellHelpers::urlEncodeKeepsExactlyTheAsciiSet()
{
    const QString kept =
        u"*-./0123456789:?@ABCDEFGHIJKLMNOPQRSTUVWXYZ\\_abcdefghijklmnopqrstuvwxyz"_s;
    QCOMPARE(kept.size(), 71);
    int keptCount = 0;
    for (char16_t c = 0; c < 128; ++c) {
        const QString text(QChar{c});
        const QString expected = kept.contains(QChar(c))
                                     ? text
                                     : u"%"_s + u"%1"_s.arg(int(c), 2, 16, QChar(u'0')).toUpper();
        if (expected == text)
            ++keptCount;
        QVERIFY2(UrlEncode(text) == expected, qPrintable(u"character %1"_s.arg(int(c))));
    }
    QCOMPARE(keptCount, 71);
}

// Random texts over all of Unicode: decoding gives the text back, and the result holds only
// kept characters and well-formed escapes.
void TestShellHelpers::urlEncodeDecodesBack()
{
    const QRegularExpression wellFormed(u"^(?:[*\\-./0-9:?@A-Z\\\\_a-z]|%[0-9A-F]{2})*$"_s);
    QVERIFY(wellFormed.isValid());
    std::mt19937 generator(77u);
    std::uniform_int_distribution<int> length(0, 20);
    std::uniform_int_distribution<int> plane(0, 9);
    std::uniform_int_distribution<char32_t> ascii(0, 0x7F);
    std::uniform_int_distribution<char32_t> basic(0x80, 0xFFFD);
    std::uniform_int_distribution<char32_t> supplementary(0x10000, 0x10FFFF);

    for (int round = 0; round < 3000; ++round) {
        std::u32string points;
        const int size = length(generator);
        while (int(points.size()) < size) {
            const int which = plane(generator);
            char32_t c = which < 5   ? ascii(generator)
                         : which < 8 ? basic(generator)
                                     : supplementary(generator);
            if (c >= 0xD800 && c <= 0xDFFF)
                continue; // a lone surrogate is no character
            points.push_back(c);
        }
        const QString text = QString::fromUcs4(points.data(), qsizetype(points.size()));
        const QString encoded = UrlEncode(text);
        const QByteArray context = text.toUtf8().toPercentEncoding();
        QVERIFY2(wellFormed.match(encoded).hasMatch(), context.constData());
        QVERIFY2(QUrl::fromPercentEncoding(encoded.toUtf8()) == text, context.constData());
    }
}

QTEST_MAIN(TestShellHelpers)
#include "tst_shellhelpers.moc"
