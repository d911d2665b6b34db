#include "support/ViewRenderer.h"

#include "theme/ThemeModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QQmlComponent>
#include <QQuickItem>
#include <QTest>

namespace {

// Software rendering needs no GPU and no display, and draws the same pixels everywhere.
QQuickWindow* makeWindow() {
    static const bool chosen = [] {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return true;
    }();
    Q_UNUSED(chosen);
    auto* window = new QQuickWindow;
    window->setColor(Qt::black);
    return window;
}

// Images from asynchronous providers (application icons) are still on their way.
bool hasLoadingImages(QQuickItem* item) {
    const int loading = 2; // Image.Loading
    if (item->inherits("QQuickImageBase") && item->property("status").toInt() == loading)
        return true;
    const QList<QQuickItem*> children = item->childItems();
    return std::any_of(children.begin(), children.end(), hasLoadingImages);
}

} // namespace

ViewRenderer::ViewRenderer(LanguageManager& language, AppIconSource& icons, Logger& logger)
    : m_window(makeWindow()) {
    ThemeModule::install(m_engine, language, icons, logger);
}

ViewRenderer::~ViewRenderer() = default;

QQuickItem* ViewRenderer::load(const QUrl& url, QSize size, const QVariantMap& properties) {
    m_errors.clear();
    QQmlComponent component(&m_engine, url);
    QObject* object = component.createWithInitialProperties(properties);
    if (!object)
        m_errors = component.errorString();
    return show(object, size);
}

QQuickItem* ViewRenderer::loadText(const QByteArray& qml, QSize size) {
    m_errors.clear();
    QQmlComponent component(&m_engine);
    component.setData(qml, QUrl(QStringLiteral("inline.qml")));
    QObject* object = component.create();
    if (!object)
        m_errors = component.errorString();
    return show(object, size);
}

QQuickItem* ViewRenderer::show(QObject* object, QSize size) {
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item) {
        if (m_errors.isEmpty())
            m_errors = QStringLiteral("the view did not load or is not an Item");
        delete object;
        return nullptr;
    }
    item->setParent(m_window.get());
    item->setParentItem(m_window->contentItem());
    item->setSize(size);
    m_window->resize(size);
    m_window->show();
    return item;
}

QImage ViewRenderer::grab() {
    QCoreApplication::processEvents();
    if (!QTest::qWaitFor([this] { return !hasLoadingImages(m_window->contentItem()); }, 5000))
        qWarning("ViewRenderer: images still loading after 5 s; drawn as they are");
    QCoreApplication::processEvents();
    return m_window->grabWindow();
}

QString ViewRenderer::save(const QImage& image, const QString& name) {
    const QString folder = QStringLiteral(VELMORA_VIEWS_DIR);
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name + QStringLiteral(".png");
    image.save(path);
    return path;
}
