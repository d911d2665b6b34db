#include "qt/AppcastUpdater.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTextDocumentFragment>
#include <QXmlStreamReader>

namespace {

const QString sparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isSparkle(const QXmlStreamReader& xml, QStringView name) {
    return xml.name() == name &&
           (xml.namespaceUri() == sparkleNamespace ||
            xml.qualifiedName() == QStringLiteral("sparkle:") + name.toString());
}

QString sparkleAttribute(const QXmlStreamAttributes& attributes, const QString& name) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name() == name &&
            (attribute.namespaceUri() == sparkleNamespace ||
             attribute.qualifiedName() == QStringLiteral("sparkle:") + name))
            return attribute.value().toString().trimmed();
    }
    return {};
}

// Notes are often HTML; only their text is shown, so nothing in them is loaded or run.
QString plainNotes(const QString& notes) {
    if (!notes.contains(u'<'))
        return notes.trimmed();
    return QTextDocumentFragment::fromHtml(notes).toPlainText().trimmed();
}

AppcastItem readItem(QXmlStreamReader& xml) {
    AppcastItem item;
    QUrl link;
    QUrl enclosure;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"enclosure" && xml.namespaceUri().isEmpty()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            enclosure = QUrl(attributes.value(QStringLiteral("url")).toString().trimmed());
            if (item.version.isEmpty())
                item.version = sparkleAttribute(attributes, QStringLiteral("version"));
            if (item.displayVersion.isEmpty())
                item.displayVersion =
                    sparkleAttribute(attributes, QStringLiteral("shortVersionString"));
            xml.skipCurrentElement();
        } else if (isSparkle(xml, u"version")) {
            item.version = xml.readElementText().trimmed();
        } else if (isSparkle(xml, u"shortVersionString")) {
            item.displayVersion = xml.readElementText().trimmed();
        } else if (xml.name() == u"link" && xml.namespaceUri().isEmpty()) {
            link = QUrl(xml.readElementText().trimmed());
        } else if (xml.name() == u"description" && xml.namespaceUri().isEmpty()) {
            item.notes = plainNotes(xml.readElementText());
        } else {
            xml.skipCurrentElement();
        }
    }
    if (item.version.isEmpty())
        item.version = item.displayVersion;
    if (item.displayVersion.isEmpty())
        item.displayVersion = item.version;
    item.downloadUrl = enclosure.isValid() && !enclosure.isEmpty() ? enclosure : link;
    return item;
}

} // namespace

AppcastUpdater::AppcastUpdater(QUrl feed, int timeoutMilliseconds, QObject* parent)
    : QObject(parent)
    , m_feed(std::move(feed))
    , m_timeout(timeoutMilliseconds) {}

AppcastUpdater::~AppcastUpdater() = default;

void AppcastUpdater::fetch(std::function<void(const UpdateFeed&)> done) {
    if (!hasFeed()) {
        QMetaObject::invokeMethod(
            this,
            [done] {
                done(UpdateFeed{{}, QStringLiteral("No update feed")});
            },
            Qt::QueuedConnection);
        return;
    }
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();
    QNetworkRequest request(m_feed);
    request.setTransferTimeout(m_timeout);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this, [reply, done] {
        reply->deleteLater();
        if (reply->error() == QNetworkReply::OperationCanceledError) {
            done(UpdateFeed{{}, QStringLiteral("The update server did not answer in time")});
            return;
        }
        if (reply->error() != QNetworkReply::NoError) {
            done(UpdateFeed{{}, reply->errorString()});
            return;
        }
        done(parse(reply->readAll()));
    });
}

UpdateFeed AppcastUpdater::parse(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    UpdateFeed feed;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"item" && xml.namespaceUri().isEmpty())
            feed.items.append(readItem(xml));
    }
    if (xml.hasError()) {
        feed.items.clear();
        feed.error = QStringLiteral("The update feed could not be read: %1 (line %2)")
                         .arg(xml.errorString())
                         .arg(xml.lineNumber());
    }
    return feed;
}
