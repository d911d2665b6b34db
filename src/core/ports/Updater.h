#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

// One release listed in the update feed.
struct AppcastItem {
    // Compared with the program's version.
    QString version;
    // Shown to the user; the version when the feed gives none.
    QString displayVersion;
    QString notes;
    QUrl downloadUrl;
};

// What reading the feed gave: its releases, or why it could not be read.
struct UpdateFeed {
    QList<AppcastItem> items;
    std::optional<QString> error;
};

// The published releases of the program, read from an update feed.
class Updater {
public:
    virtual ~Updater() = default;
    // Whether the build names a feed; without one, updates come from the package manager.
    virtual bool hasFeed() const = 0;
    // Reads the feed without blocking; `done` runs exactly once, later, on the main thread.
    virtual void fetch(std::function<void(const UpdateFeed&)> done) = 0;
};
