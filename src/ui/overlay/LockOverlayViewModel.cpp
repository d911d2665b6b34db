#include "overlay/LockOverlayViewModel.h"

#include "model/AppKeys.h"
#include "model/ProtectedAppsManager.h"
#include "model/ProtectedDrivesManager.h"
#include "ports/Workspace.h"
#include "services/LanguageManager.h"

LockOverlayViewModel::LockOverlayViewModel(Dependencies dependencies, OverlayContent content,
                                           QObject* parent)
    : QObject(parent)
    , m_deps(dependencies)
    , m_content(std::move(content))
    , m_appName(shownName(m_content.appName))
    , m_driveNames(lookUpDriveNames())
    , m_driveName(m_driveNames.first()) {
    connect(&m_deps.language, &LanguageManager::currentLanguageChanged, this,
            &LockOverlayViewModel::textsChanged);
}

QString LockOverlayViewModel::shownName(const QString& name) {
    if (name.size() <= maxShownNameLength)
        return name;
    qsizetype cut = maxShownNameLength - 1;
    // Never split a character made of two UTF-16 units.
    if (name.at(cut - 1).isHighSurrogate())
        --cut;
    return name.left(cut) + QChar(0x2026);
}

QString LockOverlayViewModel::title() const {
    return m_deps.language.text(QStringLiteral("%@ 无法启动"), {m_appName});
}

QString LockOverlayViewModel::driveLine() const {
    if (m_driveNames.size() < 2)
        return m_deps.language.text(QStringLiteral("需要移动硬盘「%@」"), {m_driveName});
    const QString separator = m_deps.language.localized(QStringLiteral("」、「"));
    return m_deps.language.text(
        QStringLiteral("需要移动硬盘「%@」或「%@」"),
        {m_driveNames.mid(0, m_driveNames.size() - 1).join(separator), m_driveNames.last()});
}

QString LockOverlayViewModel::hint() const {
    return m_deps.language.text(QStringLiteral("请连接移动硬盘后，再次尝试启动 %@。"), {m_appName});
}

QString LockOverlayViewModel::startNote() const {
    if (!m_content.startedWhileAway)
        return {};
    return m_deps.language.text(QStringLiteral("%@ was started while Velmora was not running"),
                                {m_appName});
}

QString LockOverlayViewModel::forceQuitTitle() const {
    return m_deps.language.text(QStringLiteral("强制退出"));
}

void LockOverlayViewModel::forceQuitProtectedApp() {
    // The card may still take a second press before the overlays close.
    if (m_forceQuitPressed)
        return;
    m_forceQuitPressed = true;
    const QList<RunningApplication> running = m_deps.workspace.runningApplications();
    for (const RunningApplication& app : running) {
        if (app.bundleIdentifier == m_content.bundleIdentifier) {
            m_deps.workspace.terminate(app);
            break;
        }
    }
    if (m_content.onDismiss)
        m_content.onDismiss(OverlayDismissReason::forceQuit);
}

// Every drive that would unlock the app, the first one first.
QStringList LockOverlayViewModel::lookUpDriveNames() const {
    for (const ProtectedApp& app : m_deps.apps.apps()) {
        if (app.bundleIdentifier != m_content.bundleIdentifier)
            continue;
        const AppKeys keys(app, m_deps.drives.drives());
        const QList<ProtectedDrive>& drives = keys.isLocked() ? keys.keys() : keys.registered();
        QStringList names;
        for (const ProtectedDrive& drive : drives)
            names.append(shownName(drive.name));
        return names.isEmpty() ? QStringList{unknownDriveName()} : names;
    }
    return {unknownDriveName()};
}
