#pragma once

#include "model/HardwareIdentity.h"

#include <QString>

// What the system knows of the block device behind a mount.
struct BlockDeviceFacts {
    QString uuid;
    QString label;
    bool isRemovable = false;
    bool isInternal = true;
    // The system asks that the device not be shown to the user.
    bool isIgnored = false;
    // The drive's own description, from udisks2 only.
    HardwareIdentity hardware = {};
};
