#include "AppMessages.h"

#include "ObservableField.h"

namespace orvane {

AppMessages::AppMessages(const QString& initialStatus, QObject* parent)
    : QObject(parent), status_(initialStatus) {}

void AppMessages::setStatus(const QString& message) {
    assignAndNotify(status_, message, this, &AppMessages::statusMessageChanged);
}

void AppMessages::setError(const std::optional<QString>& message) {
    assignAndNotify(error_, message, this, &AppMessages::errorMessageChanged);
}

void AppMessages::setSuccess(const std::optional<QString>& message) {
    assignAndNotify(success_, message, this, &AppMessages::successMessageChanged);
}

void AppMessages::setErrorMessage(const QString& message) {
    setError(message.isEmpty() ? std::nullopt : std::optional(message));
}

void AppMessages::setSuccessMessage(const QString& message) {
    setSuccess(message.isEmpty() ? std::nullopt : std::optional(message));
}

} // namespace orvane
