#include "sway/SwayTree.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

namespace {

// Depth-first; sway keeps tiled and floating children apart.
QJsonObject focusedNode(const QJsonObject& node) {
    if (node.value(QStringLiteral("focused")).toBool())
        return node;
    for (const char* key : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(QLatin1String(key)).toArray()) {
            const QJsonObject found = focusedNode(child.toObject());
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}

} // namespace

pid_t SwayTree::focusedPid(const QJsonDocument& tree, const QString& appId) {
    const QJsonObject node = focusedNode(tree.object());
    const QString windowClass = node.value(QStringLiteral("window_properties"))
                                    .toObject()
                                    .value(QStringLiteral("class"))
                                    .toString();
    if (node.value(QStringLiteral("app_id")).toString() != appId && windowClass != appId)
        return 0;
    return static_cast<pid_t>(std::max(0, node.value(QStringLiteral("pid")).toInt()));
}
