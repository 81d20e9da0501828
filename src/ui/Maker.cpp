// The maker of the program, its web address and the credits, shared by the windows.
#include "Maker.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString &siteAddressStorage()
{
    static QString address;
    return address;
}

} // namespace

QString SiteAddress()
{
    return siteAddressStorage();
}

bool SiteAddressValid()
{
    return siteAddressStorage().indexOf(u"://"_s) > 0;
}

void SetSiteAddress(const QString &address)
{
    siteAddressStorage() = address;
}

QString DecreeAddress()
{
    return u"https://www.legifrance.gouv.fr/jorf/id/JORFTEXT000047416556"_s;
}

QString DecreeDate()
{
    return u"27 mars 2023"_s;
}

QString MakerName()
{
    return u"Ostrel"_s;
}

QString MakerNotice()
{
    return u"© 2023 Ostrel"_s;
}

QString MakerCopyright()
{
    return u"Copyright © 2023 Ostrel"_s;
}

QString AuthorName()
{
    return u"Équipe Vemora"_s;
}

QString RightsReserved()
{
    return u"Tous droits réservés"_s;
}

QString ProgramVersion()
{
    return QStringLiteral(VEMORA_VERSION); // the project's version, as the build knows it
}
