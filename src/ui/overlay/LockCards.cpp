#include "overlay/LockCards.h"

#include "overlay/LockOverlayViewModel.h"
#include "theme/ThemeModule.h"
#include "theme/ViewLoader.h"

#include <QCoreApplication>
#include <QQuickItem>
#include <malloc.h>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/overlay/LockOverlayView.qml"));

} // namespace

LockCards::LockCards(Dependencies dependencies)
    : m_deps(dependencies) {}

OverlayCard LockCards::make(OverlayContent content) {
    std::shared_ptr<QQmlEngine> engine = makeEngine();
    Logger& logger = m_deps.logger;
    auto loadView = [engine = engine.get(), &logger](QQuickWindow& window, QObject* model) {
        // Without its card the window still covers the screen and keeps clicks away.
        return ViewLoader::load(*engine, viewUrl, model, window, logger,
                                QStringLiteral("[Velmora] Lock overlay view failed to load: %1"));
    };
    return {std::move(engine), makeModel(std::move(content)), std::move(loadView)};
}

std::shared_ptr<QQmlEngine> LockCards::makeEngine() {
    if (auto engine = m_engine.lock())
        return engine;
    // The windows and the engine leave much freed memory in the heap; give it back to the system.
    auto engine = std::shared_ptr<QQmlEngine>(new QQmlEngine, [](QQmlEngine* released) {
        delete released;
        ::malloc_trim(0);
    });
    ThemeModule::install(*engine, m_deps.language, m_deps.icons, m_deps.logger);
    m_engine = engine;
    return engine;
}

std::unique_ptr<LockOverlayViewModel> LockCards::makeModel(OverlayContent content) {
    // Dismissing closes every overlay, the one whose button was pressed among them; that must
    // wait until the press has been handled.
    content.onDismiss = [dismiss = std::move(content.onDismiss)](OverlayDismissReason reason) {
        if (!dismiss)
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [dismiss, reason] { dismiss(reason); },
            Qt::QueuedConnection);
    };
    return std::make_unique<LockOverlayViewModel>(
        LockOverlayViewModel::Dependencies{m_deps.apps, m_deps.drives, m_deps.workspace,
                                           m_deps.language},
        std::move(content));
}
