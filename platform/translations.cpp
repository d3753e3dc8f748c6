#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

std::unique_ptr<QTranslator> loadQtGermanTranslation()
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    return translator;
}

bool installQtGermanTranslation(QCoreApplication& app)
{
    std::unique_ptr<QTranslator> translator = loadQtGermanTranslation();
    if (!translator || !QCoreApplication::installTranslator(translator.get())) return false;
    translator.release()->setParent(&app);
    return true;
}
