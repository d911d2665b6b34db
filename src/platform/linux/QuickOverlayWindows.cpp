#include "platform/linux/QuickOverlayWindows.h"

#include "overlay/LockOverlayViewModel.h"
#include "overlay/LockOverlayWindow.h"
#include "theme/ThemeModule.h"

#include <QCoreApplication>

QuickOverlayWindows::QuickOverlayWindows(Dependencies dependencies)
    : m_deps(dependencies) {
    ThemeModule::install(m_engine, m_deps.language, m_deps.icons, m_deps.logger);
}

std::unique_ptr<OverlayWindow> QuickOverlayWindows::create(const QRect& screen,
                                                           OverlayContent content) {
    // Dismissing closes every overlay, the one whose button was pressed among them; that must
    // wait until the press has been handled.
    content.onDismiss = [dismiss = std::move(content.onDismiss)](OverlayDismissReason reason) {
        if (!dismiss)
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [dismiss, reason] { dismiss(reason); },
            Qt::QueuedConnection);
    };
    auto model = std::make_unique<LockOverlayViewModel>(
        LockOverlayViewModel::Dependencies{m_deps.apps, m_deps.drives, m_deps.workspace,
                                           m_deps.language},
        std::move(content));
    return std::make_unique<LockOverlayWindow>(m_engine, screen, std::move(model), m_deps.logger);
}
