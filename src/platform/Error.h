#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace platform {

// Error numbers the program raises and checks for.
namespace err {
inline constexpr int32_t InvalidArgument = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t DivisionByZero = 11;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t DuplicateKey = 457;
inline constexpr int32_t InvalidPropertyValue = static_cast<int32_t>(0x80040001u);
}  // namespace err

// The one raised-error type: a number, the procedure that raised it and a description.
class Error : public std::runtime_error {
public:
    Error(int32_t number, QString source, QString description)
        : std::runtime_error(description.toStdString()), number_(number), source_(std::move(source)),
          description_(std::move(description))
    {}

    int32_t number() const { return number_; }
    const QString &source() const { return source_; }
    const QString &description() const { return description_; }

private:
    int32_t number_;
    QString source_;
    QString description_;
};

// The description of any error: the raised error's own, or the library's text.
inline QString describe(const std::exception &error)
{
    if (const auto *raised = dynamic_cast<const Error *>(&error))
        return raised->description();
    return QString::fromLocal8Bit(error.what());
}

}  // namespace platform
