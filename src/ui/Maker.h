// The maker of the program, its web address and the credits, shared by the windows.
#pragma once

#include <QString>

// The maker's web address: a page of the tax administration useful to our users.
QString SiteAddress();
// Whether SiteAddress is a web address at all (it holds "://"); links do nothing otherwise.
bool SiteAddressValid();
// Set once by the main window at its creation.
void SetSiteAddress(const QString &address);

// The official page of the decree fixing the current scale, and its date.
QString DecreeAddress();
QString DecreeDate();

QString MakerName();
// The notice of the main window's bottom bar and the copyright line of the information window.
QString MakerNotice();
QString MakerCopyright();
QString AuthorName();
QString RightsReserved();
// The version shown by the information window.
QString ProgramVersion();
