// Loading of the home page's browser module.
#include "HomeBrowser.h"

#include <QCoreApplication>
#include <QLibrary>

using namespace Qt::Literals::StringLiterals;

THomeBrowser *CreateHomeBrowser(QWidget *parent)
{
    QStringList folders{QCoreApplication::applicationDirPath()};
#ifdef VEMORA_MODULE_DIR
    folders << QStringLiteral(VEMORA_MODULE_DIR);
#endif
    for (const QString &folder : folders) {
        QLibrary module(folder + u"/vemora_homepage"_s);
        if (!module.load())
            continue;
        // The module stays loaded for the rest of the run.
        if (auto create =
                reinterpret_cast<TCreateHomeBrowser>(module.resolve(CreateHomeBrowserName)))
            return create(parent);
    }
    return nullptr;
}
