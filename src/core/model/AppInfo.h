#pragma once

#include <QString>
#include <QStringList>

// One installed application the picker may offer, identified by its desktop-file ID.
struct AppInfo {
    QString bundleIdentifier;
    // The name in the interface language when the entry has one, else its plain Name.
    QString name;
    // The desktop entry file.
    QString path;
    // Every distinct name the application can be found by; the order carries no meaning.
    QStringList searchableNames;

    bool operator==(const AppInfo&) const = default;
};
