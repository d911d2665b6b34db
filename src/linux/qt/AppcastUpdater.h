#pragma once

#include "ports/Updater.h"

#include <QObject>
#include <memory>

class QNetworkAccessManager;

// Reads an appcast: an RSS feed whose items name a release with sparkle:version and
// sparkle:shortVersionString (as elements or as attributes of the enclosure), a download link
// (the enclosure's url, else the item's link) and optional notes (the description).
class AppcastUpdater : public QObject, public Updater {
    Q_OBJECT

public:
    // An empty address means the build names no feed.
    explicit AppcastUpdater(QUrl feed, int timeoutMilliseconds = 30000, QObject* parent = nullptr);
    ~AppcastUpdater() override;

    bool hasFeed() const override { return m_feed.isValid() && !m_feed.isEmpty(); }
    void fetch(std::function<void(const UpdateFeed&)> done) override;

    static UpdateFeed parse(const QByteArray& xml);

private:
    QUrl m_feed;
    int m_timeout;
    std::unique_ptr<QNetworkAccessManager> m_network;
};
