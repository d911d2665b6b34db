#pragma once

#include "ports/InstallSecret.h"

class FakeInstallSecret : public InstallSecret {
public:
    QByteArray value() override { return secret; }

    QByteArray secret = QByteArrayLiteral("the install secret of this test");
};
