#include "services/StringFormat.h"

#include <QRegularExpression>

QString StringFormat::format(const QString& pattern, const QVariantList& arguments) {
    static const QRegularExpression placeholder(
        QStringLiteral(R"(%(?:%|(?:([1-9][0-9]*)\$)?(@|d|i|u|ld|lld|lu|llu)))"));
    QString result;
    qsizetype copied = 0;
    qsizetype next = 0;
    auto it = placeholder.globalMatch(pattern);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result.append(QStringView(pattern).mid(copied, match.capturedStart() - copied));
        copied = match.capturedEnd();
        if (match.captured(0) == QStringLiteral("%%")) {
            result.append(u'%');
            continue;
        }
        const qsizetype index =
            match.capturedLength(1) > 0 ? match.captured(1).toLongLong() - 1 : next++;
        if (index < arguments.size())
            result.append(arguments.at(index).toString());
        else
            result.append(match.captured(0));
    }
    result.append(QStringView(pattern).mid(copied));
    return result;
}
