#include "services/StringsTable.h"

namespace {

class Scanner {
public:
    explicit Scanner(const QString& text)
        : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    int line() const { return m_line; }

    // Skips white space and both kinds of comment; false on a comment that never ends.
    bool skipBlanks() {
        while (!atEnd()) {
            if (peek().isSpace()) {
                advance();
            } else if (startsWith(u"//")) {
                while (!atEnd() && peek() != u'\n')
                    advance();
            } else if (startsWith(u"/*")) {
                const int end = static_cast<int>(m_text.indexOf(u"*/", m_pos + 2));
                if (end < 0)
                    return false;
                while (m_pos < end + 2)
                    advance();
            } else {
                return true;
            }
        }
        return true;
    }

    bool take(QChar c) {
        if (atEnd() || peek() != c)
            return false;
        advance();
        return true;
    }

    std::optional<QString> quoted() {
        if (!take(u'"'))
            return std::nullopt;
        QString result;
        while (!atEnd()) {
            const QChar c = advance();
            if (c == u'"')
                return result;
            if (c != u'\\') {
                result.append(c);
                continue;
            }
            if (!escape(result))
                return std::nullopt;
        }
        return std::nullopt;
    }

    // Resynchronises after a damaged entry: on to the next semicolon outside quotes.
    void skipEntry() {
        bool inQuotes = false;
        while (!atEnd()) {
            const QChar c = advance();
            if (inQuotes && c == u'\\' && !atEnd())
                advance();
            else if (c == u'"')
                inQuotes = !inQuotes;
            else if (c == u';' && !inQuotes)
                return;
        }
    }

private:
    QChar peek() const { return m_text.at(m_pos); }
    bool startsWith(QStringView s) const { return QStringView(m_text).mid(m_pos).startsWith(s); }
    QChar advance() {
        const QChar c = m_text.at(m_pos++);
        if (c == u'\n')
            ++m_line;
        return c;
    }

    bool escape(QString& out) {
        if (atEnd())
            return false;
        const QChar c = advance();
        switch (c.unicode()) {
        case 'n':
            out.append(u'\n');
            return true;
        case 't':
            out.append(u'\t');
            return true;
        case 'r':
            out.append(u'\r');
            return true;
        case '0':
            out.append(QChar(0));
            return true;
        case 'u':
        case 'U':
            return unicodeEscape(out);
        default:
            out.append(c); // \" \\ \' and anything else stand for themselves
            return true;
        }
    }

    bool unicodeEscape(QString& out) {
        if (m_pos + 4 > m_text.size())
            return false;
        bool ok = false;
        const uint code = m_text.mid(m_pos, 4).toUInt(&ok, 16);
        if (!ok)
            return false;
        for (int i = 0; i < 4; ++i)
            advance();
        out.append(QChar(static_cast<char16_t>(code)));
        return true;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
};

} // namespace

StringsTable StringsTable::parse(const QString& text) {
    StringsTable table;
    Scanner scanner(text);
    while (true) {
        if (!scanner.skipBlanks()) {
            table.m_errors.append(
                QStringLiteral("line %1: unterminated comment").arg(scanner.line()));
            break;
        }
        if (scanner.atEnd())
            break;
        const int line = scanner.line();
        const auto key = scanner.quoted();
        scanner.skipBlanks();
        const bool hasEquals = key && scanner.take(u'=');
        scanner.skipBlanks();
        const auto value = hasEquals ? scanner.quoted() : std::nullopt;
        scanner.skipBlanks();
        if (!value || !scanner.take(u';')) {
            table.m_errors.append(
                QStringLiteral("line %1: expected \"key\" = \"value\";").arg(line));
            scanner.skipEntry();
            continue;
        }
        table.m_entries.insert(*key, *value);
    }
    return table;
}

std::optional<QString> StringsTable::value(const QString& key) const {
    const auto found = m_entries.constFind(key);
    if (found == m_entries.constEnd())
        return std::nullopt;
    return *found;
}
