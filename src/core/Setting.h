#pragma once

#include "Parameters.h"

#include <QString>
#include <cstdint>
#include <memory>

// A named group of application settings as it travels between settings archives and a panel.
class Setting {
public:
    const QString &Description() const { return description_; }
    void setDescription(const QString &description) { description_ = description; }

    // Created empty on the first read when none was set.
    std::shared_ptr<::Parameters> Parameters();
    void setParameters(std::shared_ptr<::Parameters> parameters) { parameters_ = std::move(parameters); }

    int32_t SwID() const { return swId_; }
    void setSwID(int32_t swId) { swId_ = swId; }

    const QString &Title() const { return title_; }
    void setTitle(const QString &title) { title_ = title; }

    // Write-once: setting a key when one is already held raises the invalid-property-value error.
    const QString &Key() const { return key_; }
    void setKey(const QString &key);

private:
    QString key_;
    QString title_;
    int32_t swId_ = 0;
    std::shared_ptr<::Parameters> parameters_;
    QString description_;
};
