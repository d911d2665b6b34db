#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

// How the device behind a volume describes itself. A programmable USB gadget can claim any of
// it, so it helps find a drive but never proves one.
struct HardwareIdentity {
    QString vendor;
    QString model;
    QString serial;
    QString wwn;

    bool operator==(const HardwareIdentity&) const = default;
    bool isEmpty() const {
        return vendor.isEmpty() && model.isEmpty() && serial.isEmpty() && wwn.isEmpty();
    }
    // One line for people: "Vendor Model · S/N serial · WWN wwn", leaving out what is unknown.
    QString text() const;

    QJsonObject toJson() const;
    static std::optional<HardwareIdentity> fromJson(const QJsonValue& value);
};
