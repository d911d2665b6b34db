#pragma once

#include <QByteArray>

// A secret of this installation, never on any drive; the stored records hold only hashes keyed
// with it, so the settings file alone cannot be used to make a key.
class InstallSecret {
public:
    virtual ~InstallSecret() = default;
    virtual QByteArray value() = 0;
};
