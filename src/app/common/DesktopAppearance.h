#pragma once
// Whether the desktop asks applications for dark chrome, for Theme.qml. Interface thread.
// Qt 6.4 has no colour-scheme query, so the answer comes, in this order, from ORVANE_COLOR_SCHEME
// (light|dark), the freedesktop portal's "color-scheme", GTK_THEME ("…:dark"), and finally the
// lightness of the platform palette's window colour.

#include <QDBusVariant>
#include <QObject>
#include <QtQml/qqmlregistration.h>
#include <optional>

namespace orvane {

class DesktopAppearance : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool prefersDark READ prefersDark NOTIFY prefersDarkChanged)

public:
    // The portal's values: 0 no preference, 1 prefer dark, 2 prefer light.
    enum class PortalScheme { noPreference = 0, dark = 1, light = 2 };

    // The decision alone, from what each source said (absent: it said nothing).
    static bool resolve(const QString& override, std::optional<PortalScheme> portal, const QString& gtkTheme,
                        double windowLightness);

    explicit DesktopAppearance(QObject* parent = nullptr);
    bool prefersDark() const { return prefersDark_; }

signals:
    void prefersDarkChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onPortalSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void askPortal();
    void reevaluate();

    std::optional<PortalScheme> portal_;
    bool prefersDark_ = false;
};

} // namespace orvane
