// Writes the starting inputs of the fuzz targets: fuzz_make_corpus <folder> fills
// <folder>/<target>/ for every target. The files under tests/fuzz/corpus/ come from it.
#include "FrenchLocale.h"
#include "NumberText.h"
#include "Png.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <png.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

QDir g_root;

bool writeInput(const QString &target, const QString &name, const QByteArray &bytes)
{
    if (!g_root.mkpath(target))
        return false;
    QFile file(g_root.filePath(target + u'/' + name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "fuzz_make_corpus : écriture impossible : %s\n",
                     qPrintable(file.fileName()));
        return false;
    }
    return true;
}

QByteArray extendedBytes(long double x)
{
    return QByteArray(reinterpret_cast<const char *>(&x), 10);
}

bool numberTexts()
{
    const QList<std::pair<const char *, QString>> texts{
        {"grouped-with-blanks", Fr(u"  1 234,5  "_s)},
        {"rate", u"0,529"_s},
        {"fixed-amount", Fr(u"1 065"_s)},
        {"negative", u"-2,5"_s},
        {"exponent", u"1e3"_s},
        {"negative-exponent", u"1E-2"_s},
        {"signed-exponent", u"-2,5e+1"_s},
        {"lone-separator", u","_s},
        {"separator-first", u"-,5"_s},
        {"separator-last", u"5,"_s},
        {"plus-sign", u"+7"_s},
        {"control-characters", u"\t12\n"_s},
        {"leading-zeros", u"0012,50"_s},
        {"point-instead-of-comma", u"1.5"_s},
        {"trailing-letters", u"12abc"_s},
        {"blanks-only", u"   "_s},
        {"two-separators", u"1,2,3"_s},
        {"exponent-without-digits", u"1e+"_s},
        {"blank-after-sign", u"- 5"_s},
        {"plain-space-thousands", u"1 000"_s},
        {"no-break-space-thousands", u"1\u00A0000"_s},
        {"too-large", u"1e5000"_s},
        {"underflow", u"1e-5000"_s},
        {"hexadecimal", u"0x10"_s},
        {"below-a-half", u"0,4999999999999999999"_s},
        {"short-text-limit", Fr(u"999 999 999 999 999,5"_s)},
        {"eighteen-digits", NumberToText(123456789012345678.0L, 0)},
        {"exponent-form", NumberToText(1.5e19L, 2)},
        {"third", NumberToShortText(1.0L / 3)},
        {"millions", NumberToText(1234567.891L, 2)},
    };
    for (const auto &[name, text] : texts) {
        if (!writeInput(u"number_text"_s, QString::fromLatin1(name), text.toUtf8()))
            return false;
    }
    // Ten bytes read as an extended number by the target.
    const QList<std::pair<const char *, long double>> values{
        {"value-1.005", 1.005L},
        {"value-2.675", 2.675L},
        {"value-largest", std::numeric_limits<long double>::max()},
        {"value-smallest-subnormal", std::numeric_limits<long double>::denorm_min()},
        {"value-negative-zero", -0.0L},
        {"value-not-a-number", std::numeric_limits<long double>::quiet_NaN()},
        {"value-1e18", 1e18L},
        {"value-electric-markup", 0.341L * 1.2L},
    };
    for (const auto &[name, value] : values) {
        if (!writeInput(u"number_text"_s, QString::fromLatin1(name), extendedBytes(value)))
            return false;
    }
    return true;
}

QByteArray caretAndText(int caret, const QString &text)
{
    const auto value = int16_t(caret);
    return QByteArray(reinterpret_cast<const char *>(&value), 2) + text.toUtf8();
}

bool editTexts()
{
    const QList<std::tuple<const char *, int, QString>> texts{
        {"pasted-mixture", 8, u"a1-2.5,3"_s},
        {"leading-minus", 2, u"-5"_s},
        {"trailing-minus", 2, u"5-"_s},
        {"decimal-comma", 4, u"12,5"_s},
        {"grouped-with-blanks", 0, Fr(u" 1 234,5 "_s)},
        {"two-points", 3, u"12..5"_s},
        {"two-minus-signs", 1, u"--1"_s},
        {"tabs-around", 5, u"\t-,5\t"_s},
        {"empty-negative-caret", -1, QString()},
        {"caret-far-beyond", 30000, u"1.2.3"_s},
        {"letters-between", 6, u"1x2y3,z4"_s},
    };
    for (const auto &[name, caret, text] : texts) {
        if (!writeInput(u"number_edit"_s, QString::fromLatin1(name), caretAndText(caret, text)))
            return false;
    }
    return true;
}

QByteArray utf16Bytes(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

bool urlTexts()
{
    QString printable;
    for (char16_t c = 0x20; c < 0x7F; ++c)
        printable += QChar(c);
    const QList<std::pair<const char *, QString>> texts{
        {"home-page-path", u"/usr/share/vemora/index.html"_s},
        {"accented-path", u"/home/élodie/Documents/Détail des frais 2022.pdf"_s},
        {"query-characters", u"a b+c&d=é%#"_s},
        {"outside-basic-plane", u"voiture \U0001F697 !"_s},
        {"lone-high-surrogate", u"a"_s + QChar(0xD83D) + u"b"_s},
        {"lone-low-surrogate", QString(QChar(0xDE97)) + u"z"_s},
        {"symbols", u"€ ¤ ß \u202F \u00A0"_s},
        {"null-character", QString(QChar(0)) + u"x"_s},
        {"printable-ascii", printable},
    };
    for (const auto &[name, text] : texts) {
        if (!writeInput(u"url_encode"_s, QString::fromLatin1(name), utf16Bytes(text)))
            return false;
    }
    return true;
}

void appendOutput(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray *>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char *>(data), qsizetype(length));
}

void flushNothing(png_structp) {}

struct TLibpngPicture
{
    png_uint_32 Width;
    png_uint_32 Height;
    int BitDepth;
    int ColorType;
    int Interlace;
    bool Phys;
    bool Text;
};

bool encodeRows(png_structp png, png_infop info, const TLibpngPicture &p,
                std::vector<png_byte> &row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, p.Width, p.Height, p.BitDepth, p.ColorType, p.Interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[4] = {{255, 255, 255}, {0, 0, 0}, {90, 140, 200}, {200, 30, 30}};
    if (p.ColorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, palette, 4);
    if (p.Phys)
        png_set_pHYs(png, info, 2835, 2835, PNG_RESOLUTION_METER);
    png_text text{};
    char key[] = "Title";
    char value[] = "Frais kilometriques";
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = key;
    text.text = value;
    if (p.Text)
        png_set_text(png, info, &text, 1);
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    row.assign(png_get_rowbytes(png, info), 0);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < p.Height; ++y) {
            for (size_t i = 0; i < row.size(); ++i)
                row[i] = png_byte((i * 37 + y * 11) & (p.BitDepth < 8 ? 0x55 : 0xFF));
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    return true;
}

QByteArray libpngPicture(const TLibpngPicture &p)
{
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    png_set_write_fn(png, &out, appendOutput, flushNothing);
    std::vector<png_byte> row;
    const bool ok = encodeRows(png, info, p, row);
    png_destroy_write_struct(&png, &info);
    return ok ? out : QByteArray();
}

QImage samplePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((x + y) % 7 == 0)
                picture.setPixel(x, y, qRgb(0, 0, 0));
            else if (x > width / 2 && y > height / 2)
                picture.setPixel(x, y, qRgb(90, 140, 200));
        }
    }
    return picture;
}

bool pngPictures()
{
    const QByteArray page = EncodePng(samplePicture(40, 30));
    QList<std::pair<const char *, QByteArray>> pictures{
        {"encodepng-1x1", EncodePng(samplePicture(1, 1))},
        {"encodepng-3x2", EncodePng(samplePicture(3, 2))},
        {"encodepng-40x30", page},
        {"encodepng-cut-in-phys", page.left(46)},
        {"libpng-rgb-without-phys", libpngPicture({5, 4, 8, PNG_COLOR_TYPE_RGB, 0, false, false})},
        {"libpng-rgb-interlaced", libpngPicture({9, 9, 8, PNG_COLOR_TYPE_RGB, 1, true, false})},
        {"libpng-gray-1bit", libpngPicture({17, 3, 1, PNG_COLOR_TYPE_GRAY, 0, false, false})},
        {"libpng-palette-with-text",
         libpngPicture({6, 6, 2, PNG_COLOR_TYPE_PALETTE, 0, false, true})},
        {"libpng-rgba-16bit", libpngPicture({3, 3, 16, PNG_COLOR_TYPE_RGB_ALPHA, 0, true, true})},
        {"libpng-gray-alpha", libpngPicture({4, 2, 8, PNG_COLOR_TYPE_GRAY_ALPHA, 0, false, false})},
    };
    for (const auto &[name, bytes] : pictures) {
        if (bytes.isEmpty() || !writeInput(u"png"_s, QString::fromLatin1(name), bytes))
            return false;
    }
    return true;
}

bool batchFiles()
{
    const QByteArray header = "calcul;annee;type;puissance;carburant;statut;distance\n";
    // The fuzz target reads "\x01 k c" as c repeated (k + 1) × 256 times: 65 280 bytes here.
    const QByteArray x65280 = "\x01\xFEx";
    const QByteArray note = "calcul;type;distance;note\n";
    const QList<std::pair<const char *, QByteArray>> files{
        {"mileage-and-fuel", header + "km;2022;0;0;;;12000\n"
                                      "km;2019;3;1;;;15000\n"
                                      "carburant;2022;0;1;2;salarie;10000\n"
                                      "carburant;2022;1;0;;pro;4500\n"},
        {"columns-in-any-order",
         "Distance;Type;Calcul\n12000;0;km\n\n4500;5;KM\n10000;1;carburant\n"},
        {"spreadsheet-export", "\xEF\xBB\xBF\"calcul\";\"annee\";\"type\";\"puissance\";"
                               "\"distance\"\r\n\"km\";\"2019\";\"3\";\"1\";\"15000\"\r\n"
                               "km;2022;0;0;1234,5\r\n"},
        {"rows-in-error", header + "avion;2022;0;0;;;100\n"
                                   "km;2010;0;0;;;100\n"
                                   "km;deux;0;0;;;100\n"
                                   "km;2022;;0;;;100\n"
                                   "km;2022;1;3;;;100\n"
                                   "carburant;2022;0;0;0;cadre;100\n"
                                   "carburant;2022;0;0;4;pro;100\n"
                                   "km;2022;0;0;;;\n"
                                   "km;2022;0;0;;;-3\n"
                                   "km\n"},
        {"distances", header + "km;2022;0;0;;;1234.5\n"
                               "km;2022;0;0;;;1e17\n"
                               "km;2022;0;0;;;1e18\n"
                               "km;2022;0;0;;;0,5\n"
                               "carburant;2022;0;0;0;Salarié;99999999999999999\n"},
        {"empty-file", ""},
        {"blank-lines-only", "\n \r\n\"\"\n"},
        {"distance-column-missing", "calcul;type\nkm;0\n"},
        {"comma-separated", "calcul,type,distance\nkm,0,100\n"},
        {"comma-separated-quoted-decimals", "calcul,type,carburant,distance\n"
                                            "km,automobile,,\"1234,5\"\n"
                                            "carburant,voiture,gazole,\"12 000,25\"\n"
                                            "carburant,0,1,\"1,2,3\"\n"},
        {"quoted-separators-and-line-breaks", note + "km;0;100;\"aller; retour\"\n"
                                                     "km;0;\"2\n00\";\"ligne 1\nligne 2\"\n"
                                                     "\"km\n\";0;100;\"\"\n"
                                                     "km;1;300;\"fin\r\n\"\n"},
        {"quotes-as-spreadsheets", note + "km;0;100;\"le \"\"grand\"\" trajet\"\n"
                                          "  \"km\"  ; \"0\";100;\"\"\"\"\n"
                                          "\"km\"x;0;100;a\"b\"c\n"
                                          "km;0;100;\"a\" \"b\"\n"
                                          "km;0;100;\"a\"\"\n"},
        {"words-for-kinds-and-fuels",
         "calcul;type;carburant;statut;distance\n"
         "km;automobile;;;12000\nKM; Moto ;;;4500\nkm;cyclomoteur;;;3000\nkm;avion;;;100\n"
         "carburant;voiture;gazole;pro;10000\ncarburant;VOITURE;sans-plomb;salarie;8000\n"
         "carburant;deux-roues;gpl;;6000\ncarburant;voiture;kérosène;;100\n"
         "carburant;automobile;;;100\n"},
        {"horsepower-cylinder-electric",
         "calcul;annee;type;electrique;cv;cc;puissance;carburant;statut;distance\n"
         "km;2025;automobile;oui;5;;;;;12000\nkm;2025;moto;non;4;;;;;4500\n"
         "km;2025;automobile;1;;;2;;;8000\nkm;2025;automobile;0;11;;;;;20000\n"
         "km;2025;automobile;peut-être;5;;;;;100\nkm;2025;automobile;;5;;2;;;100\n"
         "km;2025;automobile;;;49;;;;100\nkm;2025;cyclomoteur;;3;;;;;100\n"
         "km;2025;automobile;;0;;;;;100\nkm;2025;automobile;;cinq;;;;;100\n"
         "carburant;2025;deux-roues;;;49;;;;10000\ncarburant;2025;deux-roues;;;125;;;;10000\n"
         "carburant;2025;deux-roues;;;200;;;;100\ncarburant;2025;deux-roues;;4;49;;;;100\n"
         "carburant;2025;deux-roues;;2;;;;;100\ncarburant;2025;voiture;;9;;;gpl;salarie;10000\n"
         "carburant;2025;voiture;oui;5;;;;;100\ncarburant;2025;voiture;;;50;;;;100\n"},
        {"quote-never-closed", note + "km;0;100;ok\nkm;0;\"100\nkm;0;200;\n"},
        {"quote-never-closed-in-header", "calcul;\"type;distance\nkm;0;100\n"},
        // A line break between quotes is the header's content: the comma is its separator.
        {"header-with-quoted-line-break", "\"\n\",\n"},
        {"invalid-utf8-and-nul",
         "calcul;type;statut;distance;note\xFF\nkm;0;;100;\xC3\x28\nkm;0;;1\x00"
         "0;a\x00"
         "b\nkm;0;;100;\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\nkm;0;;100;\xE2\x82\n"
         "carburant;0;;100;\xEF\xBB\xBF\xFF\ncarburant;voiture;Salari\xE9;100\n"_ba},
        {"crlf-and-lone-cr", "calcul;type;distance\r\nkm;0;100\r\nkm;0;1\r00\r\n"
                             "\"km\";0;\"5\r\n0\"\r\n\r\n \r\nkm;0;7\r\rkm;0;8\r"},
        {"record-of-64-kio", note + "km;0;100;" + x65280 + QByteArray(250, 'x') + "\n" +
                                 "km;0;100;" + x65280 + QByteArray(250, 'x') + ";  \"\"\n" +
                                 "km;0;100;" + x65280 + QByteArray(251, 'x') + "\nkm;0;100;\n"},
        {"record-over-64-kio-in-header", "calcul;type;distance;" + x65280 + x65280 + "\nkm;0;1\n"},
        // A ';' beyond the first 64 KiB does not count: the file is comma-separated.
        {"first-line-over-64-kio", "calcul,type,distance,\x01\xFF \"\";note\nkm,0,100,x\n"},
        {"comparisons",
         "calcul;annee;salaire;frais_vehicule;bareme;type;cv;carburant;statut;distance;repas;"
         "prix_repas;titres_restaurant;teletravail_jours;teletravail_reel;autres_frais;"
         "allocations;taux_marginal\n"
         "frais-reels;2024;30000;4857;;;;;;;;;;;;;;\n"
         "frais-reels;2025;30000;;km;automobile;5;;;12000;200;;;;150;;;30\n"
         "frais-reels;2025;30000;;carburant;voiture;6;gpl;salarie;8000;;;;;;;;\n"
         "km;2025;;;;automobile;5;;;12000;;;;;;;;\n"
         "frais-reels;2023;30000;4000;;;;;;;;;;;;;1000;\n"
         "frais-reels;2024;38000;;KM;moto;4;;;4000;180;11,50;4;;;;1200;41\n"
         "frais-reels;2022;25000;;;;;;;;;;;300;;;;\n"
         "frais-reels;2025;400;;;;;;;;;;;;;;;\n"
         "frais-reels;2025;30000;;avion;;;;;;;;;;;;;\n"
         "frais-reels;2025;30000;;;automobile;;;;100;;;;;;;;\n"
         "frais-reels;2025;;;;;;;;;;;;;;;;\n"
         "frais-reels;2025;30000;;;;;;;;731;;;;;;;\n"
         "frais-reels;2025;30000;;;;;;;;;9;;;;;;\n"
         "frais-reels;2024;30000;;;;;;;;;;;10;10;;;\n"
         "frais-reels;2025;30000;;;;;;;;;;;;;;;14\n"
         "frais-reels;2025;-5;;;;;;;;;;;;;;;\n"
         "frais-reels;2025;1e30;;;;;;;;;;;;;;;\n"
         "frais-reels;2025;30000;1;km;automobile;5;;;100;;;;;;;;\n"},
        {"comparisons-alone",
         "calcul,salaire,frais_vehicule,allocations\n"
         "frais-reels,\"30000,50\",3000,\nfrais-reels,1000,,\"2,5\"\nkm,1,1\n"},
    };
    for (const auto &[name, bytes] : files) {
        if (!writeInput(u"batch"_s, QString::fromLatin1(name), bytes))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage : fuzz_make_corpus <dossier>\n");
        return 2;
    }
    PinFrenchLocale();
    g_root = QDir(QString::fromLocal8Bit(argv[1]));
    const bool ok = numberTexts() && editTexts() && urlTexts() && pngPictures() && batchFiles();
    return ok ? 0 : 1;
}
