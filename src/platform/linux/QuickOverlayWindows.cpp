#include "platform/linux/QuickOverlayWindows.h"

#include "overlay/LockOverlayViewModel.h"
#include "overlay/LockOverlayWindow.h"
#include "theme/ThemeModule.h"

#include <QCoreApplication>
#include <malloc.h>

QuickOverlayWindows::QuickOverlayWindows(Dependencies dependencies)
    : m_deps(dependencies) {}

std::shared_ptr<QQmlEngine> QuickOverlayWindows::makeEngine() {
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

std::unique_ptr<LockOverlayViewModel> QuickOverlayWindows::makeModel(OverlayContent content) {
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

std::unique_ptr<OverlayWindow> QuickOverlayWindows::create(const QRect& screen,
                                                           OverlayContent content) {
    return std::make_unique<LockOverlayWindow>(makeEngine(), screen, makeModel(std::move(content)),
                                               m_deps.logger);
}
