#include "theme/ThemeModule.h"

#include "services/LanguageManager.h"
#include "theme/AppIconImageProvider.h"
#include "theme/SymbolImageProvider.h"

#include <QQmlEngine>
#include <mutex>

namespace {

const char* languageProperty = "velmoraLanguageManager";

// Registration is process-wide in Qt; each engine then finds its own manager.
void registerTypesOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        qmlRegisterSingletonType<LanguageManager>(
            "Velmora.Native", 1, 0, "VelmoraLanguage", [](QQmlEngine* engine, QJSEngine*) {
                auto* manager = engine->property(languageProperty).value<LanguageManager*>();
                QJSEngine::setObjectOwnership(manager, QJSEngine::CppOwnership);
                return static_cast<QObject*>(manager);
            });
    });
}

} // namespace

void ThemeModule::install(QQmlEngine& engine, LanguageManager& language, AppIconSource& icons,
                          Logger& logger) {
    registerTypesOnce();
    engine.setProperty(languageProperty, QVariant::fromValue(&language));
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine.addImageProvider(SymbolImageProvider::providerId(), new SymbolImageProvider(logger));
    engine.addImageProvider(AppIconImageProvider::providerId(),
                            new AppIconImageProvider(icons, engine));
}
