#include "services/VersionNumber.h"

#include <QStringList>

namespace {

struct Parsed {
    // Digit runs without leading zeros, so any length compares correctly.
    QStringList numbers;
    QString suffix;
};

QString digits(QStringView run) {
    while (run.size() > 1 && run.front() == u'0')
        run = run.mid(1);
    return run.toString();
}

int compareNumbers(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Parsed parse(QString text) {
    text = text.trimmed();
    if (text.startsWith(u'v') || text.startsWith(u'V'))
        text.remove(0, 1);
    text = text.section(u'+', 0, 0);
    Parsed parsed;
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isDigit()) {
        const qsizetype start = i;
        while (i < text.size() && text.at(i).isDigit())
            ++i;
        parsed.numbers.append(digits(QStringView(text).mid(start, i - start)));
        if (i + 1 < text.size() && text.at(i) == u'.' && text.at(i + 1).isDigit())
            ++i;
        else
            break;
    }
    parsed.suffix = text.mid(i);
    while (!parsed.suffix.isEmpty() && !parsed.suffix.at(0).isLetterOrNumber())
        parsed.suffix.remove(0, 1);
    return parsed;
}

int sign(qlonglong value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// "beta10" after "beta9": runs of digits compare as numbers, the rest as case-blind text.
int compareSuffixes(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            const qsizetype si = i;
            const qsizetype sj = j;
            while (i < a.size() && a.at(i).isDigit())
                ++i;
            while (j < b.size() && b.at(j).isDigit())
                ++j;
            const int c = compareNumbers(digits(QStringView(a).mid(si, i - si)),
                                         digits(QStringView(b).mid(sj, j - sj)));
            if (c != 0)
                return c;
            continue;
        }
        const int c = QString::compare(a.mid(i, 1), b.mid(j, 1), Qt::CaseInsensitive);
        if (c != 0)
            return sign(c);
        ++i;
        ++j;
    }
    return sign(qlonglong(a.size() - i) - qlonglong(b.size() - j));
}

} // namespace

int VersionNumber::compare(const QString& a, const QString& b) {
    const Parsed x = parse(a);
    const Parsed y = parse(b);
    const qsizetype count = std::max(x.numbers.size(), y.numbers.size());
    for (qsizetype k = 0; k < count; ++k) {
        const int c = compareNumbers(k < x.numbers.size() ? x.numbers.at(k) : QStringLiteral("0"),
                                     k < y.numbers.size() ? y.numbers.at(k) : QStringLiteral("0"));
        if (c != 0)
            return c;
    }
    if (x.suffix.isEmpty() || y.suffix.isEmpty())
        return x.suffix.isEmpty() ? (y.suffix.isEmpty() ? 0 : 1) : -1;
    return compareSuffixes(x.suffix, y.suffix);
}
