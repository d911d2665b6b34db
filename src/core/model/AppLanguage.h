#pragma once

#include <QList>
#include <QString>
#include <optional>

// Interface languages. `system` follows the user's preferred languages.
enum class AppLanguage { system, english, chinese, japanese, korean };

namespace AppLanguages {
const QList<AppLanguage>& allCases();
QString rawValue(AppLanguage language);
// Exact, case-sensitive match of a raw value.
std::optional<AppLanguage> fromRawValue(const QString& rawValue);
// The same in every interface language.
QString displayName(AppLanguage language);
} // namespace AppLanguages
