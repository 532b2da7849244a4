#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>


std::optional<Language> LanguageFromCode(const QString& code)
{
    const QString lower = code.trimmed().toLower().replace(QLatin1Char('-'), QLatin1Char('_'));
    if (lower == QLatin1String("pt_br") || lower == QLatin1String("pt")) return Language::Portuguese;
    if (lower == QLatin1String("es")) return Language::Spanish;
    if (lower == QLatin1String("en")) return Language::English;
    return std::nullopt;
}

QString LanguageCode(Language language)
{
    switch (language) {
    case Language::Spanish: return QStringLiteral("es");
    case Language::English: return QStringLiteral("en");
    case Language::Portuguese: break;
    }
    return QStringLiteral("pt_BR");
}

Language LanguageOfLocale(const QLocale& locale)
{
    // In the user's order (LANGUAGE=es:en, then LC_ALL, LC_MESSAGES, LANG):
    // the first the tool speaks wins.
    for (const QString& name : locale.uiLanguages()) {
        switch (QLocale(name).language()) {
        case QLocale::Portuguese: return Language::Portuguese;
        case QLocale::Spanish: return Language::Spanish;
        case QLocale::English:
            // The C locale reads as English to Qt; it is no one's choice.
            if (name == QLatin1String("C")) continue;
            return Language::English;
        default: break;
        }
    }
    return Language::Portuguese;
}

LanguageArgument FindLanguageArgument(const QStringList& arguments)
{
    LanguageArgument found;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--")) break;
        if (argument == QLatin1String("--lang")) {
            found = {true, i + 1 < arguments.size() ? arguments.at(i + 1) : QString()};
            ++i;
        } else if (argument.startsWith(QLatin1String("--lang="))) {
            found = {true, argument.mid(7)};
        }
    }
    return found;
}

QStringList WithoutLanguageArgument(const QStringList& arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            kept += arguments.mid(i);
            break;
        }
        if (argument == QLatin1String("--lang")) {
            ++i;  // and its value
        } else if (!argument.startsWith(QLatin1String("--lang="))) {
            kept << argument;
        }
    }
    return kept;
}

LanguageChoice ChooseLanguage(const LanguageArgument& argument, const QString& saved, const QLocale& locale)
{
    if (argument.given) {
        if (const auto language = LanguageFromCode(argument.value)) return {*language, false};
        return {LanguageOfLocale(locale), true};
    }
    if (const auto language = LanguageFromCode(saved)) return {*language, false};
    return {LanguageOfLocale(locale), false};
}

QString RefusedLanguageText(const LanguageArgument& argument)
{
    // What was typed goes back to a terminal: nothing in it may steer it.
    QString shown;
    for (const QChar c : argument.value) {
        shown += c.isPrint() ? QString(c) : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return QCoreApplication::translate("Language", "--lang: \"%1\" não é um idioma da ferramenta (%2).")
        .arg(shown, QLatin1String(kLanguageCodes));
}

namespace {

QTranslator* Install(QCoreApplication& application, const QString& file, const QString& folder = {})
{
    auto* translator = new QTranslator(&application);
    if (!translator->load(file, folder)) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

}  // namespace

std::vector<QTranslator*> ApplyLanguage(QCoreApplication& application, Language language, const QLocale& locale)
{
    std::vector<QTranslator*> installed;
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (language != Language::Portuguese) {
        // The user's own locale when it speaks the language (es_AR keeps
        // its dates), the language's plain one otherwise.
        const QLocale own(LanguageCode(language));
        QLocale::setDefault(own.language() == locale.language() ? locale : own);
        if (QTranslator* ours = Install(application, QStringLiteral(":/i18n/quorvel_%1.qm").arg(LanguageCode(language)))) {
            installed.push_back(ours);
        }
    }
    // Qt's own texts (file dialogs, an edit's menu, standard buttons) in the
    // same language, so a tool that speaks Portuguese does not answer
    // "Cancel"; English is what Qt is written in.
    if (language != Language::English) {
        const QString name = language == Language::Spanish ? QStringLiteral("qtbase_es") : QStringLiteral("qtbase_pt_BR");
        if (QTranslator* qt = Install(application, name, qtFolder)) installed.push_back(qt);
    }
    return installed;
}
