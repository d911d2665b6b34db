#pragma once

#include "ports/OverlayWindows.h"

#include <QObject>
#include <QString>
#include <QStringList>

class LanguageManager;
class ProtectedAppsManager;
class ProtectedDrivesManager;
class Workspace;

// What one lock overlay card shows, and its Force Quit decision. The texts follow the interface
// language; the drive names are looked up once, when the card is made: any one of
// them unlocks the app.
class LockOverlayViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString appName READ appName CONSTANT)
    Q_PROPERTY(QString bundleIdentifier READ bundleIdentifier CONSTANT)
    Q_PROPERTY(QString driveName READ driveName CONSTANT)
    Q_PROPERTY(QString title READ title NOTIFY textsChanged)
    Q_PROPERTY(QString driveLine READ driveLine NOTIFY textsChanged)
    Q_PROPERTY(QString hint READ hint NOTIFY textsChanged)
    // Empty unless the app was started while Velmora was not running.
    Q_PROPERTY(QString startNote READ startNote NOTIFY textsChanged)
    Q_PROPERTY(QString forceQuitTitle READ forceQuitTitle NOTIFY textsChanged)

public:
    struct Dependencies {
        const ProtectedAppsManager& apps;
        const ProtectedDrivesManager& drives;
        Workspace& workspace;
        const LanguageManager& language;
    };

    static QString unknownDriveName() { return QStringLiteral("未知硬盘"); }
    // Longer names are cut with an ellipsis: laying out megabytes of text would stall the card.
    static constexpr qsizetype maxShownNameLength = 200;
    static QString shownName(const QString& name);

    LockOverlayViewModel(Dependencies dependencies, OverlayContent content,
                         QObject* parent = nullptr);

    QString appName() const { return m_appName; }
    QString bundleIdentifier() const { return m_content.bundleIdentifier; }
    QString driveName() const { return m_driveName; }
    QString title() const;
    QString driveLine() const;
    QString hint() const;
    QString startNote() const;
    QString forceQuitTitle() const;

    // Asks the first running instance of the covered application to quit, then gives up on it at
    // once, whether or not it was running or obeys. Only the first press counts.
    Q_INVOKABLE void forceQuitProtectedApp();

signals:
    void textsChanged();

private:
    QStringList lookUpDriveNames() const;

    Dependencies m_deps;
    OverlayContent m_content;
    QString m_appName;
    QStringList m_driveNames;
    QString m_driveName;
    bool m_forceQuitPressed = false;
};
