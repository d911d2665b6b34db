#include "model/AppLanguage.h"

namespace AppLanguages {

const QList<AppLanguage>& allCases() {
    static const QList<AppLanguage> cases{AppLanguage::system, AppLanguage::english,
                                          AppLanguage::chinese, AppLanguage::japanese,
                                          AppLanguage::korean};
    return cases;
}

QString rawValue(AppLanguage language) {
    switch (language) {
    case AppLanguage::system:
        return QStringLiteral("system");
    case AppLanguage::english:
        return QStringLiteral("en");
    case AppLanguage::chinese:
        return QStringLiteral("zh-Hans");
    case AppLanguage::japanese:
        return QStringLiteral("ja");
    case AppLanguage::korean:
        return QStringLiteral("ko");
    }
    return QStringLiteral("system");
}

std::optional<AppLanguage> fromRawValue(const QString& value) {
    for (AppLanguage language : allCases()) {
        if (rawValue(language) == value)
            return language;
    }
    return std::nullopt;
}

QString displayName(AppLanguage language) {
    switch (language) {
    case AppLanguage::system:
        return QStringLiteral("System");
    case AppLanguage::english:
        return QStringLiteral("English");
    case AppLanguage::chinese:
        return QStringLiteral("中文");
    case AppLanguage::japanese:
        return QStringLiteral("日本語");
    case AppLanguage::korean:
        return QStringLiteral("한국어");
    }
    return QStringLiteral("System");
}

} // namespace AppLanguages
