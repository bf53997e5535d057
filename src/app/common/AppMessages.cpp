#include "AppMessages.h"

#include "FileName.h"
#include "ObservableField.h"

namespace orvane {

AppMessages::AppMessages(const QString& initialStatus, QObject* parent)
    : QObject(parent), status_(initialStatus) {}

void AppMessages::setStatus(const QString& message) {
    assignAndNotify(status_, message, this, &AppMessages::statusMessageChanged);
}

// Messages may name files whose names are not UTF-8; they are shown readably.
void AppMessages::setError(const std::optional<QString>& message) {
    assignAndNotify(error_, message ? std::optional(FileName::display(*message)) : std::nullopt, this,
                    &AppMessages::errorMessageChanged);
}

void AppMessages::setSuccess(const std::optional<QString>& message) {
    assignAndNotify(success_, message ? std::optional(FileName::display(*message)) : std::nullopt, this,
                    &AppMessages::successMessageChanged);
}

void AppMessages::setErrorMessage(const QString& message) {
    setError(message.isEmpty() ? std::nullopt : std::optional(message));
}

void AppMessages::setSuccessMessage(const QString& message) {
    setSuccess(message.isEmpty() ? std::nullopt : std::optional(message));
}

} // namespace orvane
