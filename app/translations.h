#ifndef TRANSLATIONS_H
#define TRANSLATIONS_H

class QLocale;
class QObject;

// Installs the program's own translation and Qt's for the locale's UI
// languages, the first of them that has one; where none has, the texts stay
// English. The translators are children of owner and leave the application
// with it.
void installTranslations(const QLocale &locale, QObject *owner);

#endif // TRANSLATIONS_H
