#pragma once
// The window's status line and its two alerts (an error, a success), which every feature
// reports through. Writing "" to an alert clears it (the alert's button). Interface thread only.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

namespace orvane {

class AppMessages : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application's MainViewModel owns its messages")
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage WRITE setErrorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(
        QString successMessage READ successMessage WRITE setSuccessMessage NOTIFY successMessageChanged)

public:
    explicit AppMessages(const QString& initialStatus, QObject* parent = nullptr);

    QString statusMessage() const { return status_; }
    QString errorMessage() const { return error_.value_or(QString()); }
    QString successMessage() const { return success_.value_or(QString()); }
    bool hasError() const { return error_.has_value(); }

    void setStatus(const QString& message);
    void setError(const std::optional<QString>& message);
    void setSuccess(const std::optional<QString>& message);
    void setErrorMessage(const QString& message);
    void setSuccessMessage(const QString& message);

signals:
    void statusMessageChanged();
    void errorMessageChanged();
    void successMessageChanged();

private:
    QString status_;
    std::optional<QString> error_;
    std::optional<QString> success_;
};

} // namespace orvane
