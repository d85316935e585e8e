#include "gui/widgets/QtChinese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

bool InstallQtChinese() {
    // Owned by the application; a later application loads its own.
    static QPointer<QTranslator> loaded;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    if (loaded)
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    // Debian's qt6-translations-l10n puts the catalogues where QLibraryInfo
    // points; the fixed path covers a Qt built elsewhere running on Debian.
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_zh_CN"), folder) &&
            QCoreApplication::installTranslator(translator)) {
            loaded = translator;
            return true;
        }
    }
    delete translator;
    return false;
}
