#pragma once

#include <QUrl>

class AppIconSource;
class LanguageManager;
class Logger;
class QQmlEngine;

// Makes the style kit available to an engine: `import Velmora.Theme` then gives the colours,
// fonts, animations, controls, symbols and the Texts lookup bound to this LanguageManager.
class ThemeModule {
public:
    static void install(QQmlEngine& engine, LanguageManager& language, AppIconSource& icons,
                        Logger& logger);
    // The URL of a QML file shipped in the program's resources, e.g. view("overlay/Foo.qml").
    static QUrl view(const QString& relativePath);
};
