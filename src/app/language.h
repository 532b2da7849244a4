#pragma once
// The language the tool speaks: Portuguese (Brazil), its own, unless the
// user's locale or a choice says Spanish or English. One choice for every
// program: the window, the command-line tool, the software panel and the
// small tools, each with --lang. Qt's own texts (dialogs, edit menus) and
// numbers and dates follow it.

#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QCoreApplication;
class QTranslator;

enum class Language { Portuguese, Spanish, English };

// The languages a user may name, as --lang takes them.
inline constexpr const char* kLanguageCodes = "pt_BR|es|en";
// "pt_BR" (or "pt"), "es", "en", in any case; nothing for another text.
std::optional<Language> LanguageFromCode(const QString& code);
QString LanguageCode(Language language);

// The first of the locale's interface languages the tool speaks; Portuguese
// for the C locale and for one it has no catalogue of.
Language LanguageOfLocale(const QLocale& locale);

// The value of --lang (or --lang=VALUE) among the arguments, looked for
// before any parser runs, since the help itself must be in the language.
// given is false when the option is absent.
struct LanguageArgument {
    bool given = false;
    QString value;
};
LanguageArgument FindLanguageArgument(const QStringList& arguments);
// The arguments without --lang and its value, for a parser that does not
// know it.
QStringList WithoutLanguageArgument(const QStringList& arguments);

// The language an argument names, else the saved choice (the window's
// "Idioma"), else the locale's. refused is set when the argument names
// none: the locale's language stands, to say so in (RefusedLanguageText).
struct LanguageChoice {
    Language language = Language::Portuguese;
    bool refused = false;
};
LanguageChoice ChooseLanguage(const LanguageArgument& argument, const QString& saved = {},
                              const QLocale& locale = QLocale::system());

// "--lang: 'xx' is not ...", in the language installed.
QString RefusedLanguageText(const LanguageArgument& argument);

// Installs the tool's catalogue and Qt's for the language (Portuguese:
// Qt's texts only, the tool's are its own; English: the tool's only, Qt's
// are English) and, but for Portuguese, makes numbers and dates follow it.
// Call once, before any text is made. The translators installed, owned by
// application.
std::vector<QTranslator*> ApplyLanguage(QCoreApplication& application, Language language,
                                        const QLocale& locale = QLocale::system());
