#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The program's translations are built into it (qt_add_translations);
// Qt's own lie where the Qt installation keeps them.
const QString ProgramTranslations = QStringLiteral(":/i18n");

void install(const QLocale &locale, const QString &name, const QString &directory, QObject *owner)
{
    auto *translator = new QTranslator(owner);
    if (translator->load(locale, name, QStringLiteral("_"), directory))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

void installTranslations(const QLocale &locale, QObject *owner)
{
    install(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            owner);
    install(locale, QStringLiteral("timeline"), ProgramTranslations, owner);
}
