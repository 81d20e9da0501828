// The options of vemora-calc and what each command writes.
#include "CommandLine.h"

#include "Batch.h"
#include "Calculation.h"
#include "PdfExport.h"
#include "Printing.h"
#include "PublishedScales.h"
#include "RealCostsRequest.h"
#include "Report.h"

#include <QByteArray>
#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace {

// %1, %2 and %6: the years of the mileage scale, the fuel scale and the comparison with the
// 10 % deduction; %3: the first year of electric vehicles; %4, %5 and %7: the newest years.
const char16_t *const UsageText =
    u"Usage :\n"
    u"  vemora-calc km   [--year A] --kind TYPE [--electrique] [--cv N | --power P]\n"
    u"                   (--distance D | --per-day X --days N) [--json]\n"
    u"                   [--pdf FICHIER] [--print] [--printer NOM] [--copies N]\n"
    u"  vemora-calc fuel [--year A] --kind TYPE [--cv N | --cc C | --power P] [--fuel F]\n"
    u"                   [--employee] (--distance D | --per-day X --days N) [--json] ...\n"
    u"  vemora-calc frais-reels [--year A] --salaire S\n"
    u"                   [--frais-vehicule M | --bareme km|carburant --kind TYPE ...]\n"
    u"                   [--repas N [--prix-repas P] [--titres-restaurant T]]\n"
    u"                   [--teletravail-jours J | --teletravail-reel M] [--autres-frais A]\n"
    u"                   [--allocations A] [--taux-marginal R] [--json] ...\n"
    u"  vemora-calc batch FICHIER     (FICHIER peut être - pour l'entrée standard)\n"
    u"  vemora-calc --help | --version\n"
    u"\n"
    u"Calcule le barème kilométrique (années de revenus %1) et le barème carburant\n"
    u"(années de revenus %2) des frais réels, comme la calculatrice Vemora, et dit\n"
    u"si les frais réels valent mieux que la déduction de 10 % (revenus %6).\n"
    u"\n"
    u"  km           barème kilométrique\n"
    u"  fuel         barème carburant\n"
    u"  frais-reels  frais réels ou déduction de 10 % : le plus favorable, et le\n"
    u"               montant à déclarer case 1AK ou 1BK\n"
    u"  batch        un fichier CSV de calculs (séparateur ; ou ,), colonnes calcul (km,\n"
    u"               carburant ou frais-reels), annee, type, electrique, puissance, cv,\n"
    u"               cc, carburant, statut (pro ou salarie), distance ; et pour\n"
    u"               frais-reels, salaire, frais_vehicule ou bareme (km ou carburant),\n"
    u"               repas, prix_repas, titres_restaurant, teletravail_jours,\n"
    u"               teletravail_reel, autres_frais, allocations, taux_marginal\n"
    u"\n"
    u"  --year A       année des revenus : km %1, fuel %2,\n"
    u"                 frais-reels %6 ; par défaut la plus récente\n"
    u"                 (km %4, fuel %5, frais-reels %7)\n"
    u"  --kind TYPE    km : automobile, moto ou cyclomoteur ; fuel : voiture ou deux-roues\n"
    u"                 (ou leur rang : km 0 à 5, électriques 3 à 5 ; fuel 0 ou 1)\n"
    u"  --electrique   véhicule électrique (km, à partir des revenus %3)\n"
    u"  --cv N         puissance administrative en CV, celle de la carte grise\n"
    u"  --cc C         cylindrée d'un deux-roues de 125 cm³ au plus (fuel)\n"
    u"  --power P      ou le rang de la puissance dans la liste de la fenêtre (0 par défaut)\n"
    u"  --fuel F       gazole, sans-plomb ou gpl (ou 0 à 2 ; gazole par défaut)\n"
    u"  --employee     statut salarié (sinon entrepreneur individuel, profession libérale)\n"
    u"  --distance D   distance annuelle en km\n"
    u"  --per-day X    distance par jour en km, avec --days N, nombre de jours travaillés\n"
    u"  --json         résultat détaillé en JSON\n"
    u"  --pdf FICHIER  enregistre le détail du calcul en PDF (feuille A4 à 600 points par\n"
    u"                 pouce, ou le papier de l'imprimante nommée par --printer)\n"
    u"  --print        imprime le détail du calcul (--printer NOM, --copies N de 1 à 9)\n"
    u"\n"
    u"frais-reels, montants en euros :\n"
    u"  --salaire S            salaire net imposable de l'année (obligatoire)\n"
    u"  --frais-vehicule M     frais de véhicule, ou bien\n"
    u"  --bareme B             km ou carburant : les frais de véhicule de ce barème, avec\n"
    u"                         les options de km ou de fuel (--kind, --distance...)\n"
    u"  --repas N              repas pris sur le lieu de travail, chacun compté pour la\n"
    u"                         valeur d'un repas pris au foyer sans justificatif\n"
    u"  --prix-repas P         ou, avec justificatifs, pour son prix moins cette valeur\n"
    u"  --titres-restaurant T  part de l'employeur par titre-restaurant, déduite\n"
    u"  --teletravail-jours J  jours de télétravail, au forfait de l'année, ou bien\n"
    u"  --teletravail-reel M   frais réels de télétravail\n"
    u"  --autres-frais A       autres frais (formation, documentation, double résidence...)\n"
    u"  --allocations A        allocations et remboursements de frais de l'employeur,\n"
    u"                         ajoutés au salaire avec les frais réels\n"
    u"  --taux-marginal R      taux marginal d'imposition en % : estime l'impôt évité\n"
    u"\n"
    u"Les nombres s'écrivent à la française dans toutes les langues : virgule ou point\n"
    u"décimal, espaces entre les milliers (1 234,5 ou 1234.5).\n"
    u"Codes de retour : 0 fait, 1 lignes du fichier en erreur, 2 saisie refusée,\n"
    u"3 échec de l'impression, de l'enregistrement ou de l'écriture.\n";

struct TParsed
{
    TCalcRequest Request;        // the calculation, or the vehicle of a comparison
    TRealCostsRequest RealCosts; // frais-reels: the comparison
    bool Json = false;
    bool HasKind = false;
    QString KindText;
    QString PdfFile;
    QString Printer;
    bool Print = false;
    int Copies = 1;
};

bool writeLine(const TSink &sink, const QString &text)
{
    const QByteArray bytes = (text + u'\n').toUtf8();
    return sink(std::string_view(bytes.constData(), size_t(bytes.size())));
}

// A whole number option, read as the batch reads its columns.
bool readWhole(const QString &name, const QString &text, int &value, QString &error)
{
    if (!ReadWholeNumber(text, value)) {
        error = u"Valeur illisible pour %1 : « %2 » (un nombre entier est attendu)"_s.arg(
            name, QuotedInMessage(text));
        return false;
    }
    return true;
}

// The option of an amount or a count of frais-reels, or -1.
int realCostsField(const QString &option)
{
    for (int i = 0; i < RealCostsFieldCount; ++i) {
        if (option == RealCostsInputName(TRealCostsField(i), true))
            return i;
    }
    return -1;
}

// The options of the vehicle of frais-reels, which its scale reads.
constexpr QStringView VehicleOptions[] = {
    u"--kind", u"--electrique", u"--cv",       u"--cc",      u"--power",
    u"--fuel", u"--employee",   u"--distance", u"--per-day", u"--days"};

// The vehicle's kind and its distance, given one way only.
bool checkVehicleOptions(const QHash<QString, bool> &seen, TParsed &parsed, QString &error)
{
    if (!parsed.HasKind) {
        error = u"L'option --kind est obligatoire"_s;
        return false;
    }
    if (!ReadKind(parsed.Request.Type, parsed.KindText, parsed.Request.Kind)) {
        error = u"Type illisible pour --kind : « %1 » (%2)"_s.arg(QuotedInMessage(parsed.KindText),
                                                                  KindChoices(parsed.Request.Type));
        return false;
    }
    const bool distance = seen.contains(u"--distance"_s);
    const bool perDay = seen.contains(u"--per-day"_s);
    const bool days = seen.contains(u"--days"_s);
    if (distance && (perDay || days)) {
        error = u"--distance ne se combine pas avec --per-day et --days"_s;
        return false;
    }
    if (!distance && !(perDay && days)) {
        error = perDay || days ? u"--per-day et --days vont ensemble"_s
                               : u"Indiquez --distance, ou --per-day avec --days"_s;
        return false;
    }
    parsed.Request.ByDays = !distance;
    return true;
}

// frais-reels: the vehicle's options only with its scale, and those of the fuel scale only
// with it.
bool checkComparisonOptions(const QHash<QString, bool> &seen, TParsed &parsed, QString &error)
{
    TRealCostsRequest &comparison = parsed.RealCosts;
    comparison.Year = parsed.Request.Year;
    if (comparison.VehicleFromScale && seen.contains(u"--frais-vehicule"_s)) {
        error = u"--frais-vehicule ne se combine pas avec --bareme"_s;
        return false;
    }
    for (QStringView option : VehicleOptions) {
        if (!seen.contains(option.toString()))
            continue;
        if (!comparison.VehicleFromScale) {
            error = u"%1 va avec --bareme km ou --bareme carburant"_s.arg(option);
            return false;
        }
        if (parsed.Request.Type == tcKmCost &&
            (option == u"--fuel"_s || option == u"--employee"_s)) {
            error = u"%1 va avec --bareme carburant"_s.arg(option);
            return false;
        }
    }
    return true;
}

bool parseCalculation(TTypeCalc type, const QStringList &args, TParsed &parsed, QString &error)
{
    // A comparison's vehicle takes its scale from --bareme.
    const bool comparison = type == tcRealCosts;
    parsed.Request.Type = type;
    parsed.Request.Year = NewestYear(type);
    QHash<QString, bool> seen;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &option = args.at(i);
        const bool flag = option == u"--json"_s || option == u"--print"_s ||
                          (type != tcKmCost && option == u"--employee"_s) ||
                          (type != tcFuelCost && option == u"--electrique"_s);
        const bool valued =
            option == u"--year"_s || option == u"--kind"_s || option == u"--power"_s ||
            option == u"--cv"_s || option == u"--distance"_s || option == u"--per-day"_s ||
            option == u"--days"_s || option == u"--pdf"_s || option == u"--printer"_s ||
            option == u"--copies"_s ||
            (type != tcKmCost && (option == u"--fuel"_s || option == u"--cc"_s)) ||
            (comparison && (option == u"--bareme"_s || realCostsField(option) >= 0));
        if (!flag && !valued) {
            error = option.startsWith(u'-')
                        ? u"Option inconnue : %1"_s.arg(QuotedInMessage(option))
                        : u"Argument inattendu : « %1 »"_s.arg(QuotedInMessage(option));
            return false;
        }
        if (seen.contains(option)) {
            error = u"Option donnée deux fois : %1"_s.arg(option);
            return false;
        }
        seen.insert(option, true);
        if (flag) {
            if (option == u"--json"_s)
                parsed.Json = true;
            else if (option == u"--print"_s)
                parsed.Print = true;
            else if (option == u"--electrique"_s)
                parsed.Request.Electric = true;
            else
                parsed.Request.Status = tsEmployee;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = u"Valeur manquante pour l'option %1"_s.arg(option);
            return false;
        }
        const QString &value = args.at(++i);
        TCalcRequest &r = parsed.Request;
        if (option == u"--year"_s) {
            if (!readWhole(option, value, r.Year, error))
                return false;
        } else if (option == u"--kind"_s) {
            // Read once the scale is known.
            parsed.KindText = value;
            parsed.HasKind = true;
        } else if (option == u"--bareme"_s) {
            if (!ReadScaleChoice(value, r.Type)) {
                error = u"Barème illisible pour --bareme : « %1 » (km ou carburant)"_s.arg(
                    QuotedInMessage(value));
                return false;
            }
            parsed.RealCosts.VehicleFromScale = true;
        } else if (const int field = realCostsField(option); field >= 0) {
            parsed.RealCosts.Texts[size_t(field)] = value;
        } else if (option == u"--power"_s) {
            if (!readWhole(option, value, r.Power, error))
                return false;
            r.PowerGiven = true;
        } else if (option == u"--cv"_s) {
            if (!readWhole(option, value, r.Cv, error))
                return false;
        } else if (option == u"--cc"_s) {
            if (!readWhole(option, value, r.Cc, error))
                return false;
        } else if (option == u"--fuel"_s) {
            if (!ReadFuel(value, r.Fuel)) {
                error = u"Carburant illisible pour --fuel : « %1 » (%2)"_s.arg(
                    QuotedInMessage(value), FuelChoices());
                return false;
            }
        } else if (option == u"--pdf"_s) {
            parsed.PdfFile = value;
        } else if (option == u"--printer"_s) {
            parsed.Printer = value;
        } else if (option == u"--copies"_s) {
            if (!readWhole(option, value, parsed.Copies, error))
                return false;
            if (parsed.Copies < 1 || parsed.Copies > 9) {
                error = u"Nombre de copies hors limites : %1 (de 1 à 9)"_s.arg(value);
                return false;
            }
        } else if (option == u"--distance"_s) {
            r.Distance = value;
        } else if (option == u"--per-day"_s) {
            r.PerDay = value;
        } else {
            r.Days = value;
        }
    }
    if (comparison && !checkComparisonOptions(seen, parsed, error))
        return false;
    if ((!comparison || parsed.RealCosts.VehicleFromScale) &&
        !checkVehicleOptions(seen, parsed, error))
        return false;
    parsed.RealCosts.Vehicle = parsed.Request;
    if (seen.contains(u"--copies"_s) && !parsed.Print) {
        error = u"--copies va avec --print"_s;
        return false;
    }
    if (seen.contains(u"--printer"_s) && !parsed.Print && parsed.PdfFile.isEmpty()) {
        error = u"--printer va avec --print ou --pdf"_s;
        return false;
    }
    if (!parsed.PdfFile.isEmpty() &&
        !IsAllowedExtension(FileExtension(parsed.PdfFile), u".pdf"_s)) {
        error = u"L'extension du fichier : %1, n'est pas valide."_s.arg(
            QuotedInMessage(FileExtension(parsed.PdfFile)));
        return false;
    }
    return true;
}

// Prints or saves the report; false with the reason and the exit status when it fails.
// `refusal` says why there is nothing to print, as the window says it, or is empty.
bool outputReport(const TParsed &parsed, TTypeCalc type, const QString &refusal,
                  const std::function<TReport()> &makeReport, QString &error, int &status)
{
    if (!parsed.Print && parsed.PdfFile.isEmpty())
        return true;
    status = esRefused;
    if (!parsed.Printer.isEmpty() && !Printers().contains(parsed.Printer)) {
        error = u"Imprimante inconnue : %1"_s.arg(QuotedInMessage(parsed.Printer));
        return false;
    }
    // As the window's print command: a printer first, then a distance to print.
    if (parsed.Print && Printers().isEmpty()) {
        error = u"Aucune imprimante n'a été trouvée\u00A0!"_s;
        status = esOutputFailed;
        return false;
    }
    if (!refusal.isEmpty()) {
        error = refusal;
        return false;
    }
    const TReport report = makeReport();
    status = esOutputFailed;
    if (!parsed.PdfFile.isEmpty()) {
        TDeviceCaps caps = VirtualA4Sheet();
        if (!parsed.Printer.isEmpty()) {
            SelectCurrentPrinter(parsed.Printer);
            caps = CapsOf(CurrentPrinter());
        }
        TPageList pages{std::make_shared<TRecordedPage>()};
        RecordReport(*pages.first(), report, caps);
        QByteArray pdf;
        QString cause;
        const QString name = ReportDocumentName(type, QString::number(parsed.Request.Year));
        if (!RenderPagesToPdf(pages, 180, name, QDateTime::currentDateTime(), pdf, cause) ||
            !WriteFileReplacing(parsed.PdfFile, pdf, cause)) {
            error = u"Une erreur s'est produite avec le message suivant : %1 Le fichier n'a pas "
                    u"été sauvegardé."_s.arg(cause);
            return false;
        }
    }
    if (parsed.Print) {
        SelectCurrentPrinter(parsed.Printer);
        ResetPrinter();
        const int sent = PrintReport(report, parsed.Copies);
        if (sent < parsed.Copies) {
            error = u"Impression interrompue : %1 copie(s) envoyée(s) sur %2"_s.arg(sent).arg(
                parsed.Copies);
            return false;
        }
    }
    return true;
}

// Runs km, fuel or frais-reels: what is published for the year is looked up once, and handed
// to the calculation and to its report.
int runCalculation(TTypeCalc type, const QStringList &args, const TOutputs &outputs)
{
    TParsed parsed;
    QString error;
    const TInputNames names{u"--distance"_s, u"--per-day"_s, u"--days"_s};
    TPublishedYear published;
    TCalcResult result;
    TRealCostsCalc comparison;
    QString shown;
    QString refusal;
    std::function<TReport()> makeReport;
    const bool comparing = type == tcRealCosts;
    const auto compute = [&] {
        if (comparing)
            return ComputeRealCostsRequest(parsed.RealCosts, true, names, comparison, error);
        published = FindPublishedYear(parsed.Request.Year);
        return ComputeRequest(parsed.Request, published, names, result, error);
    };
    if (!parseCalculation(type, args, parsed, error) || !compute()) {
        writeLine(outputs.Err, u"vemora-calc : "_s + error);
        return esRefused;
    }
    if (comparing) {
        shown =
            parsed.Json ? RealCostsToJson(parsed.RealCosts, comparison) : RealCostsText(comparison);
        makeReport = [&] {
            return MakeRealCostsReport(parsed.RealCosts.Year, comparison.Input, comparison.Result,
                                       *comparison.Published.RealCosts);
        };
    } else {
        shown = parsed.Json ? ResultToJson(parsed.Request, result) : result.Shown;
        if (result.Distance <= 0)
            refusal = u"Le kilométrage effectué dans l'année est nul !"_s;
        makeReport = [&] { return RequestReport(parsed.Request, published, result); };
    }
    int status = esDone;
    if (!outputReport(parsed, type, refusal, makeReport, error, status)) {
        writeLine(outputs.Err, u"vemora-calc : "_s + error);
        return status;
    }
    if (!writeLine(outputs.Out, shown))
        return esOutputFailed;
    return esDone;
}

} // namespace

int RunCommandLine(const QStringList &args, const TOutputs &outputs, const TFileOpener &openFile)
{
    if (args.isEmpty()) {
        writeLine(outputs.Err,
                  u"vemora-calc : commande manquante (km, fuel, frais-reels ou batch) ; "
                  u"vemora-calc --help donne l'usage"_s);
        return esRefused;
    }
    const QString &command = args.at(0);
    if (command == u"--help"_s || command == u"-h"_s) {
        if (args.size() == 1) {
            const QByteArray usage =
                QString::fromUtf16(UsageText)
                    .arg(YearRangeText(tcKmCost), YearRangeText(tcFuelCost),
                         QString::number(FirstElectricKindsYear()),
                         QString::number(NewestYear(tcKmCost)),
                         QString::number(NewestYear(tcFuelCost)), YearRangeText(tcRealCosts),
                         QString::number(NewestYear(tcRealCosts)))
                    .toUtf8();
            return outputs.Out(std::string_view(usage.constData(), size_t(usage.size())))
                       ? esDone
                       : esOutputFailed;
        }
    } else if (command == u"--version"_s) {
        if (args.size() == 1) {
            return writeLine(outputs.Out, u"vemora-calc " VEMORA_VERSION ""_s) ? esDone
                                                                               : esOutputFailed;
        }
    } else if (command == u"km"_s) {
        return runCalculation(tcKmCost, args, outputs);
    } else if (command == u"fuel"_s) {
        return runCalculation(tcFuelCost, args, outputs);
    } else if (command == u"frais-reels"_s) {
        return runCalculation(tcRealCosts, args, outputs);
    } else if (command == u"batch"_s) {
        if (args.size() != 2) {
            writeLine(outputs.Err, args.size() < 2
                                       ? u"vemora-calc : batch attend un fichier (ou -)"_s
                                       : u"vemora-calc : argument inattendu : « %1 »"_s.arg(
                                             QuotedInMessage(args.at(2))));
            return esRefused;
        }
        TByteSource source;
        QString error;
        if (!openFile(args.at(1), source, error)) {
            writeLine(outputs.Err, u"vemora-calc : "_s + error);
            return esRefused;
        }
        return RunBatch(source, outputs.Out, outputs.Err);
    } else {
        writeLine(outputs.Err,
                  (command.startsWith(u'-') ? u"vemora-calc : option inconnue : %1"_s
                                            : u"vemora-calc : commande inconnue : %1"_s)
                      .arg(QuotedInMessage(command)));
        return esRefused;
    }
    writeLine(outputs.Err,
              u"vemora-calc : argument inattendu : « %1 »"_s.arg(QuotedInMessage(args.at(1))));
    return esRefused;
}
