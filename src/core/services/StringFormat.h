#pragma once

#include <QString>
#include <QVariantList>

// Fills printf-style placeholders of a looked-up text: %@, %d, %i, %u, %ld, %lld, %lu, %llu, each
// optionally positional ("%2$@") so a translation may reorder them; "%%" is a percent sign.
// A placeholder without a matching argument stays as written.
class StringFormat {
public:
    static QString format(const QString& pattern, const QVariantList& arguments);
};
