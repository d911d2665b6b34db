#pragma once

class AppIconSource;
class LanguageManager;
class Logger;
class QQmlEngine;

// Makes the style kit available to an engine: `import Velmora.Theme` then gives the colours,
// fonts, animations, controls, symbols and the Texts lookup bound to this LanguageManager.
// Views are QML files in the resources, loaded by URL: src/<folder>/X.qml is
// qrc:/qt/qml/Velmora/<folder>/X.qml (the kit itself is the module folder Velmora/Theme).
class ThemeModule {
public:
    static void install(QQmlEngine& engine, LanguageManager& language, AppIconSource& icons,
                        Logger& logger);
};
