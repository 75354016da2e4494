#pragma once

class QLocale;
class QTranslator;

// Qt's own texts (dialog labels, standard buttons) in the user's language:
// from a "translations" folder beside the program (the Windows package),
// else from Qt's own. Returns the installed translator, owned by the
// application, or null where there is none for that language. The
// program's own captions and messages are not translated.
QTranslator *installQtTranslations(const QLocale &locale);
