#pragma once

#include "ports/DesktopAppearance.h"

#include <QDBusVariant>
#include <QObject>

class Logger;

// The desktop's colour scheme from the XDG desktop portal's settings ("color-scheme" in
// "org.freedesktop.appearance"), read without waiting and followed as it changes. Without a
// portal there is no preference.
class PortalDesktopAppearance : public QObject, public DesktopAppearance {
    Q_OBJECT

public:
    explicit PortalDesktopAppearance(Logger& logger, QObject* parent = nullptr);
    ColorScheme colorScheme() const override { return m_scheme; }

private slots:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void apply(const QVariant& value);

    Logger& m_logger;
    ColorScheme m_scheme = ColorScheme::noPreference;
};
